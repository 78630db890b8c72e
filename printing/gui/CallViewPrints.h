#pragma once
// The call view's prints: its output items as a list, an image of the
// window, and a message memo on a label printer's 62 mm × 100 mm paper.
#include <QStringList>

#include <functional>

class QPrinter;

namespace kanata {

class MessageService;
class TReceiveView;

// The label printer the memo sheet is laid out for.
inline constexpr const char* kMemoPrinterModel = "Brother QL-700";

struct CallViewPrinting {
    MessageService& messages;
    // The installed printers; unset = the system's.
    std::function<QStringList()> printerNames;
    // Called on each printer before it prints (tests direct it to a PDF).
    std::function<void(QPrinter&)> preparePrinter;
};

void PrintCallItems(TReceiveView& view, const CallViewPrinting& printing);
void PrintCallWindow(TReceiveView& view, const CallViewPrinting& printing);
void PrintMessageMemo(TReceiveView& view, const CallViewPrinting& printing);

} // namespace kanata
