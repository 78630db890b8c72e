#pragma once
// Finding the map product chosen in the settings and starting it with the
// caller's position or address. Products that exist only on Windows are
// looked for where they would be registered and reported when absent; the
// command lines are built exactly as those products read them.
#include "maps/MapRequest.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kanata {

class Registry;

enum class MapOutcome {
    Started,      // the product or the browser was started
    NotInstalled, // show mapNotInstalledMessage()
    Message,      // show MapLaunchResult::message
    Silent,       // ended without a word (the product refused the request)
};

struct MapLaunchResult {
    MapOutcome outcome = MapOutcome::NotInstalled;
    std::string message;     // for Message
    std::string commandLine; // what was started, for the record
    MapRequest request;      // as the launcher left it (SearchKind rewritten)
};

struct MapEnvironment {
    const Registry* registry = nullptr;
    std::filesystem::path programFolder;
    // Starts a command line (RunProgram's shape); tests record instead.
    std::function<int(const std::string& commandLine, const std::string& folder, bool noWait)> run;
    // Opens an address in the desktop's browser; false when that failed.
    std::function<bool(const std::string& url)> openUrl;
};

// The launcher of product `index` (COMMON Map).
MapLaunchResult launchMap(int index, const MapRequest& request, const MapEnvironment& env);

// The pieces each product is given, as functions of the request alone.
std::string emapZCommandLine(const std::string& program, MapRequest& request);
std::optional<std::string> itsumoNaviArguments(const MapRequest& request);
std::string grandMapCommandLine(const std::string& program, MapRequest& request);
std::string superMappleArguments(const MapRequest& request);
// The web map's search address for an address text.
std::string webMapUrl(const std::string& address);

} // namespace kanata
