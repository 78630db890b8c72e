#pragma once
// "テキストファイル出力": the export's source, range mode, output type,
// options and output layout; "一覧(&L)" opens the source's list window.
#ifndef Q_MOC_RUN
#include "transfer/ExportSettings.h"
#endif

#include <QDialog>

#include <array>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace kanata {

struct ExportEnvironment;

class TFileExport : public QDialog {
    Q_OBJECT
public:
    explicit TFileExport(ExportEnvironment& env, QWidget* parent = nullptr);

    const ExportSettings& settings() const { return settings_; }
    ExportLayout& layout() { return settings_.layouts[static_cast<std::size_t>(settings_.source)]; }
    const ExportLayout& layout() const { return settings_.layout(); }

    QRadioButton* rbRecvHis = nullptr;
    QRadioButton* rbMeibo = nullptr;
    std::array<QRadioButton*, 3> rbRange{}; // selection, numeric, all
    QRadioButton* rbEncrypt = nullptr;
    QRadioButton* rbNormal = nullptr;
    QCheckBox* chkOutHeader = nullptr;
    QCheckBox* chkBindDblQuote = nullptr;
    QCheckBox* chkEditTelHyphen = nullptr;
    QCheckBox* chkEditPosHyphen = nullptr;
    QCheckBox* chkEditDate = nullptr;
    QCheckBox* chkEditTime = nullptr;
    QCheckBox* chkOutUtf8 = nullptr;
    QTableWidget* sgSrc = nullptr;
    QTableWidget* sgDest = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnSetAll = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnDeleteAll = nullptr;
    QPushButton* btnUp = nullptr;
    QPushButton* btnDown = nullptr;
    QPushButton* btnList = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnSetClick();
    void btnAddClick();
    void btnSetAllClick();
    void btnDeleteClick();
    void btnDeleteAllClick();
    void btnUpClick();
    void btnDownClick();
    void btnListClick();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    QWidget* createChoices();
    QWidget* createOptions();
    QWidget* createLayoutGrids();
    void loadSettings();
    void takeOptions();
    void sourceChanged(bool fromUser);
    void showItems();
    void showLayout(int selectRow);
    int layoutRow() const;
    int itemRow() const;
    void tooMany(bool all);
    bool dropOnLayout(QEvent* event);
    int ScaledSize(int pixels) const;

    ExportEnvironment& env_;
    ExportSettings settings_;
    bool shown_ = false;
};

} // namespace kanata
