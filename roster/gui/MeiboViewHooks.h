#pragma once
// What the roster editor reaches outside itself.
#include "roster/MeiboSettings.h"
#include "views/gui/CallerFormActions.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace kanata {

class TMeiboView;

// What the editor reaches outside itself. An action whose hook is not set
// tells the user that it is not available yet.
struct MeiboViewHooks : CallerFormHooks {
    // Dictionary search: kind 0 first number, 1 second number, 2 postal
    // code, 3 address; the hook fills the editor through setFields().
    std::function<void(TMeiboView&, int kind, const std::string& text)> dictionary;
    std::function<void(TMeiboView&, bool kanji)> nameDictionary;
    std::function<void(const std::string& tel1, const std::string& tel2)> dial;
    std::function<void(TMeiboView&)> map;
    // The file and URL choosers and the colour dialog; unset = the dialogs.
    std::function<std::optional<QString>()> chooseFile;
    std::function<std::optional<QString>()> askUrl;
    std::function<std::optional<QColor>(const QColor& initial, CustomColours& custom)> chooseColour;
    // The roster list refills its current page after a registration
    // (replaced = an existing row took the new entry).
    std::function<void(bool replaced)> onRegistered;
    // The number search took over the stored caller of roster record `recNo`.
    std::function<void(int recNo)> onCallerTakenOver;
};

} // namespace kanata
