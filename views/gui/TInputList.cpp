#include "views/gui/TInputList.h"

#include "ui/gui/CallerForm.h"
#include "ui/gui/Cp932ByteLimit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace kanata {

using ui::MakeButtonColumn;
using ui::MakeButtons;
using ui::MakeRightRow;

TInputList::TInputList(std::vector<InputListEditor::TabSource> tabs, MessageService& messages,
                       int initialTab, QWidget* parent)
    : QDialog(parent), editor_(std::move(tabs), messages) {
    setWindowTitle(QStringLiteral("入力リストの編集"));
    tabList = new QTabBar(this);
    for (int i = 0; i < editor_.tabCount(); ++i)
        tabList->addTab(QString::fromStdString(editor_.caption(i)));
    lbxNames = new QListWidget(this);
    lbxNames->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxNames->setMinimumSize(260, 240);
    edtName = new QLineEdit(this);
    MakeButtons(this, {{&btnAdd, "追加"},
                       {&btnChange, "変更"},
                       {&btnDelete, "削除"},
                       {&btnUp, "上"},
                       {&btnDown, "下"},
                       {&btnOK, "OK"},
                       {&btnCancel, "キャンセル"}});

    QVBoxLayout* side = MakeButtonColumn({btnAdd, btnChange, btnDelete}, 12, {btnUp, btnDown});
    auto* body = new QGridLayout;
    body->addWidget(new QLabel(QStringLiteral("名称"), this), 0, 0);
    body->addWidget(edtName, 0, 1);
    body->addWidget(lbxNames, 1, 0, 1, 2);
    body->addLayout(side, 0, 2, 2, 1);
    auto* main = new QVBoxLayout(this);
    main->addWidget(tabList);
    main->addLayout(body);
    main->addLayout(MakeRightRow({btnOK, btnCancel}));

    editor_.SelectInitialTab(initialTab);
    tabList->setCurrentIndex(editor_.currentTab());
    showTab();

    connect(tabList, &QTabBar::currentChanged, this, &TInputList::tabChanged);
    connect(lbxNames, &QListWidget::itemSelectionChanged, this, [this] {
        if (!refilling_) {
            pushSelection();
            updateButtons();
        }
    });
    connect(lbxNames, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        edtName->setText(item->text());
        edtName->setFocus();
        edtName->end(false);
    });
    connect(btnAdd, &QPushButton::clicked, this, [this] {
        if (editor_.Add(edtName->text().toStdString()))
            afterChange(true);
        edtName->setFocus();
    });
    connect(btnChange, &QPushButton::clicked, this, [this] {
        if (editor_.Change(edtName->text().toStdString()))
            afterChange(true);
    });
    connect(btnDelete, &QPushButton::clicked, this, [this] {
        editor_.Delete();
        afterChange(false);
    });
    connect(btnUp, &QPushButton::clicked, this, [this] {
        editor_.Up();
        afterChange(false);
    });
    connect(btnDown, &QPushButton::clicked, this, [this] {
        editor_.Down();
        afterChange(false);
    });
    connect(btnOK, &QPushButton::clicked, this, &TInputList::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TInputList::reject);
    edtName->installEventFilter(this);
    lbxNames->installEventFilter(this);
}

bool TInputList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    if (watched == edtName) {
        if (!edtName->text().trimmed().isEmpty())
            btnAdd->click();
        else
            (editor_.ChangedMask() ? btnOK : btnCancel)->setFocus();
        return true;
    }
    if (watched == lbxNames) {
        edtName->setFocus();
        edtName->end(false);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TInputList::showTab() {
    ui::LimitToCp932Bytes(edtName, editor_.maxBytes(editor_.currentTab()));
    // After the byte limit, which lifts any character limit.
    edtName->setMaxLength(editor_.maxChars(editor_.currentTab()));
    edtName->setText(QString::fromStdString(editor_.nameField()));
    refill();
}

void TInputList::refill() {
    refilling_ = true;
    lbxNames->clear();
    for (const auto& name : editor_.names())
        lbxNames->addItem(QString::fromStdString(name));
    for (int i : editor_.selection())
        lbxNames->item(i)->setSelected(true);
    if (!editor_.selection().empty())
        lbxNames->setCurrentRow(*editor_.selection().begin(), QItemSelectionModel::NoUpdate);
    refilling_ = false;
    updateButtons();
}

void TInputList::pushSelection() {
    std::set<int> selected;
    for (int i = 0; i < lbxNames->count(); ++i) {
        if (lbxNames->item(i)->isSelected())
            selected.insert(i);
    }
    editor_.setSelection(std::move(selected));
}

void TInputList::updateButtons() {
    btnUp->setEnabled(editor_.CanUp());
    btnDown->setEnabled(editor_.CanDown());
}

void TInputList::afterChange(bool clearName) {
    if (clearName)
        edtName->clear();
    refill();
}

void TInputList::tabChanged(int index) {
    if (editor_.currentTab() == index)
        return;
    if (!editor_.SwitchTab(index, edtName->text().toStdString())) {
        const QSignalBlocker block(tabList);
        tabList->setCurrentIndex(editor_.currentTab());
        return;
    }
    showTab();
}

void TInputList::accept() {
    if (editor_.Accept())
        QDialog::accept();
}

void TInputList::reject() {
    if (editor_.ConfirmCancel())
        QDialog::reject();
}

} // namespace kanata
