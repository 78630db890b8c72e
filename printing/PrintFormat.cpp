#include "printing/PrintFormat.h"

#include "settings/IniFile.h"

namespace kanata {

namespace {

int ReadRanged(const IniFile& ini, const char* key, int def, int low, int high) {
    const int value = ini.readInteger(kListPrintSection, key, def);
    return value < low || value > high ? def : value;
}

template <class E> E ReadEnum(const IniFile& ini, const char* key, E def, int high) {
    return static_cast<E>(ReadRanged(ini, key, static_cast<int>(def), 0, high));
}

StoredColour ReadColour(const IniFile& ini, const std::string& key) {
    // Colours are 24-bit; a negative or unreadable value is not one.
    const int value = ini.readInteger(kListPrintSection, key, static_cast<int>(kWhite));
    return value < 0 || value > static_cast<int>(kWhite) ? kWhite
                                                         : static_cast<StoredColour>(value);
}

std::size_t CharacterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

} // namespace

PrintFormat ReadPrintFormat(const IniFile& ini) {
    PrintFormat f;
    f.source = ReadEnum(ini, "PrintSource", PrintSource::History, 1);
    f.ignoreTdfkn = ini.readBool(kListPrintSection, "IgnoreTdfkn", false);
    f.title = ini.readString(kListPrintSection, "Title");
    if (CharacterCount(f.title) > 200)
        f.title.clear();
    f.titlePos = ReadEnum(ini, "TitlePosX", HorizontalPosition::Centre, 2);
    f.viewDate = ini.readBool(kListPrintSection, "ViewDate", true);
    f.datePosX = ReadEnum(ini, "DatePosX", HorizontalPosition::Right, 2);
    f.datePosY = ReadEnum(ini, "DatePosY", VerticalPosition::Top, 1);
    f.viewPage = ini.readBool(kListPrintSection, "ViewPage", true);
    f.pageType = ReadRanged(ini, "PageType", 0, 0, 5);
    f.pagePosX = ReadEnum(ini, "PagePosX", HorizontalPosition::Centre, 2);
    f.pagePosY = ReadEnum(ini, "PagePosY", VerticalPosition::Bottom, 1);
    f.fontName = ini.readString(kListPrintSection, "FontName");
    if (f.fontName.empty())
        f.fontName = kDefaultPrintFont;
    f.fontSizeIndex = ReadRanged(ini, "FontSize", 2, 0, 23);
    f.fontStyle = ReadRanged(ini, "FontStyle", 0, 0, 3);
    f.fontCharset = ini.readInteger(kListPrintSection, "FontCharset", 128);
    if (f.fontCharset != 0 && f.fontCharset != 128)
        f.fontCharset = 128;
    f.rowCountIndex = ReadRanged(ini, "iRowCount", 0, 0, 2);
    f.offsetX = ReadRanged(ini, "OffsetX", 0, 0, 500);
    f.offsetY = ReadRanged(ini, "OffsetY", 0, 0, 500);
    for (int i = 0; i < kRuledLineCount; ++i) {
        const std::string n = std::to_string(i + 1);
        f.lines[static_cast<std::size_t>(i)].on =
            ini.readBool(kListPrintSection, "Line" + n, false);
        f.lines[static_cast<std::size_t>(i)].type =
            ReadRanged(ini, ("LineType" + n).c_str(), 0, 0, kLineTypeCount - 1);
    }
    f.horzInterval = ReadRanged(ini, "HorzInterval", 1, 1, 20);
    f.headerColour = ReadColour(ini, "HeaderColor");
    f.headerColourExists = ini.readBool(kListPrintSection, "HeaderColorExists", false);
    const int colours = ReadRanged(ini, "ColorCount", 0, 0, kMaxDataColours);
    for (int i = 1; i <= colours; ++i)
        f.dataColours.push_back(ReadColour(ini, "Color" + std::to_string(i)));
    f.dataSelect = ReadRanged(ini, "DataSelect", 0, 0, 2);
    f.copies = ReadRanged(ini, "Copies", 1, 1, 100);
    return f;
}

void WritePrintFormat(IniFile& ini, const PrintFormat& f) {
    const auto s = kListPrintSection;
    ini.writeInteger(s, "PrintSource", static_cast<int>(f.source));
    ini.writeBool(s, "IgnoreTdfkn", f.ignoreTdfkn);
    ini.writeString(s, "Title", f.title);
    ini.writeInteger(s, "TitlePosX", static_cast<int>(f.titlePos));
    ini.writeBool(s, "ViewDate", f.viewDate);
    ini.writeInteger(s, "DatePosX", static_cast<int>(f.datePosX));
    ini.writeInteger(s, "DatePosY", static_cast<int>(f.datePosY));
    ini.writeBool(s, "ViewPage", f.viewPage);
    ini.writeInteger(s, "PageType", f.pageType);
    ini.writeInteger(s, "PagePosX", static_cast<int>(f.pagePosX));
    ini.writeInteger(s, "PagePosY", static_cast<int>(f.pagePosY));
    ini.writeString(s, "FontName", f.fontName);
    ini.writeInteger(s, "FontSize", f.fontSizeIndex);
    ini.writeInteger(s, "FontStyle", f.fontStyle);
    ini.writeInteger(s, "FontCharset", f.fontCharset);
    ini.writeInteger(s, "iRowCount", f.rowCountIndex);
    ini.writeInteger(s, "OffsetX", f.offsetX);
    ini.writeInteger(s, "OffsetY", f.offsetY);
    for (int i = 0; i < kRuledLineCount; ++i) {
        const std::string n = std::to_string(i + 1);
        ini.writeBool(s, "Line" + n, f.lines[static_cast<std::size_t>(i)].on);
        ini.writeInteger(s, "LineType" + n, f.lines[static_cast<std::size_t>(i)].type);
    }
    ini.writeInteger(s, "HorzInterval", f.horzInterval);
    ini.writeInteger(s, "HeaderColor", static_cast<int>(f.headerColour));
    ini.writeBool(s, "HeaderColorExists", f.headerColourExists);
    for (int i = 1; i <= kMaxDataColours; ++i)
        ini.deleteKey(s, "Color" + std::to_string(i));
    ini.writeInteger(s, "ColorCount", static_cast<int>(f.dataColours.size()));
    for (std::size_t i = 0; i < f.dataColours.size(); ++i)
        ini.writeInteger(s, "Color" + std::to_string(i + 1), static_cast<int>(f.dataColours[i]));
    ini.writeInteger(s, "DataSelect", f.dataSelect);
    ini.writeInteger(s, "Copies", f.copies);
}

std::string PageNumberText(int pageType, int page, int pageCount) {
    const std::string p = std::to_string(page);
    const std::string n = std::to_string(pageCount);
    switch (pageType) {
    case 1:
        return "- " + p + " -";
    case 2:
        return p + " ページ";
    case 3:
        return "Page. " + p + " / " + n;
    case 4:
        return "- " + p + " / " + n + " -";
    case 5:
        return p + " / " + n + " ページ";
    default:
        return "Page. " + p;
    }
}

std::vector<std::string> PageTypeCaptions() {
    return {"Page. ***",           "- *** -",           "*** ページ",
            "Page. *** / [total]", "- *** / [total] -", "*** / [total] ページ"};
}

} // namespace kanata
