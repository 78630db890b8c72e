#pragma once
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace kanata {

// What the dialog reaches outside itself. An unset chooser opens the file
// dialog; an unset action says it is not ready yet.
struct EnvironmentHooks {
    std::function<QString(const QString& current)> chooseFolder;
    std::function<QString(const QString& current)> chooseWaveFile;
    std::function<void(const QString& file)> playWave;
    std::function<std::vector<std::string>(bool includeNetwork)> scanDrives;
    std::function<void()> checkUpdateNow;
    std::function<void(int kindId)> ipPbxDetails;
};

} // namespace kanata
