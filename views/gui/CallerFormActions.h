#pragma once
// What the call view and the roster editor do alike with the caller on
// their form: look the number, postal code or address up in the
// dictionaries, offer the name dictionary, open mail and links, run an
// action of the program as one of the form's busy operations (or tell the
// user it is not there yet).
#include "data/CallRecord.h"
#include "lookup/DicResult.h"
#include "lookup/DicResultFill.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class QUrl;
class QWidget;

namespace kanata {

class MessageService;
class NameEntryBinding;
enum class MessageIcon;

namespace ui {
struct CallerFormControls;
}

// The hooks both forms take from their owner.
struct CallerFormHooks {
    // Without a dictionary hook of its own the form runs the dictionary
    // search and the name dictionary itself, on this folder (empty: Dic/ in
    // the application folder), asking the caller lookup, when set, for
    // numbers.
    std::filesystem::path dictionaryFolder;
    std::function<int(bool ownBook, const std::string& number, CallRecord& record)> lookupCaller;
    // Mail and external links; unset = the desktop's handler.
    std::function<bool(const QUrl&)> openUrl;
    // The form closed: its owner no longer has a record open in it.
    std::function<void()> onClosed;
};

// What a dictionary search brought back: a dictionary hit, or the record of
// a caller the number search knows.
struct DictionaryAnswer {
    int resultKind = 0;
    DicResult hit;
    CallRecord caller;
    bool knownCaller() const;
};

class CallerFormActions {
public:
    // `hooks` are the window's own, read at each use.
    CallerFormActions(ui::CallerFormControls& form, const CallerFormHooks& hooks,
                      MessageService& messages, QWidget& owner);
    CallerFormActions(const CallerFormActions&) = delete;
    CallerFormActions& operator=(const CallerFormActions&) = delete;

    // Marks one of the form's own operations (a dialog, the map, dialling,
    // registering), optionally under the hourglass cursor.
    class Busy {
    public:
        explicit Busy(CallerFormActions& actions, bool hourglass = false);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        CallerFormActions& actions_;
        bool hourglass_;
    };
    bool busy() const { return busy_ > 0; }

    // Runs `hook` as one of the form's operations; without it the user is
    // told that the function is not ready yet.
    template <class Hook, class... Args> bool run(const Hook& hook, Args&&... args) {
        if (!hook) {
            notAvailable();
            return false;
        }
        Busy busy(*this);
        hook(std::forward<Args>(args)...);
        return true;
    }
    void notAvailable();

    std::filesystem::path dictionaryFolder() const;
    // kind 0 first number, 1 second number, 2 postal code, 3 address (the
    // prefecture and the three lines joined).
    std::string dictionaryText(int kind) const;
    // The dictionary dialog for that text, shown only when it cannot answer
    // at once; nothing when it found nothing or the user cancelled.
    std::optional<DictionaryAnswer> searchDictionary(int kind);

    // Joins the name edits to the name dictionary popup, once they exist.
    void bindNameEntry();
    // The name dictionary for the button: the owner's hook when it has one
    // (told whether the kanji edit is meant), else the popup under the
    // kanji edit.
    void showNameDictionary(const std::function<void(bool kanji)>& hook);

    bool openUrl(const QUrl& url);
    // Opens the e-mail address through "mailto:"; an empty address is
    // refused with a notice, a mail program that does not start is told
    // with `failureIcon`.
    void sendMail(MessageIcon failureIcon);

private:
    ui::CallerFormControls& form_;
    const CallerFormHooks& hooks_;
    MessageService& messages_;
    QWidget& owner_;
    NameEntryBinding* nameEntry_ = nullptr;
    int busy_ = 0;
};

// A dictionary hit taken into `form` (the roster editor or the call view):
// the fields ApplyDicResult fills, and the coordinates when the hit has any.
template <class Form>
void TakeDictionaryHit(Form& form, const DictionaryAnswer& answer, int searchKind) {
    auto fields = form.fields();
    ApplyDicResult(answer.hit, answer.resultKind, searchKind, fields);
    form.setFields(fields);
    if (answer.hit.latitude != 0 || answer.hit.longitude != 0)
        form.setCoordinates(answer.hit.latitude, answer.hit.longitude);
}

} // namespace kanata
