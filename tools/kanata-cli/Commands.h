#pragma once
// The subcommands of kanata-cli. Each lives in its own file and takes the
// arguments after its name; it returns an exit status or throws UsageError.
#include "tools/kanata-cli/CliSupport.h"

namespace kanata::cli {

struct Command {
    const char* name;
    const char* summary; // one line for the overview
    int (*run)(Arguments& args);
    // Rendering needs a QGuiApplication (fonts, paint devices); it runs on
    // the offscreen platform unless QT_QPA_PLATFORM says otherwise.
    bool needsGui = false;
};

// One declaration per command, in the order of the overview in main.cpp.
int runVersion(Arguments& args);
int runPostal(Arguments& args);
int runAddress(Arguments& args);
int runArea(Arguments& args);
int runNames(Arguments& args);
int runBackup(Arguments& args);
int runBackups(Arguments& args);
int runRestore(Arguments& args);
int runImport(Arguments& args);
int runExport(Arguments& args);
int runPrint(Arguments& args);
int runDb(Arguments& args);

} // namespace kanata::cli
