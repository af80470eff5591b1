// TorrentContents: the files a torrent holds, read from the torrent file's bytes for the
// window's list: each file's path below the save folder (the torrent's name first, parts
// joined with backslashes) and length, and the total. A torrent is untrusted input: what is
// kept per file is a fixed-size entry, every path is read again from the torrent's bytes when
// it is shown, and a path is shown within the room of its line. Allocates with malloc only,
// so the program can use it without the exception machinery. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

class TorrentContents {
public:
    TorrentContents() = default;
    ~TorrentContents();
    TorrentContents(const TorrentContents&) = delete;
    TorrentContents& operator=(const TorrentContents&) = delete;

    // False when the bytes are no torrent with at least one file of valid length and path
    // (or memory runs out); the contents are then empty. The bytes are borrowed: they must
    // stay, unchanged, for as long as the contents are used.
    bool Read(const char* data, size_t size);

    int FileCount() const { return m_count; }
    // The file's path as a list shows it, into out (room bytes and a terminator), in its own
    // encoding (see PathIsUtf8), control characters as '?'. A path longer than the room is
    // cut in whole characters, and each cut is marked with `ellipsis` (in the same encoding):
    // the torrent's name keeps its beginning, the file's own parts below it their end.
    // Returns the length written.
    size_t ShownPath(int index, const char* ellipsis, char* out, size_t room) const;
    // Whether the path is UTF-8 (the torrent's ".utf-8" keys, or valid UTF-8 where the torrent
    // declares no other encoding); otherwise its bytes are in the system code page.
    bool PathIsUtf8(int index) const { return m_entries[index].utf8; }
    int64_t Length(int index) const { return m_entries[index].length; }
    int64_t TotalLength() const { return m_total; }

private:
    struct Entry {
        int64_t length;
        size_t partsAt;  // where the list of the path's parts begins; 0 for a single file
        bool utf8;
    };

    void Clear();
    bool ReadInfo(size_t infoPos, bool nativeDeclared);
    bool ReadFiles(size_t filesPos, bool nameUtf8);
    bool AddEntry(int64_t length, size_t partsAt, bool utf8);
    size_t PartsLength(const Entry& entry) const;
    size_t CopyPartsTail(const Entry& entry, size_t length, size_t keep, char* out) const;

    const char* m_data = nullptr;
    size_t m_size = 0;
    const char* m_name = nullptr;  // the torrent's name, which leads every path
    size_t m_nameLength = 0;
    bool m_nativeDeclared = false;
    bool m_nameUtf8Key = false;
    Entry* m_entries = nullptr;
    int m_count = 0;
    int m_capacity = 0;
    int64_t m_total = 0;
};

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(const char* bytes, size_t length);
