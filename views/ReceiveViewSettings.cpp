#include "views/ReceiveViewSettings.h"

#include "data/Cp932.h"
#include "settings/GlobalSettings.h"

namespace kanata {

ReceiveViewSettings ReceiveViewSettings::From(const GlobalSettings& g) {
    ReceiveViewSettings s;
    s.UsePbAdrs = g.UsePbAdrs;
    s.SameTelUpdate = g.SameTelUpdate;
    s.AutoAdd = g.AutoAdd;
    s.NotMoveFocus = g.NotMoveFocus;
    const std::string captions[] = {g.SelectItem1, g.SelectItem2, g.SelectItem3};
    for (int i = 0; i < 3; ++i) {
        if (!cp932::trim(captions[i]).empty())
            s.SelectItem[i] = captions[i];
    }
    s.PbAdrsBookName = g.PbAdrsBookName;
    s.addressBook.Memo1 = g.Memo1;
    s.addressBook.Memo2 = g.Memo2;
    s.addressBook.Memo3 = g.Memo3;
    s.addressBook.rank = g.rank;
    s.addressBook.Line1 = g.Line1;
    s.addressBook.Line2 = g.Line2;
    return s;
}

} // namespace kanata
