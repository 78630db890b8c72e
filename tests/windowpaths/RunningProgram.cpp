#include "tests/windowpaths/RunningProgram.h"

#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "history/gui/ListRowView.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboSearch.h"
#include "roster/gui/TMeiboView.h"
#include "tests/support/UserInput.h"
#include "views/gui/TReceiveView.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

#include <fstream>

namespace kanata::test {

MeiboRow KnownCaller() {
    MeiboRow row;
    row.Tel1 = "03-5550-1234";
    row.SchTel1 = TelSearchKey(row.Tel1);
    row.Tel2 = "090-5550-9876";
    row.SchTel2 = TelSearchKey(row.Tel2);
    row.Pos = "1000005";
    row.Tdfkn = "東京都";
    row.Adrs1 = "千代田区";
    row.Adrs2 = "丸の内";
    row.Adrs3 = "１－９－１";
    row.JisCode = "13101";
    row.KajoCode = "004000";
    row.CorpKana = "ﾏﾙﾉｳﾁｼｮｳｼﾞ";
    row.CorpKanji = "丸の内商事株式会社";
    row.NameKana = "ｻﾄｳﾊﾅｺ";
    row.NameKanji = "佐藤花子";
    row.PrivCorp = "1";
    row.Memo1 = "月末締め";
    row.Memo3 = "午前中不在";
    row.EMail = "sato@example.jp";
    row.Latitude = kTokyoLatitude;
    row.Longitude = kTokyoLongitude;
    row.Msg = 1;
    row.Msg1 = "至急折り返し";
    row.BGColor = "$80FFFF";
    row.ExtLink = "https://example.jp/maru\r\n/srv/share/maru.txt";
    row.Note = "正面玄関は北側\r\n受付は２階";
    return row;
}

void RunningProgram::SetUp() {
    // An empty roster: the tests put in the callers they speak about.
    ASSERT_EQ(runTool("kanata-demo", {QStringLiteral("--empty")}), 0);
}

void RunningProgram::addRosterRow(const MeiboRow& row) {
    TDMKanata195& dm = *program->dataModule();
    TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    ASSERT_TRUE(dm.Meibo().append(row, messages).has_value());
}

std::optional<MeiboRow> RunningProgram::storedRow(const std::string& searchKey) {
    TDMKanata195& dm = *program->dataModule();
    TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    for (const MeiboRow& row : dm.Meibo().read({}))
        if (row.SchTel1 == searchKey)
            return row;
    return std::nullopt;
}

bool RunningProgram::inRosterList(const std::function<void(TMeiboList&)>& body) {
    WhenModal<TMeiboList> opened([&body](TMeiboList& list) {
        body(list);
        if (TMeiboView* view = list.view())
            click(view->btnClose);
        waitUntil([&list] { return list.view() == nullptr; }, 5000);
        click(list.btnClose);
    });
    click(form->toolBar()->widgetForAction(form->toolAction(1)));
    return opened.ran();
}

TMeiboView* RunningProgram::shownEditor(TMeiboList& list) {
    waitUntil([&list] { return list.view() && list.view()->isVisible(); }, 5000);
    TMeiboView* view = list.view();
    return view && view->isVisible() ? view : nullptr;
}

bool RunningProgram::listNumbers(TMeiboList& list, const QString& digits) {
    WhenModal<TMeiboSearch> search([&digits](TMeiboSearch& dialog) {
        typeInto(dialog.edtTel, digits);
        click(buttonTitled(dialog, QStringLiteral("検索(&S)")));
    });
    click(list.btnSearch);
    return search.ran();
}

TMeiboView* RunningProgram::inquireFirst(TMeiboList& list, const QString& digits) {
    if (!listNumbers(list, digits) || list.keys().empty())
        return nullptr;
    clickRow(list.lbxMeibo, 0);
    click(list.btnInquiry);
    return shownEditor(list);
}

TReceiveView* RunningProgram::callIn(const char* number) {
    if (runTool("ktcall", {QString::fromLatin1(number)}) != 0)
        return nullptr;
    waitUntil([] { return visibleWindow<TReceiveView>() != nullptr; }, 10000);
    return visibleWindow<TReceiveView>();
}

std::filesystem::path RunningProgram::standInProgram(const std::filesystem::path& where) const {
    std::filesystem::create_directories(where.parent_path());
    std::ofstream(where) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done >> '"
                         << recordFile().string() << "'\n";
    std::filesystem::permissions(where, std::filesystem::perms::owner_all);
    return where;
}

QStringList RunningProgram::recordedArguments(int count) const {
    QStringList lines;
    // The program is started without waiting; it writes when it runs.
    waitUntil(
        [this, count, &lines] {
            QFile file(QString::fromStdString(recordFile().string()));
            if (!file.open(QIODevice::ReadOnly))
                return false;
            lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return lines.size() >= count;
        },
        10000);
    return lines.size() >= count ? lines : QStringList{};
}

} // namespace kanata::test
