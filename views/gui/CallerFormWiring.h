#pragma once
// The buttons the call view and the roster editor answer alike, wired by the
// names both windows give their controls, handlers and hooks.
#include "views/gui/CallerFormActions.h"

#include <QPushButton>

#include <functional>

namespace kanata {

// Register, close, exchange and mail go to the form's handlers; the map and
// the name dictionary to the owner's hooks through `actions`.
template <class Form> void ConnectCommonButtons(Form& form, CallerFormActions& actions) {
    Form* f = &form;
    auto onClick = [f](QPushButton* button, std::function<void()> action) {
        QObject::connect(button, &QPushButton::clicked, f, [a = std::move(action)] { a(); });
    };
    onClick(f->btnRegister, [f] { f->btnRegisterClick(); });
    onClick(f->btnClose, [f] { f->close(); });
    onClick(f->btnExchange, [f] { f->btnExchangeClick(); });
    onClick(f->btnMail, [f] { f->btnMailClick(); });
    onClick(f->btnMap, [f, &actions] { actions.run(f->hooks().map, *f); });
    onClick(f->btnNameDic, [f, &actions] {
        std::function<void(bool)> hook;
        if (f->hooks().nameDictionary)
            hook = [f](bool kanji) { f->hooks().nameDictionary(*f, kanji); };
        actions.showNameDictionary(hook);
    });
}

} // namespace kanata
