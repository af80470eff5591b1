// bt.exe --make-torrent: a torrent for a file or a folder on disk.
#pragma once

#include <string>

// Returns false with the reason in *error.
bool MakeTorrentFile(const std::string& payloadPath, const std::string& outputPath,
                     const std::string& announce, std::string* error);
