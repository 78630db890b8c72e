#include "ui/gui/Cp932ByteLimit.h"

#include "data/Cp932.h"

#include <QLineEdit>

namespace kanata::ui {
namespace {

std::size_t widthOf(const QString& text) {
    return cp932::byteWidth(text.toStdString());
}

} // namespace

Cp932ByteLimit::Cp932ByteLimit(int bytes, QObject* parent) : QValidator(parent), bytes_(bytes) {}

QValidator::State Cp932ByteLimit::validate(QString& input, int& pos) const {
    input = FitToCp932Bytes(input, pos, bytes_);
    return Acceptable;
}

QString FitToCp932Bytes(const QString& text, int& cursor, int bytes) {
    const auto limit = static_cast<std::size_t>(std::max(bytes, 0));
    if (static_cast<std::size_t>(text.size()) <= limit / 2 || widthOf(text) <= limit)
        return text; // no character is wider than two bytes
    cursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
    const QString after = text.mid(cursor);
    const std::size_t afterWidth = widthOf(after);
    if (afterWidth >= limit) {
        const QString cut = QString::fromStdString(cp932::cutToWidth(after.toStdString(), limit));
        cursor = 0;
        return cut;
    }
    const QString before = QString::fromStdString(
        cp932::cutToWidth(text.left(cursor).toStdString(), limit - afterWidth));
    cursor = static_cast<int>(before.size());
    return before + after;
}

void LimitToCp932Bytes(QLineEdit* edit, int bytes) {
    delete qobject_cast<const Cp932ByteLimit*>(edit->validator());
    edit->setMaxLength(32767);
    edit->setValidator(new Cp932ByteLimit(bytes, edit));
}

int Cp932ByteLimitOf(const QLineEdit* edit) {
    const auto* limit = qobject_cast<const Cp932ByteLimit*>(edit->validator());
    return limit ? limit->bytes() : -1;
}

} // namespace kanata::ui
