#include "tests/desks/RosterAtADesk.h"

#include "history/gui/ListRowView.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboSearch.h"
#include "roster/gui/TMeiboView.h"
#include "tests/support/UserInput.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

namespace kanata::test {

void RosterAtADesk::withEditor(const std::function<void(TMeiboList&, TMeiboView&)>& body) {
    WhenModal<TMeiboList> opening([&](TMeiboList& list) {
        WhenModal<TMeiboSearch> search([](TMeiboSearch& dialog) {
            typeInto(dialog.edtTel, QStringLiteral("039999"));
            click(buttonTitled(dialog, QStringLiteral("検索(&S)")));
        });
        click(list.btnSearch);
        ASSERT_EQ(list.keys().size(), 1u);
        clickRow(list.lbxMeibo, 0);
        click(list.btnInquiry);
        waitUntil([&list] { return list.view() && list.view()->isVisible(); }, 5000);
        ASSERT_NE(list.view(), nullptr);
        body(list, *list.view());
        if (list.view())
            click(list.view()->btnClose);
        waitUntil([&list] { return list.view() == nullptr; }, 5000);
        click(list.btnClose);
    });
    click(form->toolBar()->widgetForAction(form->toolAction(1)));
    ASSERT_TRUE(opening.ran());
}

} // namespace kanata::test
