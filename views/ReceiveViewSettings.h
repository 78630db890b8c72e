#pragma once
// What the call views read from the global settings, taken over once when
// they are created.
#include "views/CallerRegistration.h"

#include <array>
#include <string>

namespace kanata {

struct GlobalSettings;

struct ReceiveViewSettings {
    bool UsePbAdrs = false;    // address-book mode
    bool SameTelUpdate = true; // automatic registration may update a row
    bool AutoAdd = true;       // register the shown caller before another is shown
    bool NotMoveFocus = false; // popped-up windows stay behind
    std::array<std::string, 3> SelectItem{"内容", "メモ", "受付"};
    // The caption of a record taken from the address book.
    std::string PbEditionTitle;
    std::string PbAdrsBookName;
    // Where the address book is; filled by the owner from the edition table.
    AddressBookPlace addressBook;

    // The keys of `settings`; the address book's place and the edition's
    // title are the owner's to add.
    static ReceiveViewSettings From(const GlobalSettings& settings);

    RegistrationOptions registrationOptions() const {
        return {UsePbAdrs, SameTelUpdate, addressBook};
    }
};

} // namespace kanata
