// BencodeReader: walks the bencoded bytes of a torrent file one value at a time, checking the
// syntax as it goes; allocates nothing. It reads bytes in memory in place, or a ByteSource
// through a small window of the caller's, so that a torrent is never held whole. The simulated
// engine builds its tree with it and the program reads the torrent's file list with it.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "torrent/byte_source.h"

class BencodeReader {
public:
    enum Kind { kInteger, kString, kList, kDictionary, kEnd, kBad };

    // Lists and dictionaries nest at most this deep, so a hostile file cannot exhaust the stack
    // of a recursive caller.
    static const int kMaxDepth = 64;
    // The smallest window: it holds every key the program looks for.
    static const size_t kMinWindow = 16;

    // Reads bytes in memory, all of them at hand.
    BencodeReader(const char* data, size_t size)
        : m_window(data), m_windowSize(size), m_filled(size), m_size(size)
    {
    }
    // Reads the source from `position` on, through `window` (windowSize bytes, at least
    // kMinWindow), which must stay for as long as the reader is used. Positions count from
    // the source's start.
    BencodeReader(const ByteSource& source, size_t position, char* window, size_t windowSize)
        : m_source(&source), m_buffer(window), m_window(window), m_windowSize(windowSize),
          m_base(position), m_size(source.Size()), m_pos(position)
    {
    }

    // What comes next: a value's kind, kEnd at the 'e' that closes a list or dictionary, or
    // kBad at the end of the data, at a byte that begins no value, or after a failure.
    Kind Peek();

    bool ReadInteger(int64_t* value);
    // The string's bytes, which hold no terminator: in memory, or in the window until the next
    // read when they fit it; null when they do not. Either way they end at Position(). `bytes`
    // may be null when they are not wanted, and are then not brought into the window.
    bool ReadString(const char** bytes, size_t* length) { return String(bytes, length, 0); }
    bool EnterList() { return Enter('l'); }
    bool EnterDictionary() { return Enter('d'); }
    // Inside a list or dictionary: true at its closing 'e'; false at the next item, and at the
    // end of the data (the next read then fails).
    bool AtContainerEnd() { return Peek() == kEnd; }
    bool Leave();
    // Steps over one whole value, however deep, without bringing its strings into the window.
    bool Skip();

    // Whether a string just read equals `key` (never when its bytes are not at hand).
    static bool Equals(const char* bytes, size_t length, const char* key);

    // A dictionary's key and the kind of the value behind it, which is read or skipped next;
    // the key's bytes stay until then.
    struct Entry {
        const char* key;
        size_t keyLength;
        Kind kind;
        bool Is(const char* name, Kind wanted) const
        {
            return kind == wanted && Equals(key, keyLength, name);
        }
    };
    // Inside a dictionary: reads the next key. False at the dictionary's end, and on a syntax
    // error (AtContainerEnd then tells the two apart).
    bool NextEntry(Entry* entry);
    // Inside a list: reads the next item as a string. False at the list's end, at an item of
    // another kind and on a syntax error.
    bool NextString(const char** bytes, size_t* length)
    {
        return !AtContainerEnd() && ReadString(bytes, length);
    }

    bool AtDataEnd() const { return m_pos >= m_size; }
    size_t Position() const { return m_pos; }
    // The first failure: a short reason, and the offset where it was found.
    const char* Error() const { return m_error; }
    size_t ErrorPosition() const { return m_errorPos; }

private:
    // The byte at the reading position, or -1 at the end of the data or where the source
    // cannot be read.
    int Current()
    {
        return m_pos - m_base < m_filled ? static_cast<unsigned char>(m_window[m_pos - m_base])
                                         : LoadCurrent();
    }
    int LoadCurrent();
    bool Load(size_t at);
    bool String(const char** bytes, size_t* length, size_t after);
    bool Enter(char opener);
    bool Number(char end, bool signedValue, int64_t* value);
    bool Fail(const char* reason);

    const ByteSource* m_source = nullptr;  // none for bytes in memory
    char* m_buffer = nullptr;              // the window's bytes when reading a source
    const char* m_window;  // bytes m_base to m_base + m_filled of the data
    size_t m_windowSize;
    size_t m_base = 0;
    size_t m_filled = 0;
    size_t m_size;
    size_t m_pos = 0;
    int m_depth = 0;
    const char* m_error = nullptr;
    size_t m_errorPos = 0;
};
