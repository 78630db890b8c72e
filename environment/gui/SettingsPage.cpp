#include "environment/gui/SettingsPage.h"

#include "platform/MessageService.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kanata::settings_page {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& text) {
    return text.toStdString();
}

QCheckBox* check(const char* caption, QLayout* into, const char* tip) {
    auto* box = new QCheckBox(QString::fromUtf8(caption));
    if (tip)
        box->setProperty(kTipProperty, QString::fromUtf8(tip));
    into->addWidget(box);
    return box;
}

QGroupBox* group(const char* caption, QBoxLayout* into) {
    auto* box = new QGroupBox(QString::fromUtf8(caption));
    new QVBoxLayout(box);
    into->addWidget(box);
    return box;
}

QSpinBox* numberField(int min, int max) {
    auto* field = new QSpinBox;
    field->setRange(min, max);
    // Only digits can be typed; a text the range refuses is put back to the
    // last valid value when the field is left.
    field->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    field->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    return field;
}

void notReady(MessageService& messages, QWidget* parent) {
    // The message belongs to the dialog, whichever page asks.
    messages.information("この機能は現在準備中です  ", parent->window());
}

} // namespace kanata::settings_page
