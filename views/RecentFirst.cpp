#include "views/RecentFirst.h"

#include "data/Cp932.h"
#include "data/THistoryData.h"
#include "platform/MessageService.h"

namespace kanata {

bool MoveToTop(THistoryData& list, const std::string& text, MessageService& messages) {
    // The user was told at start that the list could not be read; nothing
    // is put into it, so that nothing suggests its file was written. A
    // shared list is read again below and may well be readable now.
    if (list.unreadable() && !list.shared())
        return false;
    // Compared in its stored form, so that a long text found once is found
    // again instead of entering the list a second time.
    const std::string item =
        cp932::cutToWidth(cp932::trim(text), static_cast<std::size_t>(list.itemSize()));
    if (item.empty())
        return false;
    try {
        return list.Update([&](THistoryData& stored) {
            const int at = stored.IndexOf(item);
            if (at == 0)
                return false;
            if (at > 0)
                stored.Delete(at);
            stored.Insert(0, item, 0);
            return true;
        });
    } catch (const EHistoryDataError& e) {
        messages.error(e.what());
        return true;
    }
}

} // namespace kanata
