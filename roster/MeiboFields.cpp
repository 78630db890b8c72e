#include "roster/MeiboFields.h"

#include "data/Cp932.h"
#include "data/TelKeys.h"
#include "data/TextLines.h"
#include "roster/ExtLinkList.h"
#include "views/ShownFields.h"

namespace kanata {
namespace {

std::vector<std::string> trimmedLines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& line : lines)
        out.push_back(cp932::trim(line));
    while (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

} // namespace

MeiboFields MeiboFields::trimmed() const {
    MeiboFields f = *this;
    for (std::string* t :
         {&f.Tel1,      &f.Tel2,    &f.Pos,      &f.Tdfkn,    &f.Adrs1,     &f.Adrs2,
          &f.Adrs3,     &f.JisCode, &f.KajoCode, &f.CorpKana, &f.CorpKanji, &f.NameKana,
          &f.NameKanji, &f.Memo1,   &f.Memo2,    &f.Memo3,    &f.EMail,     &f.Rank,
          &f.Msg1,      &f.Msg2,    &f.BGColor})
        *t = cp932::trim(*t);
    f.ExtLink = trimmedLines(ExtLink);
    f.Note = trimmedLines(Note);
    // Links are whole lines; an empty one is no link.
    std::erase(f.ExtLink, std::string());
    f.Msg = Msg == 1 ? 1 : 0;
    return f;
}

MeiboFields FieldsFromRow(const MeiboRow& r) {
    MeiboFields f;
    f.Tel1 = r.Tel1;
    f.Tel2 = r.Tel2;
    f.Pos = FormatPostalCode(cp932::trim(r.Pos));
    CopyAddressAndNames(f, r);
    f.PrivCorp = cp932::trim(r.PrivCorp) == "1" ? 1 : 0;
    CopyMemosAndRank(f, r);
    f.ExtLink = SplitLines(r.ExtLink);
    f.Note = SplitLines(r.Note);
    f.Msg = r.Msg;
    f.Msg1 = r.Msg1;
    f.Msg2 = r.Msg2;
    // The editor shows a colour in one spelling and none for an unreadable
    // one; the loaded record says the same, so opening is no change.
    Rgb colour;
    f.BGColor = ParseStoredColour(cp932::trim(r.BGColor), colour) ? StoredColourText(colour) : "";
    f.Latitude = r.Latitude;
    f.Longitude = r.Longitude;
    return f.trimmed();
}

MeiboRow RowFromFields(const MeiboFields& fields, int recNo) {
    const MeiboFields f = fields.trimmed();
    MeiboRow r = RosterRowFromFields(f);
    r.RecNo = recNo;
    r.Latitude = f.Latitude;
    r.Longitude = f.Longitude;
    r.Msg = f.Msg;
    r.Msg1 = f.Msg1;
    r.Msg2 = f.Msg2;
    r.BGColor = f.BGColor;
    return r;
}

} // namespace kanata
