#pragma once
// The map buttons of the call view and the roster editor: build the request
// from what the window shows, start the product chosen in the settings and
// tell the user what happened.
#include "maps/MapLaunch.h"

#include <filesystem>
#include <string>

class QWidget;

namespace kanata {

class MessageService;

struct MapButtonInput {
    std::string tel1, tel2;
    std::string tdfkn, adrs1, adrs2, adrs3;
    int latitude = 0, longitude = 0;
    bool storedRecord = false; // the window shows a stored record
};

// The request a window's fields make (numbers reduced to digits, address
// parts trimmed and joined). The web map is always searched by address.
MapRequest buildMapRequest(const MapButtonInput& input, int mapIndex, int searchKind);

// Runs the map button: the note on coordinates for the products that return
// a position, then launchMapButton. The window's coordinates never change
// here; the result carries the position the product left.
MapLaunchResult runMapButton(const MapButtonInput& input, int mapIndex, int searchKind,
                             const std::filesystem::path& programFolder, MessageService& messages,
                             QWidget* owner);
// The launch and the product's message when it failed, without the note
// (the roster editor asks its own question instead).
MapLaunchResult launchMapButton(const MapButtonInput& input, int mapIndex, int searchKind,
                                const std::filesystem::path& programFolder,
                                MessageService& messages, QWidget* owner);

} // namespace kanata
