#pragma once
#include <QApplication>

#include <functional>

namespace kanata {

class MessageService;

// Runs one event delivery; an exception escaping it is shown as an error box
// (or only logged when there is no message service) and the program goes on.
class EventExceptionGuard {
public:
    void setMessageService(MessageService* messages) { messages_ = messages; }
    // The result of `deliver`, or false when it threw.
    bool deliver(const std::function<bool()>& deliver);

private:
    void report(const std::string& what);

    MessageService* messages_ = nullptr; // not owned
    bool reporting_ = false;             // an error box is showing
};

// The application object. An exception that escapes an event handler is
// shown as an error box, as users of the original program knew it; it never
// ends the process.
class KanataApplication : public QApplication {
public:
    KanataApplication(int& argc, char** argv);

    void setMessageService(MessageService* messages) { guard_.setMessageService(messages); }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    EventExceptionGuard guard_;
};

} // namespace kanata
