#pragma once
// "検索": looks an address up by telephone number, postal code or address
// text and hands back one dictionary hit (or, for a number the roster
// knows, that caller's record).
#include "data/CallRecord.h"
#include "lookup/CoordinateLookup.h"
#include "lookup/DicResult.h"
#include "lookup/DictionarySearch.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace kanata {

class MessageService;

class TDicSearch : public QDialog {
    Q_OBJECT
public:
    enum Tab { NumberTab = 0, PostalTab = 1, AddressTab = 2 };
    static constexpr int kStartDecided = 1;
    static constexpr int kStartShow = 0;
    static constexpr int kStartNothing = 9;

    TDicSearch(std::filesystem::path dicFolder, MessageService& messages, QWidget* owner);
    ~TDicSearch() override;

    // The caller lookup of the number search (own book option, number,
    // record) -> its result code; unset: the number goes to the exchange
    // prefix search at once.
    std::function<int(bool ownBook, const std::string& number, CallRecord& record)> lookupCaller;

    // Mask: 1 number tab, 2 postal tab, 4 address tab.
    void SetTabs(int mask, bool ownBook);
    // kind 0, 1, 4, 5 number; 2 postal; 3 address. Returns kStartDecided,
    // kStartShow or kStartNothing.
    int Start(int kind, const std::string& text);

    int resultKind() const { return resultKind_; }
    const DicResult& result() const { return result_; }
    const CallRecord& callRecord() const { return record_; }

    struct Page {
        QWidget* page = nullptr;
        QLabel* lblPrompt = nullptr;
        QLineEdit* edtSearch = nullptr;
        QPushButton* btnSearch = nullptr;
        QListWidget* lbxCity = nullptr;
        QComboBox* cbxKana = nullptr;
        QRadioButton* rbTown = nullptr; // postal and address tabs
        QRadioButton* rbOffice = nullptr;
        QTreeWidget* lvTown = nullptr;
    };
    QTabWidget* pcSearch = nullptr;
    std::array<Page, 3> pages;
    QPushButton* btnBack = nullptr;
    QPushButton* btnDecide = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnSearchClick(int tab);
    void btnDecideClick();
    void btnBackClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Page createPage(int tab);
    void showPrompt(int tab, const QString& text, bool error);
    void searchNumber();
    void searchPostal();
    void searchAddress();
    void fillCities(int tab);
    void fillTowns(int tab);
    bool officeView(int tab) const;
    AddressSearchBase* search(int tab);
    void decide(int tab, const DicTown* row);
    void runSafely(const std::function<void()>& work);

    std::filesystem::path dicFolder_;
    MessageService& messages_;
    bool ownBook_ = false;
    CoordinateLookup coordinates_; // before the searches, which release it
    std::unique_ptr<TKykbnSearch> kykbn_;
    std::unique_ptr<TPosSearch> pos_;
    std::unique_ptr<TAdrsSearch> adrs_;
    int resultKind_ = kDicNumber;
    DicResult result_;
    CallRecord record_;
};

} // namespace kanata
