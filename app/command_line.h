// What start-up makes of its command line: the torrent name and the window title. Portable.
#pragma once

#include "framework/text.h"

// The trimmed command line, set once by start-up (defined with the entry function).
extern Text g_torrentName;

// Names shorter than this are refused before any window is made.
constexpr int kMinTorrentNameLength = 8;

// The raw command line in a full one (GetCommandLineA): what follows the program's own name,
// which ends at the first byte of 0x20 or below outside double quotes, and the bytes of 0x20
// or below after it. Bytes of 0x80 and above are characters, never blanks.
const char* RawCommandLine(const char* fullCommandLine);

// The raw command line with ASCII white space trimmed from both ends; quotes stay.
Text TorrentNameFromCommandLine(const char* rawCommandLine);

bool IsAcceptableTorrentName(const Text& name);

// The part of the name before the first ".torrent" (case-sensitive, whole characters only);
// empty when it does not occur.
Text WindowTitleForTorrent(const Text& name);
