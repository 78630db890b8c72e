#pragma once
// The kana and kanji name edits of a window joined to the name dictionary
// popup, with a small dictionary on disk, for the name entry tests.
#include "lookup/gui/NameEntryBinding.h"
#include "lookup/gui/TNameDicP.h"
#include "tests/support/TempFolders.h"
#include "ui/gui/TNMDEdit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QInputMethodEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kanata::test {

inline void preedit(QWidget* w, const QString& text) {
    QInputMethodEvent e(text, {});
    QApplication::sendEvent(w, &e);
}

inline void commit(QWidget* w, const QString& text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

inline void settle() {
    QCoreApplication::processEvents();
}

class NameEntry : public ::testing::Test {
protected:
    TempFolders folders;
    std::filesystem::path dic = folders.scratch() / "Dic";
    QWidget window;
    TNMDEdit* kana = new TNMDEdit(&window);
    TNMDEdit* kanji = new TNMDEdit(&window);
    NameEntryBinding* binding = nullptr;

    void SetUp() override {
        std::filesystem::create_directories(dic);
        std::ofstream(dic / "sei.txt") << "ｻﾄｳ\t佐藤\nｻﾄｳ\t佐東\nｻﾄｳ\t佐頭\nｻﾄｳ\t左藤\nｻﾄｳ\t砂糖\n"
                                          "ｻﾄｳ\t里\nｻﾄｳ\t佐島\nﾔﾏﾀﾞ\t山田\n";
        std::ofstream(dic / "mei.txt") << "ﾀﾛｳ\t太郎\n";
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(kana);
        layout->addWidget(kanji);
        kana->setByteLimit(25);
        binding = new NameEntryBinding(
            kana, kanji, [this] { return dic; }, &window);
        window.show();
        QApplication::setActiveWindow(&window);
        kanji->setFocus();
    }
    TNameDicP* popup() const { return binding->popup(); }
};

} // namespace kanata::test
