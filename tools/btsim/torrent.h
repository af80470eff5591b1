// The parts of a torrent file the simulated engine uses: the name, the files with their
// lengths, the piece hashes; and the writer that makes such a file. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TorrentFile {
    std::vector<std::string> path;  // below the torrent's name; empty for a single-file torrent
    int64_t length = 0;
};

struct Torrent {
    std::string name;
    bool multiFile = false;
    std::vector<TorrentFile> files;
    int64_t pieceLength = 0;  // 0 when the file gives none
    std::string pieces;       // 20 bytes of SHA-1 per piece

    int64_t TotalLength() const;
};

// Reads a torrent file's bytes. On failure returns false with a reason in *error.
// Names and path parts that would leave the working directory are refused.
bool ParseTorrent(const std::string& bytes, Torrent* torrent, std::string* error);

// A power of two from 16 KiB up, so that a payload has at most about 1,500 pieces.
int64_t ChoosePieceLength(int64_t totalLength);

// Makes a torrent: declare the files, feed the payload bytes in file order, then Finish.
class TorrentMaker {
public:
    TorrentMaker(const std::string& name, bool multiFile, int64_t pieceLength);
    void AddFile(const std::vector<std::string>& path, int64_t length);
    void Feed(const char* data, size_t size);
    // The bencoded file; false when the bytes fed do not add up to the declared lengths.
    bool Finish(const std::string& announce, std::string* bytes, std::string* error);

private:
    void EndPiece();

    Torrent m_torrent;
    std::string m_piece;
    int64_t m_fed = 0;
};
