#include "environment/gui/GeneralPage.h"

#include "environment/EnvironmentModel.h"
#include "environment/gui/EnvironmentHooks.h"
#include "settings/MapPrograms.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kanata {
using namespace settings_page;
namespace {

constexpr int kGoogleMaps = 10;
constexpr int kAtlasMate = 0;

QString mark(bool on) {
    return on ? QStringLiteral("○") : QStringLiteral("×");
}

} // namespace

GeneralPage::GeneralPage(EnvironmentModel& model, const EnvironmentHooks& hooks,
                         MessageService& messages)
    : SettingsPage(model), hooks_(hooks), messages_(messages) {
    auto* layout = new QVBoxLayout(this);
    createDriveGroup(layout);
    createAdapterGroup(layout);
    createDataGroup(layout);
    createMapGroup(layout);
    layout->addStretch();
}

void GeneralPage::createDriveGroup(QBoxLayout* layout) {
    QGroupBox* drive = group("検索CD-ROMドライブ", layout);
    auto* driveRow = new QHBoxLayout;
    cbxDrive = new QComboBox;
    cbxDrive->setEditable(true);
    btnDriveUpdate = new QPushButton(QStringLiteral("更新(&U)"));
    driveRow->addWidget(cbxDrive, 1);
    driveRow->addWidget(btnDriveUpdate);
    static_cast<QVBoxLayout*>(drive->layout())->addLayout(driveRow);
    connect(btnDriveUpdate, &QPushButton::clicked, this, [this] { fillDrives(); });
}

void GeneralPage::createAdapterGroup(QBoxLayout* layout) {
    QGroupBox* adapter = group("対応機器設定", layout);
    auto* grid = new QGridLayout;
    rbAnalog = new QRadioButton(QStringLiteral("アナログ/INS64回線"));
    rbOptical = new QRadioButton(QStringLiteral("光回線"));
    rbNone = new QRadioButton(QStringLiteral("使用しない"));
    auto* types = new QHBoxLayout;
    types->addWidget(rbAnalog);
    types->addWidget(rbOptical);
    types->addWidget(rbNone);
    grid->addLayout(types, 0, 0, 1, 3);
    cbxAnalogModel = new QComboBox;
    cbxOpticalModel = new QComboBox;
    grid->addWidget(cbxAnalogModel, 1, 0, 1, 3);
    grid->addWidget(cbxOpticalModel, 2, 0, 1, 3);
    lblPort = new QLabel(QStringLiteral("ポート"));
    cbxPort = new QComboBox;
    for (const std::string& port : EnvironmentPorts())
        cbxPort->addItem(q(port));
    grid->addWidget(lblPort, 3, 0);
    grid->addWidget(cbxPort, 3, 1);
    btnIpDetails = new QPushButton(QStringLiteral("詳細設定(&D)"));
    lblIpNote = new QLabel(QStringLiteral("※詳細設定を行う必要があります"));
    grid->addWidget(btnIpDetails, 4, 0);
    grid->addWidget(lblIpNote, 4, 1, 1, 2);
    lblHistoryFunction = new QLabel;
    lblDialFunction = new QLabel;
    lblHistoryCaption = new QLabel(QStringLiteral("着信履歴取込機能　・・・"));
    lblDialCaption = new QLabel(QStringLiteral("発信機能　　　　　　・・・"));
    grid->addWidget(lblHistoryCaption, 5, 0);
    grid->addWidget(lblHistoryFunction, 5, 1);
    grid->addWidget(lblDialCaption, 6, 0);
    grid->addWidget(lblDialFunction, 6, 1);
    static_cast<QVBoxLayout*>(adapter->layout())->addLayout(grid);
    for (QRadioButton* rb : {rbAnalog, rbOptical, rbNone})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on && !filling_)
                lineTypeChanged();
        });
    connect(cbxAnalogModel, &QComboBox::currentIndexChanged, this,
            [this] { modelChanged(cbxAnalogModel); });
    connect(cbxOpticalModel, &QComboBox::currentIndexChanged, this,
            [this] { modelChanged(cbxOpticalModel); });
    connect(cbxPort, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            model_.choosePort(s(cbxPort->currentText()));
    });
    connect(btnIpDetails, &QPushButton::clicked, this, [this] {
        if (hooks_.ipPbxDetails)
            hooks_.ipPbxDetails(model_.settings().Adapter);
        else
            notReady(messages_, this);
    });
}

void GeneralPage::createDataGroup(QBoxLayout* layout) {
    QGroupBox* data = group("データ保存フォルダー", layout);
    auto* dataRow = new QHBoxLayout;
    edtDataPath = new QLineEdit;
    edtDataPath->setProperty(kTipProperty,
                             QStringLiteral("着信履歴と登録名簿を保存するフォルダーです"));
    btnDataPath = new QPushButton(QStringLiteral("参照(&R)"));
    dataRow->addWidget(edtDataPath, 1);
    dataRow->addWidget(btnDataPath);
    static_cast<QVBoxLayout*>(data->layout())->addLayout(dataRow);
    connect(btnDataPath, &QPushButton::clicked, this, [this] {
        const QString current = edtDataPath->text();
        const QString chosen =
            hooks_.chooseFolder ? hooks_.chooseFolder(current)
                                : QFileDialog::getExistingDirectory(window(), QString(), current);
        if (!chosen.isEmpty())
            edtDataPath->setText(chosen);
    });
}

void GeneralPage::createMapGroup(QBoxLayout* layout) {
    QGroupBox* map = group("使用する地図ソフト・サービス／検索方法", layout);
    auto* mapRow = new QHBoxLayout;
    cbxMap = new QComboBox;
    for (const char* name : kMapProgramNames)
        cbxMap->addItem(QString::fromUtf8(name));
    cbxMapSearchKind = new QComboBox;
    mapRow->addWidget(cbxMap, 2);
    mapRow->addWidget(cbxMapSearchKind, 1);
    static_cast<QVBoxLayout*>(map->layout())->addLayout(mapRow);
    connect(cbxMap, &QComboBox::currentIndexChanged, this, [this] { fillMapSearchKinds(); });
}

void GeneralPage::load() {
    filling_ = true;
    const GlobalSettings& g = model_.settings();
    fillDrives();
    rbAnalog->setChecked(g.lineType() == LineType::Analog);
    rbOptical->setChecked(g.lineType() == LineType::Optical);
    rbNone->setChecked(g.lineType() == LineType::None);
    fillModels();
    const int port = cbxPort->findText(q(g.Port));
    cbxPort->setCurrentIndex(port >= 0 ? port : 0);
    if (port < 0)
        model_.choosePort(s(cbxPort->currentText()));
    edtDataPath->setText(q(g.DataPath));
    cbxMap->setCurrentIndex(std::clamp(g.Map, 0, kGoogleMaps));
    fillMapSearchKinds();
    cbxMapSearchKind->setCurrentIndex(std::min(g.MapSearchKind, cbxMapSearchKind->count() - 1));
    filling_ = false;
    updateDependents();
}

void GeneralPage::collect() {
    GlobalSettings& g = model_.settings();
    g.CD = s(cbxDrive->currentText());
    g.DataPath = s(edtDataPath->text());
    g.Map = cbxMap->currentIndex();
    g.MapSearchKind = std::max(0, cbxMapSearchKind->currentIndex());
}

void GeneralPage::fillDrives() {
    const GlobalSettings& g = model_.settings();
    const QString current = cbxDrive->count() ? cbxDrive->currentText() : q(g.CD);
    cbxDrive->clear();
    if (hooks_.scanDrives)
        for (const std::string& drive : hooks_.scanDrives(g.SearchDriveExtend))
            cbxDrive->addItem(q(drive));
    if (!current.isEmpty() && cbxDrive->findText(current) < 0)
        cbxDrive->insertItem(0, current);
    cbxDrive->setCurrentText(current);
}

void GeneralPage::fillModels() {
    const bool was = filling_;
    filling_ = true;
    const GlobalSettings& g = model_.settings();
    for (auto [list, type] : {std::pair{cbxAnalogModel, LineType::Analog},
                              std::pair{cbxOpticalModel, LineType::Optical}}) {
        list->clear();
        for (const AdapterModel& m : model_.models(type))
            list->addItem(q(m.name), m.kindId);
        list->setCurrentIndex(g.lineType() == type ? list->findData(g.Adapter) : -1);
    }
    filling_ = was;
    updateDependents();
}

void GeneralPage::fillMapSearchKinds() {
    const int previous = cbxMapSearchKind->currentIndex();
    cbxMapSearchKind->clear();
    const int map = cbxMap->currentIndex();
    if (map == kGoogleMaps) {
        cbxMapSearchKind->addItem(QStringLiteral("住所から検索"));
    } else {
        cbxMapSearchKind->addItem(QStringLiteral("緯度・経度を優先"));
        cbxMapSearchKind->addItem(map == kAtlasMate ? QStringLiteral("電話番号を優先")
                                                    : QStringLiteral("住所を優先"));
    }
    cbxMapSearchKind->setCurrentIndex(previous >= 0 && previous < cbxMapSearchKind->count()
                                          ? previous
                                          : cbxMapSearchKind->count() - 1);
}

void GeneralPage::lineTypeChanged() {
    const LineType type = rbAnalog->isChecked()    ? LineType::Analog
                          : rbOptical->isChecked() ? LineType::Optical
                                                   : LineType::None;
    model_.chooseLineType(type);
    fillModels();
}

void GeneralPage::modelChanged(QComboBox* list) {
    if (filling_ || list->currentIndex() < 0)
        return;
    const LineType before = model_.settings().lineType();
    const LineType after = model_.chooseModel(list->currentData().toInt());
    filling_ = true;
    if (after != before) {
        rbOptical->setChecked(after == LineType::Optical);
        fillModels();
    }
    const int port = cbxPort->findText(q(model_.settings().Port));
    if (port >= 0)
        cbxPort->setCurrentIndex(port);
    filling_ = false;
    updateDependents();
}

void GeneralPage::updateDependents() {
    const LineType type = model_.settings().lineType();
    cbxAnalogModel->setVisible(type == LineType::Analog);
    lblPort->setVisible(type == LineType::Analog);
    cbxPort->setVisible(type == LineType::Analog);
    cbxOpticalModel->setVisible(type == LineType::Optical);
    btnIpDetails->setVisible(type == LineType::Optical);
    lblIpNote->setVisible(type == LineType::Optical);
    for (QLabel* label : {lblHistoryCaption, lblHistoryFunction, lblDialCaption, lblDialFunction})
        label->setVisible(type != LineType::None);
    lblHistoryFunction->setText(mark(model_.historyFunction()));
    lblDialFunction->setText(mark(model_.dialFunction()));
}

} // namespace kanata
