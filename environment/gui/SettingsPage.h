#pragma once
// One page of the settings dialog: its controls over the model's working
// copy of the settings, filled from it and written back into it.
#include <QWidget>

class QBoxLayout;
class QCheckBox;
class QGroupBox;
class QLayout;
class QSpinBox;

namespace kanata {

class EnvironmentModel;
class MessageService;

class SettingsPage : public QWidget {
public:
    explicit SettingsPage(EnvironmentModel& model) : model_(model) {}

    // Shows the working copy in the controls.
    virtual void load() = 0;
    // Takes the controls into the working copy.
    virtual void collect() = 0;

protected:
    EnvironmentModel& model_;
};

namespace settings_page {

// The property holding a control's hint, shown while "ヒント表示" is on.
inline constexpr const char* kTipProperty = "kanataTip";

QString q(const std::string& s);
std::string s(const QString& text);
QCheckBox* check(const char* caption, QLayout* into, const char* tip = nullptr);
QGroupBox* group(const char* caption, QBoxLayout* into);
QSpinBox* numberField(int min, int max);
// An action the program does not offer yet says so.
void notReady(MessageService& messages, QWidget* parent);

} // namespace settings_page
} // namespace kanata
