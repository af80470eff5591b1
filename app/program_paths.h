// The files Sprout finds by its own location.
// Portable: no windows.h.
#pragma once

#include "framework/text.h"

// The executable's path up to and including its last backslash (whole characters of the
// code page only, so a trail byte 0x5C is never taken for one); empty when there is none.
Text ProgramDirFromModulePath(const char* modulePath);

Text SettingsFilePath(const Text& programDir);
Text BrandingFilePath(const Text& programDir);
