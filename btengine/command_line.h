// The real engine's command line: exactly
//   bt.exe --minport N --maxport N --display_interval SECONDS "torrent"
// in this order. Portable: no windows.h.
#pragma once

#include <string>

struct EngineCommandLine {
    int minPort = 0;
    int maxPort = 0;
    int displayIntervalMs = 0;
    std::string torrentPath;
};

// argv[0] is the program. False for anything else than the one form, with the reason in *error.
bool ParseEngineCommandLine(int argc, const char* const* argv, EngineCommandLine* line,
                            std::string* error);

const char* EngineUsage();
