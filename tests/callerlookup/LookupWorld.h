#pragma once
// The world a caller lookup runs in, on real files: a data folder with the
// two tables, a registry file, the hyphenation service, an optional
// installed address book of the phonebook product and phonebook data built
// with the mkphonebook tool. Header-only: the intake tests use it too.
#include "data/AddressBook.h"
#include "data/Hyphenation.h"
#include "data/MeiboTable.h"
#include "data/TDMKanata195.h"
#include "lookup/CallerLookup.h"
#include "lookup/PhonebookEditions.h"
#include "settings/Registry.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace kanata::test {

class LookupWorld {
public:
    LookupWorld()
        : registry(folders.configHome() / "Tenko" / "registry.ini"),
          dm(folders.scratch() / "Data", messages) {
        std::filesystem::create_directories(folders.workFolder());
        std::filesystem::create_directories(appFolder());
        hyphenation.Load(test::stageFolder() / "Dic", messages);
    }

    std::filesystem::path appFolder() const { return folders.scratch() / "app"; }
    std::filesystem::path workFolder() const { return folders.workFolder(); }

    // A lookup over the roster, or over the address book when one is set up.
    CallerLookup& lookup() {
        if (!lookup_)
            lookup_ = std::make_unique<CallerLookup>(dm, source_, hyphenation, registry, messages,
                                                     appFolder(), workFolder(), "");
        return *lookup_;
    }

    int addRoster(MeiboRow row) {
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        EXPECT_TRUE(use);
        auto recNo = dm.Meibo().append(std::move(row), messages);
        EXPECT_TRUE(recNo.has_value());
        return recNo.value_or(-1);
    }

    // Registers `edition` of the product in the registry (its program under
    // scratch/pbk/) and uses its address book `book` from now on.
    void installAddressBook(int edition, const std::string& book = "user") {
        installFolder = folders.scratch() / "pbk";
        const auto& e = PhonebookEditionAt(edition);
        ASSERT_TRUE(
            registry.writeString(PhonebookAppPathsKey(e), Registry::kDefaultValue,
                                 (installFolder / (std::string(e.code) + ".exe")).string()));
        CreateAddressBook(AddressBookFolder(installFolder, book));
        useAddressBook(edition, 0);
    }

    void useAddressBook(int edition, int book) {
        AddressBookSource source;
        source.module = &pbarea;
        source.edition = edition;
        source.book = book;
        source_ = source;
        lookup_.reset();
    }

    int addAddressBookEntry(const AddressBookRow& row, const std::string& book = "user") {
        EXPECT_TRUE(pbarea.OpenAddressBook(AddressBookFolder(installFolder, book)));
        auto recNo = pbarea.Write(row);
        pbarea.CloseAddressBook();
        EXPECT_TRUE(recNo.has_value());
        return recNo.value_or(-1);
    }

    // The sample directory of mkphonebook, copied into the work folder's
    // TelData/Kanata195/ as an installed copy of the disc.
    void buildPhonebookData() {
        QProcess tool;
        tool.start(QString::fromStdString((test::stageFolder() / "mkphonebook").string()),
                   {QString::fromStdString(
                        (test::sourceFolder() / "tools/mkphonebook/sample.csv").string()),
                    QString::fromStdString((workFolder() / "TelData" / "Kanata195").string())});
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }

    TempFolders folders;
    ScriptedMessages messages;
    Registry registry;
    HyphenationService hyphenation;
    TDMKanata195 dm;
    TDMPbarea pbarea{messages};
    std::filesystem::path installFolder;

private:
    std::optional<AddressBookSource> source_;
    std::unique_ptr<CallerLookup> lookup_;
};

} // namespace kanata::test
