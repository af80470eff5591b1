// Start-up's pure rules for the command line.
#include "app/command_line.h"

const char* RawCommandLine(const char* fullCommandLine)
{
    // Unsigned, so that the lead and trail bytes of a GBK name are not taken for blanks.
    const unsigned char* at = reinterpret_cast<const unsigned char*>(fullCommandLine);
    bool quoted = false;
    for (; *at && (quoted || *at > ' '); ++at) {
        if (*at == '"')
            quoted = !quoted;
    }
    while (*at && *at <= ' ')
        ++at;
    return reinterpret_cast<const char*>(at);
}

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
