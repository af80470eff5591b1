// The engine's command line, the one Sprout gives and both engines take:
//   "<dir>bt.exe" --minport 8888 --maxport 9000 --display_interval 1.0 "<dir><torrent>"
// The three options in this order, each with its value, then one torrent. Portable.
#pragma once

#include <string>

#include "framework/text.h"

// Sprout's: the torrent name goes in unchanged, quotes and blanks included.
Text EngineCommandLine(const Text& programDir, const Text& torrentName);

// What an engine takes from its command line.
struct EngineOptions {
    int minPort = 0;
    int maxPort = 0;
    int displayIntervalMs = 0;  // from a twentieth of a second to an hour
    std::string torrentPath;
};

// argv[0] is the program. False for anything but the one form, with the reason in *error.
bool ParseEngineCommandLine(int argc, const char* const* argv, EngineOptions* options,
                            std::string* error);

extern const char kEngineUsage[];
