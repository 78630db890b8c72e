#pragma once
// A data folder with both tables open and an export writer over them.
#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/TelKeys.h"
#include "tests/support/DataFolderTest.h"
#include "transfer/ExportRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace kanata::test {

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lines of a code page 932 CR LF text, in UTF-8; fails on a bare LF.
inline std::vector<std::string> TextLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "the last line has no CR LF";
        if (end == std::string::npos)
            break;
        const std::string line = bytes.substr(start, end - start);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        lines.push_back(cp932::decode(line));
        start = end + 2;
    }
    return lines;
}

class ExportFixture : public DataFolderTest {
protected:
    HyphenationService hyphenation;

    void SetUp() override {
        openTables();
        hyphenation.Load(stageFolder() / "Dic", messages);
    }

    int addCall(const std::string& tel, DateTime when, const std::string& corpKanji = {},
                const std::string& nameKanji = {}) {
        RecvHisRow call;
        call.RecvDateTime = when;
        call.Tel = tel;
        call.SchTel = IsReasonCode(tel) ? tel : TelSearchKey(tel);
        call.CorpKanji = corpKanji;
        call.NameKanji = nameKanji;
        call.Division = "1";
        return *dm.RecvHis().append(call, messages);
    }
    int addCaller(MeiboRow row) { return *dm.Meibo().append(row, messages); }

    ExportJob job(ExportSource source, std::vector<std::vector<int>> columns) {
        ExportJob j;
        j.source = source;
        for (const auto& c : columns)
            j.layout.addColumn(c);
        j.captions = ExportItemCaptions(source, {"内容", "メモ", "受付"});
        j.range = ExportRange::All;
        if (source == ExportSource::History)
            UseHistoryOrder(j);
        else
            UseRosterOrder(j, "");
        return j;
    }
    std::vector<std::string> run(const ExportJob& j) {
        ExportWriter writer(dm.RecvHis(), dm.Meibo(), &hyphenation);
        std::ostringstream out;
        writer.write(j, out);
        return TextLines(out.str());
    }
};

inline DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return DateTime{y, mo, d, h, mi, s, 0};
}

} // namespace kanata::test
