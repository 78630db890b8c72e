#include "maintenance/gui/AddressBookBackupAtStart.h"

#include "lookup/PhonebookEditions.h"
#include "maintenance/AddressBookBackup.h"
#include "maintenance/gui/TBackupPb.h"
#include "platform/MessageService.h"
#include "settings/GlobalSettings.h"

#include <QApplication>

namespace kanata {
namespace {

bool copyWithWaitCursor(const GlobalSettings& s, const Registry& registry,
                        const std::filesystem::path& dataFolder) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = BackupAddressBook(registry, s.PbSeries, s.PbAdrsBook, dataFolder);
    QApplication::restoreOverrideCursor();
    return ok;
}

} // namespace

bool backUpAddressBookAtStart(const GlobalSettings& s, const Registry& registry,
                              const std::filesystem::path& dataFolder, QWidget* owner,
                              const std::function<bool(TBackupPb&)>& ask) {
    if (s.PbBackupDlg) {
        TBackupPb dialog(QString::fromUtf8(PhonebookEditionAt(s.PbSeries).displayName),
                         QString::fromStdString(s.PbAdrsBookName), owner);
        const bool yes = ask ? ask(dialog) : dialog.exec() == QDialog::Accepted;
        if (!yes)
            return true;
    }
    return copyWithWaitCursor(s, registry, dataFolder);
}

void offerAddressBookBackup(const GlobalSettings& s, const Registry& registry,
                            const std::filesystem::path& dataFolder, MessageService& messages,
                            QWidget* owner) {
    if (!messages.ask("番号名鑑連携に関する設定が変更されました  \r\n"
                      "登録名簿として設定中のアドレス帳のバックアップをおこないますか？　\r\n\r\n"
                      "着信帳のデータ保存フォルダーの下に 「backup.PbAdrs」　\r\n"
                      "フォルダーを作成しアドレス帳フォルダーを保存します  ",
                      false, owner))
        return;
    if (!copyWithWaitCursor(s, registry, dataFolder))
        messages.information("アドレス帳のバックアップに失敗しました　", owner);
}

} // namespace kanata
