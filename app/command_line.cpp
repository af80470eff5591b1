// Start-up's pure rules for the command line.
#include "app/command_line.h"

Text TorrentNameFromCommandLine(const char* rawCommandLine)
{
    Text name(rawCommandLine);
    name.Trim();
    return name;
}

bool IsAcceptableTorrentName(const Text& name) { return name.Length() >= kMinTorrentNameLength; }

Text WindowTitleForTorrent(const Text& name)
{
    int end = name.Find(".torrent");
    return end > 0 ? name.Left(end) : Text();
}
