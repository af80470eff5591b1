// TorrentContents: the files a torrent holds, read from the torrent file's bytes for the
// window's list: each file's path below the save folder (the torrent's name first, parts
// joined with backslashes) and length, and the total. Allocates with malloc only, so the
// program can use it without the exception machinery. Portable.
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
    // (or memory runs out); the contents are then empty.
    bool Read(const char* data, size_t size);

    int FileCount() const { return m_count; }
    // The file's path, not terminated; control characters are replaced by '?'.
    const char* Path(int index, size_t* length) const;
    // Whether the path is UTF-8 (the torrent's ".utf-8" keys, or valid UTF-8 where the torrent
    // declares no other encoding); otherwise its bytes are in the system code page.
    bool PathIsUtf8(int index) const { return m_entries[index].utf8; }
    int64_t Length(int index) const { return m_entries[index].length; }
    int64_t TotalLength() const { return m_total; }

private:
    struct Entry {
        size_t pathOffset;
        size_t pathLength;
        int64_t length;
        bool utf8;
    };

    void Clear();
    bool ReadInfo(const char* data, size_t size, size_t infoPos, bool nativeDeclared);
    bool AddFile(const char* data, size_t size, size_t pathListPos, bool utf8Key,
                 int64_t length);
    bool Append(const char* bytes, size_t length);
    bool AddEntry(size_t pathOffset, int64_t length, bool utf8Keys);

    char* m_names = nullptr;
    size_t m_namesUsed = 0;
    size_t m_namesCapacity = 0;
    Entry* m_entries = nullptr;
    int m_count = 0;
    int m_capacity = 0;
    int64_t m_total = 0;
    // While reading: the torrent's name, which leads every path, and how it is encoded.
    const char* m_name = nullptr;
    size_t m_nameLength = 0;
    bool m_nameUtf8Key = false;
    bool m_nativeDeclared = false;
};

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(const char* bytes, size_t length);
