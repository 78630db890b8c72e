#include "views/InputListModel.h"

#include "data/Cp932.h"
#include "data/THistoryData.h"
#include "platform/MessageService.h"

#include <algorithm>

namespace kanata {
namespace {
const char* const kEnterName = "名称を入力してください  ";
const char* const kSameName = "既に同じ名称が登録されています  ";
const char* const kRankNeeded = "ランク情報は１件以上登録してください  ";
} // namespace

InputListEditor::InputListEditor(std::vector<TabSource> tabs, MessageService& messages)
    : messages_(messages) {
    for (auto& source : tabs) {
        Tab t;
        t.caption = source.caption;
        t.list = source.list;
        // What other desks added since this one last looked shows here.
        if (source.list)
            source.list->Refresh();
        for (int i = 0; source.list && i < source.list->Count(); ++i)
            t.names.push_back(source.list->Get(i));
        t.opened = t.names;
        tabs_.push_back(std::move(t));
    }
}

void InputListEditor::setSelection(std::set<int> selected) {
    std::erase_if(selected,
                  [this](int i) { return i < 0 || i >= static_cast<int>(names().size()); });
    tab().selected = std::move(selected);
}

bool InputListEditor::Add(const std::string& text) {
    const std::string name = cp932::trim(text);
    if (name.empty()) {
        messages_.information(kEnterName);
        return false;
    }
    auto& names = tab().names;
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        messages_.information(kSameName);
        return false;
    }
    names.insert(names.begin(), name);
    tab().selected = {0};
    tab().changed = true;
    return true;
}

bool InputListEditor::Change(const std::string& text) {
    const std::string name = cp932::trim(text);
    if (name.empty()) {
        messages_.information(kEnterName);
        return false;
    }
    if (tab().selected.empty()) {
        messages_.information("変更するデータを選択してください  ");
        return false;
    }
    if (tab().selected.size() > 1) {
        messages_.information("変更するデータを１件だけ選択してください  ");
        return false;
    }
    const int at = *tab().selected.begin();
    auto& names = tab().names;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        if (i != at && names[i] == name) {
            messages_.information(kSameName);
            return false;
        }
    }
    names[at] = name;
    tab().changed = true;
    return true;
}

void InputListEditor::Delete() {
    auto& names = tab().names;
    const auto& selected = tab().selected;
    if (selected.empty())
        return;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        names.erase(names.begin() + *it);
    tab().selected.clear();
    tab().changed = true;
}

bool InputListEditor::CanUp() const {
    return !names().empty() && !selection().contains(0);
}

bool InputListEditor::CanDown() const {
    return !names().empty() && !selection().contains(static_cast<int>(names().size()) - 1);
}

void InputListEditor::Up() {
    if (!CanUp() || selection().empty())
        return;
    auto& names = tab().names;
    std::set<int> moved;
    for (int i = 1; i < static_cast<int>(names.size()); ++i) {
        if (tab().selected.contains(i)) {
            std::swap(names[i], names[i - 1]);
            moved.insert(i - 1);
        }
    }
    tab().selected = moved;
    tab().changed = true;
}

void InputListEditor::Down() {
    if (!CanDown() || selection().empty())
        return;
    auto& names = tab().names;
    std::set<int> moved;
    for (int i = static_cast<int>(names.size()) - 2; i >= 0; --i) {
        if (tab().selected.contains(i)) {
            std::swap(names[i], names[i + 1]);
            moved.insert(i + 1);
        }
    }
    tab().selected = moved;
    tab().changed = true;
}

int InputListEditor::maxBytes(int tab) const {
    const THistoryData* list = tabs_.at(static_cast<std::size_t>(tab)).list;
    return list ? list->itemSize() : (tab == 0 ? 20 : 60);
}

bool InputListEditor::rankEmpty() const {
    return current_ == 0 && tabs_[0].names.empty();
}

bool InputListEditor::SwitchTab(int newTab, const std::string& nameFieldText) {
    if (newTab == current_ || newTab < 0 || newTab >= tabCount())
        return newTab == current_;
    if (rankEmpty()) {
        messages_.information(kRankNeeded);
        return false;
    }
    tab().nameField = nameFieldText;
    current_ = newTab;
    return true;
}

bool InputListEditor::Accept() {
    if (rankEmpty()) {
        messages_.information(kRankNeeded);
        return false;
    }
    for (Tab& t : tabs_)
        if (t.changed && t.list)
            save(t);
    return true;
}

void InputListEditor::save(Tab& t) {
    const auto holds = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    try {
        t.list->Update([&](THistoryData& stored) {
            std::vector<std::string> result;
            for (int i = 0; i < stored.Count(); ++i) {
                const std::string& name = stored.Get(i);
                if (!holds(t.opened, name) && !holds(t.names, name))
                    result.push_back(name);
            }
            result.insert(result.end(), t.names.begin(), t.names.end());
            stored.Clear();
            const int n = static_cast<int>(result.size());
            // The order value of an item is its date: the first entry gets n.
            for (int i = 0; i < n; ++i)
                stored.Add(result[static_cast<std::size_t>(i)], static_cast<double>(n - i));
            return true;
        });
    } catch (const EHistoryDataError& e) {
        messages_.error(e.what());
    }
}

bool InputListEditor::ConfirmCancel() {
    std::string text;
    for (const Tab& t : tabs_) {
        if (t.changed)
            text += cp932::trim(t.caption) + "\r\n";
    }
    if (text.empty())
        return true;
    text += "\r\n以上のリストが変更されています  \r\n"
            "このままキャンセルすると変更内容が破棄されますが  \r\nよろしいですか？  ";
    return messages_.ask(text);
}

int InputListEditor::ChangedMask() const {
    int mask = 0;
    for (int i = 0; i < tabCount(); ++i) {
        if (tabs_[i].changed)
            mask |= 1 << i;
    }
    return mask;
}

} // namespace kanata
