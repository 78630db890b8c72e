#include "app/DeskCalls.h"

#include "app/CallWindows.h"
#include "app/DeskMode.h"
#include "app/ProgramState.h"
#include "data/TDMKanata195.h"
#include "history/HistoryInquiry.h"
#include "intake/CallProcessor.h"
#include "lookup/CallerLookup.h"

#include <cstdio>

namespace kanata {
namespace {

const char* changeWord(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Added:
        return "added";
    case ChangeKind::Changed:
        return "changed";
    case ChangeKind::Removed:
        break;
    }
    return "removed";
}

void refreshHistory(ProgramState& s) {
    if (THistoryList* list = s.windows->historyList())
        list->RefreshPage(0, 0);
}

DeskMode::Reactions deskReactions(ProgramState& s) {
    DeskMode::Reactions r;
    r.callStored = [&s](int recNo) { ShowDeskCall(s, recNo); };
    r.historyChanged = [&s] { refreshHistory(s); };
    r.rosterChanged = [&s](const StoreChange& change) {
        // On standard error beside the calls a desk shows: another desk's
        // save reaches this one even while nobody has its roster open.
        std::fprintf(stderr, "kanata195: desk refreshes the roster for record %d (%s)\n",
                     change.recNo, changeWord(change.kind));
        std::fflush(stderr);
        if (s.actions.refreshRosterList)
            s.actions.refreshRosterList();
    };
    r.reconnected = [&s] {
        auto resume = [&s] {
            if (!s.desk)
                return; // the settings changed meanwhile
            s.desk->resume();
            // What came while the server was away is in the tables now.
            s.windows->historyRefreshFirstPage();
            if (s.actions.refreshRosterList)
                s.actions.refreshRosterList();
        };
        if (s.actions.reviveServerTables)
            s.actions.reviveServerTables(resume);
        else
            resume();
    };
    return r;
}

} // namespace

void ReviewDeskMode(ProgramState& s) {
    const bool wanted = s.tablesOpen && s.dm && IsDesk(s.settings, s.tablesStore);
    if (!wanted) {
        s.desk.reset();
        return;
    }
    if (s.desk)
        return;
    s.desk = std::make_unique<DeskMode>(MakeServerChangeListener(s.tablesStore.server),
                                        s.serverStatus, deskReactions(s));
    s.desk->start();
}

void ShowDeskCall(ProgramState& s, int recNo) {
    if (!s.dm || !s.processor || !s.lookup)
        return;
    std::optional<RecvHisRow> row;
    try {
        row = s.dm->RecvHis().find(recNo);
    } catch (const std::exception& e) {
        // The server went between the announcement and the read; the
        // listener notices it too and the list is refreshed on its return.
        std::fprintf(stderr, "kanata195: call %d could not be read: %s\n", recNo, e.what());
        return;
    }
    if (!row)
        return; // deleted before this desk came to read it
    LookupCallerFn lookup = [&s](bool own, bool ask, const std::string& number, CallRecord& r) {
        return s.lookup->LookupCaller(own, ask, number, r);
    };
    const CallRecord record =
        BuildInquiryRecord(*row, lookup, s.settings.EarlierSearch, s.dm->RecvHis());
    s.processor->ShowCallStoredElsewhere(record);
    std::fprintf(stderr, "kanata195: desk shows call %d\n", recNo);
    std::fflush(stderr);
}

} // namespace kanata
