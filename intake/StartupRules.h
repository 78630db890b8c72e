#pragma once
// The decisions of the start-up processing that do not need a window: which
// message leads into the settings dialog, and what an open result of the
// adapter line means. The main window runs them with its own dialogs.
#include <cstdint>
#include <functional>
#include <string>

namespace kanata {

class MessageService;

// Where the start-up password lives in the registry layer; an empty value
// means no password.
inline constexpr const char* kStartupPasswordKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Mizuchi\\Kanata\\19.5";
inline constexpr const char* kStartupPasswordValue = "Type";

// The one notice shown before the settings dialog opens at start, chosen in
// the order: first run, replaced library, phonebook link, anything else.
std::string setupReasonMessage(bool firstRun, bool libraryReplaced, const std::string& libraryFile,
                               bool phonebookLinkProblem);

// What the settings and the library offer for opening the line.
struct LineOpenRequest {
    int usbSerial = 0; // COMMON UsbSerial
    std::string port;  // COMMON Port as stored
};

// The steps the caller supplies: the open itself (OpenLine or OpenLineEx,
// port and model already set), the settings dialog (true = accepted), the
// name of the selected model, the settings re-read after the dialog, and the
// short progress window of UsbSerial 10.
struct LineOpenSteps {
    std::function<std::int32_t()> open;
    std::function<bool()> settingsDialog;
    std::function<std::string()> modelName;
    std::function<LineOpenRequest()> request;
    std::function<void()> usbProgressWindow;
};

enum class LineOpenOutcome { Opened, Abandoned };

// Opens the line as the start-up does: the USB-serial notices around each
// try; result 1 (port in use) and 31 (USB driver) lead to the settings
// dialog and another try; any other failure, or a cancelled dialog, gives
// up after its message.
LineOpenOutcome OpenLineAtStartup(const LineOpenSteps& steps, MessageService& messages);

// The re-open after the settings changed: no retry, each failure ends in the
// "restart the program" message. True when the line is open.
bool ReopenLineAfterSettings(std::int32_t result, const std::string& modelName,
                             MessageService& messages);

} // namespace kanata
