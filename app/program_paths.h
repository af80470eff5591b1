// The files Sprout finds by its own location, and the engine command line built from them.
// Portable: no windows.h.
#pragma once

#include "framework/text.h"

// The executable's path up to and including its last backslash (whole characters of the
// code page only, so a trail byte 0x5C is never taken for one); empty when there is none.
Text ProgramDirFromModulePath(const char* modulePath);

Text SettingsFilePath(const Text& programDir);
Text BrandingFilePath(const Text& programDir);

// "<dir>bt.exe" --minport 8888 --maxport 9000 --display_interval 1.0 "<dir><torrent>"
// The torrent name goes in unchanged, quotes and blanks included.
Text EngineCommandLine(const Text& programDir, const Text& torrentName);
