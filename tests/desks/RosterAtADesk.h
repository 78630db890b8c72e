#pragma once
// The program in the test's own process as a desk on the server, and its
// roster as the person at it opens it: from the menu window's tool bar, the
// list searched for the one entry whose number begins 039999, that entry's
// editor.
#include "tests/support/ProgramOnServer.h"

#include <functional>

namespace kanata {
class TMeiboList;
class TMeiboView;
} // namespace kanata

namespace kanata::test {

class RosterAtADesk : public ProgramOnServer {
protected:
    // Runs `body` with the list and the entry's editor, then closes both as
    // a person would.
    void withEditor(const std::function<void(TMeiboList&, TMeiboView&)>& body);
};

} // namespace kanata::test
