#pragma once
// The whole program in this process on a demo work folder with the build's
// call simulator, reached as a user reaches it: the menu window's tool bar,
// the roster list it opens (modal, with its editor as its own window) and
// the call view a simulated call pops up. Message boxes are answered from a
// script; every other window keeps its own modality and is driven with
// clicks and keys.
#include "data/MeiboTable.h"
#include "tests/support/ProgramInProcess.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace kanata {
class TMeiboList;
class TMeiboView;
class TReceiveView;
} // namespace kanata

namespace kanata::test {

// Tokyo station in milliseconds of arc, as the roster stores positions.
constexpr int kTokyoLatitude = 35 * 3600000 + 40 * 60000 + 52600;
constexpr int kTokyoLongitude = 139 * 3600000 + 46 * 60000 + 1500;

// A caller with every field the lookup carries over.
MeiboRow KnownCaller();

class RunningProgram : public ProgramInProcess {
protected:
    void SetUp() override;

    void addRosterRow(const MeiboRow& row);
    std::optional<MeiboRow> storedRow(const std::string& searchKey);

    // Opens the roster list from the tool bar and runs `body` in it; the
    // list is closed afterwards. False when the list did not open.
    bool inRosterList(const std::function<void(TMeiboList&)>& body);
    // The list's editor once it shows; null when it does not.
    static TMeiboView* shownEditor(TMeiboList& list);
    // Lists the records whose numbers begin with `digits` through the
    // list's search dialog; false when the dialog did not open.
    static bool listNumbers(TMeiboList& list, const QString& digits);
    // Lists them and opens the first of them in the editor.
    static TMeiboView* inquireFirst(TMeiboList& list, const QString& digits);

    // A call from `number` through ktcall; the call view it pops up.
    TReceiveView* callIn(const char* number);

    // A stand-in program that writes its arguments, one a line, into
    // recordFile(); the path of the script.
    std::filesystem::path standInProgram(const std::filesystem::path& where) const;
    std::filesystem::path recordFile() const { return folders.scratch() / "arguments.txt"; }
    // The lines recorded once `count` of them are there (empty on timeout).
    QStringList recordedArguments(int count) const;
};

} // namespace kanata::test
