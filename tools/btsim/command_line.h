// bt.exe's command line: the engine's own options and torrent, or one of its side jobs
// (help, making a torrent, the lingering grandchild of a test). Portable: no windows.h.
#pragma once

#include <string>

#include "engine_interface/command_line.h"

struct CommandLine {
    enum class Mode { Engine, Help, MakeTorrent, Linger };

    Mode mode = Mode::Engine;
    EngineOptions engine;     // Engine
    std::string payloadPath;  // MakeTorrent: a file or a folder
    std::string outputPath;   // MakeTorrent
    std::string announce;     // MakeTorrent
    int lingerMs = 0;         // Linger
};

// argv[0] is the program. A wrong command line gives false and the reason in *error.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine* line, std::string* error);

std::string UsageText();

extern const char kDefaultAnnounce[];
