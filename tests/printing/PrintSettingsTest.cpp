// The stored side of list printing: the format's ranges, the layouts and
// their rules, the templates and the ruled-line buttons.
#include "printing/PrintFormat.h"
#include "printing/PrintLayout.h"
#include "printing/PrintTemplates.h"
#include "printing/RuledLines.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace kanata {
namespace {

IniFile IniOf(const std::string& text) {
    IniFile ini("unused.ini");
    ini.parse(text);
    return ini;
}

TEST(PrintFormatStorage, OutOfRangeValuesFallBackToTheirDefaults) {
    const PrintFormat f = ReadPrintFormat(IniOf("[LIST PRINT]\r\nFontSize=24\r\nColorCount=11\r\n"
                                                "Color1=255\r\nCopies=0\r\nHorzInterval=21\r\n"
                                                "PagePosY=2\r\nFontCharset=1\r\niRowCount=3\r\n"
                                                "OffsetX=501\r\nLineType3=6\r\n"));
    EXPECT_EQ(f.fontPoints(), 9);
    EXPECT_TRUE(f.dataColours.empty());
    EXPECT_EQ(f.copies, 1);
    EXPECT_EQ(f.horzInterval, 1);
    EXPECT_EQ(f.pagePosY, VerticalPosition::Bottom);
    EXPECT_EQ(f.fontCharset, 128);
    EXPECT_EQ(f.rowsPerRecord(), 1);
    EXPECT_EQ(f.offsetX, 0);
    EXPECT_EQ(f.lines[BottomEdge].type, 0);
    EXPECT_EQ(f.fontName, kDefaultPrintFont);
}

TEST(PrintFormatStorage, WhatIsWrittenReadsBackTheSame) {
    PrintFormat f;
    f.source = PrintSource::Roster;
    f.title = "着信一覧";
    f.datePosY = VerticalPosition::Bottom;
    f.pageType = 5;
    f.fontName = "Noto Sans CJK JP";
    f.fontSizeIndex = 23;
    f.fontStyle = 3;
    f.rowCountIndex = 2;
    f.offsetY = 500;
    f.lines[InnerVertical] = {true, 4};
    f.headerColour = 0x123456;
    f.headerColourExists = true;
    f.dataColours = {0xFFEEDD, 0xCCBBAA};
    f.copies = 100;
    IniFile ini("unused.ini");
    // A longer colour list written before must not survive a shorter one.
    PrintFormat longer = f;
    longer.dataColours.assign(10, 0x111111);
    WritePrintFormat(ini, longer);
    WritePrintFormat(ini, f);
    EXPECT_EQ(ReadPrintFormat(ini), f);
    EXPECT_FALSE(ini.hasKey(kListPrintSection, "Color3"));
}

TEST(PrintLayoutRules, BlankRepeatsOtherItemsOnceAndAtMostAHundredColumns) {
    PrintLayout layout;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PlaceItem(layout, 0, kBlankItem, 2), PlaceOutcome::Placed);
    EXPECT_EQ(PlaceItem(layout, 1, 4, 13), PlaceOutcome::Placed);
    EXPECT_EQ(PlaceItem(layout, 3, 4, 13), PlaceOutcome::AlreadyPlaced);
    EXPECT_EQ(layout[1].item, 4);
    EXPECT_EQ(UnplacedItems(layout, 6), (std::vector<int>{0, 1, 2, 3, 5}));
    while (layout.size() < kMaxLayoutEntries)
        PlaceItem(layout, layout.size(), kBlankItem, 2);
    EXPECT_EQ(PlaceItem(layout, 0, kBlankItem, 2), PlaceOutcome::LayoutFull);
}

TEST(PrintLayoutRules, StoredLayoutIsTakenOnlyWhenConsistent) {
    const auto read = [](const std::string& body) {
        return ReadLayout(IniOf("[L]\r\n" + body), "L", 26);
    };
    const auto good = read("ItemNo=0,4,0,8\r\nItemSize=2,13,3,14\r\n");
    ASSERT_TRUE(good);
    EXPECT_EQ(*good, (PrintLayout{{0, 2}, {4, 13}, {0, 3}, {8, 14}}));
    EXPECT_FALSE(read("ItemNo=0,4\r\n"));                   // sizes missing
    EXPECT_FALSE(read("ItemNo=0,4\r\nItemSize=2\r\n"));     // counts differ
    EXPECT_FALSE(read("ItemNo=4,4\r\nItemSize=13,13\r\n")); // item twice
    EXPECT_FALSE(read("ItemNo=26\r\nItemSize=5\r\n"));      // no such item
    EXPECT_FALSE(read("ItemNo=x\r\nItemSize=5\r\n"));       // not a number
    EXPECT_FALSE(read("ItemNo=3\r\nItemSize=1000\r\n"));    // too wide
    std::string many = "ItemNo=0", sizes = "ItemSize=1";
    for (int i = 1; i <= 100; ++i)
        many += ",0", sizes += ",1";
    EXPECT_FALSE(read(many + "\r\n" + sizes + "\r\n")); // 101 columns
}

TEST(PrintTemplateList, SavesDeletesAndRefusesAsTheUserIsTold) {
    test::TempFolders folders;
    const auto file = folders.scratch() / "LPRHis.tpl";
    PrintTemplates templates(file, 26);
    templates.load(PrintLayout{{4, 13}});
    ASSERT_EQ(templates.entries().front().name, kLastLayoutName);
    EXPECT_EQ(templates.save(kLastLayoutName, {{5, 30}}), TemplateSaveOutcome::ReservedName);
    EXPECT_EQ(templates.save("", {{5, 30}}), TemplateSaveOutcome::EmptyName);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(templates.save("型" + std::to_string(i), {{5, i + 1}}),
                  TemplateSaveOutcome::Saved);
    EXPECT_FALSE(templates.canSave());
    EXPECT_EQ(templates.save("十一", {{5, 30}}), TemplateSaveOutcome::ListFull);
    EXPECT_EQ(templates.save("型3", {{5, 30}}), TemplateSaveOutcome::DuplicateName);
    EXPECT_EQ(templates.remove(kLastLayoutName), TemplateDeleteOutcome::ReservedName);
    EXPECT_EQ(templates.remove("無い"), TemplateDeleteOutcome::NotFound);
    EXPECT_EQ(templates.remove("型3"), TemplateDeleteOutcome::Deleted);

    // The file holds the nine others, not the layout in use.
    PrintTemplates reread(file, 26);
    reread.load(std::nullopt);
    ASSERT_EQ(reread.entries().size(), 9u);
    EXPECT_EQ(reread.entries()[3].name, "型4");
    EXPECT_EQ(reread.entries()[3].layout, (PrintLayout{{5, 5}}));
    EXPECT_FALSE(reread.find(kLastLayoutName));
}

TEST(RuledLineButtons, ToggleByTypeAndGroups) {
    RuledLines lines{};
    ToggleRuledLine(lines, LeftEdge, 2);
    EXPECT_EQ(lines[LeftEdge], (RuledLineSetting{true, 2}));
    ToggleRuledLine(lines, LeftEdge, 3); // another type: stays on, new type
    EXPECT_EQ(lines[LeftEdge], (RuledLineSetting{true, 3}));
    ToggleRuledLine(lines, LeftEdge, 3);
    EXPECT_FALSE(lines[LeftEdge].on);

    ToggleEdges(lines, 1);
    ToggleEdges(lines, 1);
    for (RuledLine p : {TopEdge, BottomEdge, LeftEdge, RightEdge})
        EXPECT_FALSE(lines[p].on);

    ToggleRuledLine(lines, TopEdge, 0); // one edge of another type: all four on
    ToggleEdges(lines, 1);
    for (RuledLine p : {TopEdge, BottomEdge, LeftEdge, RightEdge})
        EXPECT_EQ(lines[p], (RuledLineSetting{true, 1}));
    ToggleInnerLines(lines, 5);
    EXPECT_EQ(lines[InnerHorizontal], (RuledLineSetting{true, 5}));
    EXPECT_EQ(lines[InnerVertical], (RuledLineSetting{true, 5}));
    ClearRuledLines(lines);
    for (const auto& l : lines)
        EXPECT_FALSE(l.on);
}

} // namespace
} // namespace kanata
