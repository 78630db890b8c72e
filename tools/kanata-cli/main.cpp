// kanata-cli: the bulk jobs of the program without its windows. Each
// subcommand calls the same logic the windows call.
//
//   kanata-cli COMMAND [options...]     kanata-cli COMMAND --help
#include "tools/kanata-cli/Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <exception>
#include <iostream>
#include <memory>

namespace {

using kanata::cli::Command;

// Add a command here, with its function declared in Commands.h.
constexpr Command kCommands[] = {
    {"version", "版を表示します", kanata::cli::runVersion},
    {"postal", "郵便番号から町域と大口事業所を表示します", kanata::cli::runPostal},
    {"address", "住所から町域を表示します", kanata::cli::runAddress},
    {"area", "電話番号の市外局番の地域を表示します", kanata::cli::runArea},
    {"names", "読みから姓・名の漢字を表示します", kanata::cli::runNames},
    {"backup", "データフォルダーを世代バックアップします", kanata::cli::runBackup},
    {"backups", "バックアップの世代を一覧します", kanata::cli::runBackups},
    {"restore", "バックアップの世代をデータフォルダーに戻します", kanata::cli::runRestore},
    {"import", "テキストファイルを取り込みます", kanata::cli::runImport},
    {"export", "着信対応履歴・登録名簿をテキストファイルに出力します", kanata::cli::runExport},
    {"print", "履歴・名簿の一覧表を PDF に印刷します", kanata::cli::runPrint, true},
    {"db", "履歴・名簿をデータベースサーバーへ移します（migrate）", kanata::cli::runDb},
};

void printOverview(std::ostream& out) {
    out << "usage: kanata-cli COMMAND [options...]\n\ncommands:\n";
    for (const Command& c : kCommands)
        out << "  " << c.name
            << std::string(12 - std::min<std::size_t>(11, std::strlen(c.name)), ' ') << c.summary
            << "\n";
    out << "\n'kanata-cli COMMAND --help' describes one command.\n"
           "exit status: 0 done, 1 no result, 2 bad input\n";
}

const Command* findCommand(const char* name) {
    for (const Command& c : kCommands)
        if (std::strcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        printOverview(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? kanata::cli::kExitBadInput : kanata::cli::kExitDone;
    }
    const Command* command = findCommand(argv[1]);
    if (!command) {
        std::cerr << "kanata-cli: unknown command " << argv[1] << " (see kanata-cli --help)\n";
        return kanata::cli::kExitBadInput;
    }
    // Commands use Qt's text and file classes; those that render get a GUI
    // application on the offscreen platform, so no display is needed.
    std::unique_ptr<QCoreApplication> app;
    if (command->needsGui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    kanata::cli::Arguments args(std::vector<std::string>(argv + 2, argv + argc));
    try {
        return command->run(args);
    } catch (const std::exception& e) { // UsageError and every other failure alike
        std::cerr << "kanata-cli " << command->name << ": " << kanata::cli::OneLine(e.what())
                  << "\n";
        return kanata::cli::kExitBadInput;
    }
}
