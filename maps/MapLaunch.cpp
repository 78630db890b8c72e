#include "maps/MapLaunch.h"

#include "settings/Registry.h"

#include <cstdio>
#include <filesystem>

namespace kanata {
namespace fs = std::filesystem;
namespace {

constexpr const char* kHklm = "HKEY_LOCAL_MACHINE\\";
constexpr const char* kHkcu = "HKEY_CURRENT_USER\\";

bool validPosition(const MapRequest& r) {
    return r.Latitude > 0 && r.Longitude > 0;
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::optional<std::string> value(const MapEnvironment& env, const std::string& key,
                                 const std::string& name) {
    if (!env.registry)
        return std::nullopt;
    return env.registry->readString(key, name);
}

MapLaunchResult message(std::string text, const MapRequest& request) {
    return {MapOutcome::Message, std::move(text), {}, request};
}

MapLaunchResult notInstalled(const MapRequest& request) {
    return {MapOutcome::NotInstalled, {}, {}, request};
}

MapLaunchResult started(std::string commandLine, const MapRequest& request) {
    return {MapOutcome::Started, {}, std::move(commandLine), request};
}

// The hosted and automation products: their windows and classes exist only
// on Windows. Found or not, nothing is shown and the position stays.
MapLaunchResult atlasMate(const MapRequest& r, const MapEnvironment& env) {
    // Number or coordinates must be there before anything is looked for.
    if (r.Number.empty() && !validPosition(r))
        return message("電話番号を入力してください", r);
    for (const char* version : {"5.0", "4.0"})
        if (value(env, std::string(kHklm) + "SOFTWARE\\SSY\\AtlasMate95\\" + version + "\\program",
                  "exe"))
            return message("Atm95.dll LoadLibrary Error\r\nDLLのロードに失敗しました", r);
    return notInstalled(r);
}

MapLaunchResult proAtlas2002(const MapRequest& r, const MapEnvironment& env) {
    for (const char* key : {"Rdw70", "Rdw60", "Rdw50", "Rdw40", "Rdw30"})
        if (env.registry &&
            !env.registry->subKeys(std::string(kHklm) + "SOFTWARE\\ALPS\\" + key).empty())
            return message("プロアトラス2002の地図はこの環境では表示できません", r);
    return notInstalled(r);
}

MapLaunchResult proAtlasW(const MapRequest& r, const MapEnvironment& env) {
    for (const char* key : {"Alps_Mapping_K.K.\\PROATLASSV", "ALPS\\PROATLASSV", "ALPS\\PROATLASW3",
                            "ALPS\\PROATLASW2", "ALPS\\PROATLAS"}) {
        const std::string path = std::string(kHklm) + "SOFTWARE\\" + key;
        const auto folder = value(env, path, "installpath");
        const auto app = value(env, path, "AppPath");
        std::error_code ec;
        if (folder && app && fs::is_directory(*folder, ec) && fs::is_regular_file(*app, ec))
            return message("プロアトラスＷ または プロアトラスSV のクラスが生成できませんでした\r\n"
                           "一度 プロアトラスＷ または プロアトラスSV を単体起動させてください",
                           r);
    }
    return notInstalled(r);
}

MapLaunchResult mapFan(const MapRequest& r, const MapEnvironment& env) {
    if (env.registry)
        for (const std::string& sub : env.registry->subKeys(
                 std::string(kHklm) + "SOFTWARE\\Increment P Corporation\\MapFan"))
            if (std::atof(sub.c_str()) >= 4.0)
                return message("MapFanⅣ/Ⅴの地図はこの環境では表示できません", r);
    return notInstalled(r);
}

MapLaunchResult emapZ(MapRequest r, const MapEnvironment& env) {
    const auto dir =
        value(env, std::string(kHkcu) + "Software\\ZENRIN\\EmapZ\\InstallInfo", "Directory");
    if (!dir || trimmed(*dir).empty())
        return notInstalled(r);
    const std::string line = emapZCommandLine(trimmed(*dir), r);
    env.run(line, "", true);
    return started(line, r);
}

MapLaunchResult itsumoNavi(const MapRequest& r, const MapEnvironment& env) {
    const auto dir =
        value(env, std::string(kHklm) + "SOFTWARE\\ZENRIN\\ZmapNet\\PC", "InstallPath");
    const fs::path program = dir ? fs::path(trimmed(*dir)) / "bin" / "its-moNavi.exe" : fs::path();
    std::error_code ec;
    const auto arguments = itsumoNaviArguments(r);
    if (!dir || !fs::is_regular_file(program, ec) || !arguments)
        return notInstalled(r);
    const std::string line = quoted(program.string()) + " " + *arguments;
    env.run(line, "", true);
    return started(line, r);
}

MapLaunchResult superMapple(const MapRequest& r, const MapEnvironment& env) {
    const std::string kick = quoted((env.programFolder / "MappleKick.exe").string());
    std::error_code ec;
    if (fs::is_regular_file(env.programFolder / "MappleKick.exe", ec) &&
        env.run(kick + " -I", "", false) == 0 && env.run(kick + " -V", "", false) / 100 >= 2) {
        const std::string line = kick + superMappleArguments(r);
        if (env.run(line, "", false) != 0)
            return {MapOutcome::Silent, {}, line, r};
        return started(line, r);
    }
    const auto path = value(
        env, std::string(kHkcu) + "Software\\Super Mapple\\Version 1.0.1R\\Mapple\\App", "Path");
    if (path && fs::is_regular_file(fs::path(*path) / "Mapple.exe", ec))
        return message("スーパーマップル・デジタルのクラスが生成できませんでした\r\n"
                       "一度スーパーマップル・デジタルを単体起動させてください",
                       r);
    return notInstalled(r);
}

MapLaunchResult grandMap(MapRequest r, const MapEnvironment& env) {
    const auto dir =
        value(env, std::string(kHklm) + "SOFTWARE\\MapNet\\GrandMap", "Install Directory");
    std::error_code ec;
    if (!dir || !fs::is_regular_file(fs::path(*dir) / "GrandMap.exe", ec))
        return notInstalled(r);
    const std::string line = grandMapCommandLine((fs::path(*dir) / "GrandMap.exe").string(), r);
    env.run(line, "@", true);
    return started(line, r);
}

MapLaunchResult webMap(const MapRequest& r, const MapEnvironment& env) {
    const std::string url = webMapUrl(r.Address);
    if (env.openUrl && env.openUrl(url))
        return started(url, r);
    if (env.run && env.run("xdg-open " + quoted(url), "", true) == 0)
        return started(url, r);
    return notInstalled(r);
}

} // namespace

std::string emapZCommandLine(const std::string& program, MapRequest& r) {
    if (r.SearchKind == 1 && r.Address.empty() && r.Latitude != 0 && r.Longitude != 0)
        r.SearchKind = 0;
    else if (r.SearchKind == 0 && (r.Latitude == 0 || r.Longitude == 0) && !r.Address.empty())
        r.SearchKind = 1;
    return program + " " + std::to_string(r.Longitude / 100) + " " +
           std::to_string(r.Latitude / 100) + " 0 0 0 0 2 " + std::to_string(r.SearchKind) + " " +
           r.Address;
}

std::optional<std::string> itsumoNaviArguments(const MapRequest& r) {
    bool byPosition = false;
    if (r.SearchKind == 0)
        byPosition = (r.Latitude != 0 && r.Longitude != 0) || r.Address.empty();
    else if (r.SearchKind == 1)
        byPosition = r.Address.empty() && validPosition(r);
    else
        return std::nullopt;
    if (byPosition)
        return "1 tokyo second " + format("%.2f", r.Longitude / 1000.0) + "/" +
               format("%.2f", r.Latitude / 1000.0) + " g 1 0";
    return "3 " + r.Address + " g 1 0";
}

std::string grandMapCommandLine(const std::string& program, MapRequest& r) {
    if (r.SearchKind == 1 && r.Address.empty() && validPosition(r))
        r.SearchKind = 0;
    else if (r.SearchKind == 0 && !validPosition(r) && !r.Address.empty())
        r.SearchKind = 1;
    if (r.SearchKind == 0)
        return quoted(program) + " /M " + format("%.6f", r.Latitude / 60.0 / 60.0 / 1000.0) + " " +
               format("%.6f", r.Longitude / 60.0 / 60.0 / 1000.0) + " 2500";
    return quoted(program) + " /A " + r.Address + " 2500";
}

std::string superMappleArguments(const MapRequest& r) {
    const bool position = r.Latitude != 0 && r.Longitude > 0;
    if (r.SearchKind == 1 ? (r.Address.empty() && position) : position)
        return " /LAT=" + std::to_string(r.Latitude) + " /LON=" + std::to_string(r.Longitude);
    if (r.Address.empty())
        return {};
    return " /ADDRESS=" + r.Address;
}

std::string webMapUrl(const std::string& address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "https://www.google.com/maps?q=";
    for (unsigned char byte : address) {
        url += '%';
        url += kHex[byte >> 4];
        url += kHex[byte & 0x0F];
    }
    return url;
}

MapLaunchResult launchMap(int index, const MapRequest& request, const MapEnvironment& env) {
    switch (static_cast<MapProduct>(index)) {
    case MapProduct::AtlasMate:
        return atlasMate(request, env);
    case MapProduct::ProAtlas2002:
        return proAtlas2002(request, env);
    case MapProduct::ProAtlasW:
        return proAtlasW(request, env);
    case MapProduct::EmapZ:
        return emapZ(request, env);
    case MapProduct::ItsumoNavi:
        return itsumoNavi(request, env);
    case MapProduct::MapFan:
        return mapFan(request, env);
    case MapProduct::MapFanNet:
    case MapProduct::MapFanPlanner:
        return notInstalled(request);
    case MapProduct::SuperMapple:
        return superMapple(request, env);
    case MapProduct::GrandMap:
        return grandMap(request, env);
    case MapProduct::WebMap:
        return webMap(request, env);
    }
    return notInstalled(request);
}

} // namespace kanata
