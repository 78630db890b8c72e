#pragma once
// The rules of the selection-list editor: one working list per tab (rank,
// selection items 1..3), add, change, delete and moving, the checks on
// leaving a tab and on OK, and the question on Cancel.
#include <set>
#include <string>
#include <vector>

namespace kanata {

class MessageService;
class THistoryData;

class InputListEditor {
public:
    struct TabSource {
        std::string caption; // as shown on the tab
        THistoryData* list;  // not owned
    };

    // tabs[0] is the rank list.
    InputListEditor(std::vector<TabSource> tabs, MessageService& messages);

    int tabCount() const { return static_cast<int>(tabs_.size()); }
    int currentTab() const { return current_; }
    const std::string& caption(int tab) const { return tabs_.at(tab).caption; }
    // Code page 932 bytes the name field accepts on a tab: what its list
    // stores of an item.
    int maxBytes(int tab) const;
    // Characters the name field takes on a tab: 20 for a rank, 30 for a
    // selection item. Both limits hold; a rank of double-byte characters
    // meets its list's 20 bytes first.
    int maxChars(int tab) const { return tab == 0 ? 20 : 30; }

    const std::vector<std::string>& names() const { return tabs_[current_].names; }
    const std::set<int>& selection() const { return tabs_[current_].selected; }
    void setSelection(std::set<int> selected);
    // The name-field text kept for the current tab when it is left.
    const std::string& nameField() const { return tabs_[current_].nameField; }

    // Each returns true when it did its work; a refusal shows its message.
    bool Add(const std::string& name);
    bool Change(const std::string& name);
    void Delete();
    void Up();
    void Down();
    bool CanUp() const;
    bool CanDown() const;

    // The tab the editor opens on, without the checks of leaving one.
    void SelectInitialTab(int tab) {
        if (tab >= 0 && tab < tabCount())
            current_ = tab;
    }
    // Leaving the current tab keeps its name field; false (with the message)
    // when the rank tab would be left empty.
    bool SwitchTab(int tab, const std::string& nameFieldText);

    // OK: false when the rank list is empty on the rank tab; otherwise every
    // changed list is rewritten from its working copy and saved. Items that
    // another desk added to a shared list while the editor was open stay,
    // above the edited ones.
    bool Accept();
    // Cancel: true when the window may close (nothing changed, or the user
    // agreed to drop the changes).
    bool ConfirmCancel();

    bool changed(int tab) const { return tabs_.at(tab).changed; }
    // Bit n set when tab n was changed.
    int ChangedMask() const;

private:
    struct Tab {
        std::string caption;
        THistoryData* list;
        std::vector<std::string> names;
        std::vector<std::string> opened; // the names as the editor opened
        std::set<int> selected;
        std::string nameField;
        bool changed = false;
    };
    Tab& tab() { return tabs_[current_]; }
    const Tab& tab() const { return tabs_[current_]; }
    bool rankEmpty() const;
    void save(Tab& t);

    std::vector<Tab> tabs_;
    MessageService& messages_;
    int current_ = 0;
};

} // namespace kanata
