#pragma once
// "メイン" of the roster editor: the record's numbers, address, names, memos,
// e-mail address and rank, each with its search or action button, row by
// row in the order Tab walks them.
#include "ui/gui/CallerForm.h"

#include <QWidget>

#include <string>

class QPushButton;

namespace kanata {

// The buttons only the roster editor's main page has; the editor inherits
// them, as it does the caller form's, so the names stay the window's own.
struct MeiboMainControls {
    QPushButton* btnTelSch1 = nullptr;
    QPushButton* btnTelSch2 = nullptr;
    QPushButton* btnDial = nullptr;
    QPushButton* btnPosSch = nullptr;
    QPushButton* btnAdrsSch = nullptr;
    QPushButton* btnRankEdit = nullptr;
};

class MeiboMainPage : public QWidget {
public:
    // Creates the edits of `form` and the buttons of both on the page; the
    // map button's tip names `mapName`, the map program in use.
    MeiboMainPage(ui::CallerFormControls& form, MeiboMainControls& own, const std::string& mapName,
                  QWidget* parent = nullptr);

private:
    void createControls(const std::string& mapName);
    void layOut();

    ui::CallerFormControls& form_;
    MeiboMainControls& own_;
};

} // namespace kanata
