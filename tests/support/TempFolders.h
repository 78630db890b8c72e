#pragma once
// A private set of folders for one test: a work/data root under
// XDG_DATA_HOME, a config root under XDG_CONFIG_HOME and a scratch folder,
// all removed afterwards. The user's own folders are never touched.
#include <filesystem>
#include <string>

namespace kanata::test {

class TempFolders {
public:
    TempFolders();
    ~TempFolders();
    TempFolders(const TempFolders&) = delete;
    TempFolders& operator=(const TempFolders&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path dataHome() const { return root_ / "data"; }
    std::filesystem::path configHome() const { return root_ / "config"; }
    std::filesystem::path scratch() const { return root_ / "scratch"; }
    // The work folder the program derives from dataHome().
    std::filesystem::path workFolder() const { return dataHome() / "Tenko" / "Kanata195"; }

private:
    std::filesystem::path root_;
    std::string oldData_, oldConfig_;
    bool hadData_ = false, hadConfig_ = false;
};

// The application folder of the build (the executable, plugins and Dic/).
std::filesystem::path stageFolder();
// The source tree, for test data checked in beside the tests.
std::filesystem::path sourceFolder();

} // namespace kanata::test
