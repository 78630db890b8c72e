#pragma once
// Every question and notice of the program goes through one service, so that
// every flow can be driven without a screen: the windows use the Qt message
// boxes, the tests a scripted service that answers from a script.
#include <string>

namespace kanata {

inline constexpr const char* kAppCaption = "着信帳１９.５";

enum class MessageIcon { None, Stop, Information, Warning, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
// The values are the Windows dialog results, which some stored flows compare.
enum class MessageResult { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

// Where a box appears: centred on its owner window, at a screen point, or
// where the desktop places boxes by default.
struct MessagePlacement {
    enum class Kind { Default, CentredOnOwner, AtPoint };
    Kind kind = Kind::Default;
    int x = 0;
    int y = 0;
};

struct MessageRequest {
    std::string text; // UTF-8; "\r\n" or "\n" separate lines
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    int defaultButton = 0; // 0-based position among the buttons
    MessagePlacement placement;
    const void* owner = nullptr; // the owning window (a QWidget*), or none
};

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MessageResult ShowCenteredMessage(const MessageRequest& request) = 0;

    // The common shapes of the program's boxes.
    void error(const std::string& text, const void* owner = nullptr);
    void information(const std::string& text, const void* owner = nullptr);
    void warning(const std::string& text, const void* owner = nullptr);
    // Yes/No with the question icon. Where data would change, No is the
    // default (defaultYes = false).
    bool ask(const std::string& text, bool defaultYes = false, const void* owner = nullptr);
    // Yes/No/Cancel with the question icon; Yes is the default.
    MessageResult askYesNoCancel(const std::string& text, const void* owner = nullptr);
};

} // namespace kanata
