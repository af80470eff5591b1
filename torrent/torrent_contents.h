// TorrentContents: the files a torrent holds, read from the torrent file for the window's
// list: each file's path below the save folder (the torrent's name first, parts joined with
// backslashes) and length, and the total. A torrent is untrusted input, and may be as large as
// the program reads: it is read once, through a small window, never whole; what is kept per
// file is twelve bytes (its length, and where its path is), and a path is read again from the
// torrent when it is shown, only as much of it as the room of its line takes. Allocates with malloc
// only, so the program can use it without the exception machinery. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "torrent/byte_source.h"

class BencodeReader;

class TorrentContents {
public:
    // The window the torrent is read through, on the stack.
    static const size_t kWindowBytes = 16 * 1024;

    TorrentContents() = default;
    ~TorrentContents();
    TorrentContents(const TorrentContents&) = delete;
    TorrentContents& operator=(const TorrentContents&) = delete;

    // False when the source holds no torrent with at least one file of valid length and path
    // (or memory runs out); the contents are then empty. The source is borrowed: it must stay
    // for as long as the contents are used. Should its bytes change meanwhile, paths may show
    // wrong or empty, never more than their room. A smaller window (at least
    // BencodeReader::kMinWindow bytes) reads the same, in more slices.
    bool Read(const ByteSource& source, size_t windowBytes = kWindowBytes);

    int FileCount() const { return m_count; }
    // The file's path as a list shows it, into out (room bytes and a terminator), in its own
    // encoding (see PathIsUtf8), control characters as '?'. A path longer than the room is
    // cut in whole characters, and each cut is marked with `ellipsis` (in the same encoding):
    // the torrent's name keeps its beginning, the file's own parts below it their end.
    // Returns the length written.
    size_t ShownPath(int index, const char* ellipsis, char* out, size_t room) const;
    // Whether the path is UTF-8 (the torrent's ".utf-8" keys, or valid UTF-8 where the torrent
    // declares no other encoding); otherwise its bytes are in the system code page.
    bool PathIsUtf8(int index) const;
    int64_t Length(int index) const { return m_lengths[index]; }
    int64_t TotalLength() const { return m_total; }

private:
    // A file's path: where the list of its parts begins (0 for a single file), and two flags.
    static const uint32_t kPartsUtf8 = 0x80000000u;  // its parts are all UTF-8
    static const uint32_t kUtf8Key = 0x40000000u;    // they come from a ".utf-8" key
    static const uint32_t kPosition = 0x3FFFFFFFu;
    struct Info;
    struct Parts;

    void Clear();
    bool ReadInfo(BencodeReader* reader, Info* info);
    bool ReadFileList(BencodeReader* reader, Info* info);
    bool ReadParts(BencodeReader* reader, Parts* parts) const;
    bool Finish(const Info& info, bool nativeDeclared);
    bool AddEntry(int64_t length, size_t partsAt, uint32_t flags);
    bool IsUtf8At(size_t at, size_t length) const;
    size_t CharacterStart(size_t at, size_t length, size_t from) const;
    size_t ReadShown(size_t at, size_t length, char* out) const;
    size_t PartsLength(uint32_t path) const;
    size_t CopyPartsTail(uint32_t path, bool utf8, size_t length, size_t keep, char* out) const;

    const ByteSource* m_source = nullptr;
    size_t m_windowBytes = kWindowBytes;
    size_t m_nameAt = 0;  // the torrent's name, which leads every path
    size_t m_nameLength = 0;
    bool m_nameUtf8 = false;
    bool m_nativeDeclared = false;
    bool m_nameUtf8Key = false;
    // Room for as many files as the torrent's size allows, in one block: only the pages the
    // files take are ever touched.
    int64_t* m_lengths = nullptr;
    uint32_t* m_paths = nullptr;
    int m_count = 0;
    int m_capacity = 0;
    int64_t m_total = 0;
};

// How many leading bytes are whole, well-formed UTF-8 characters (no overlong forms,
// surrogates or values past U+10FFFF).
size_t ValidUtf8Length(const char* bytes, size_t length);
inline bool IsValidUtf8(const char* bytes, size_t length)
{
    return ValidUtf8Length(bytes, length) == length;
}
