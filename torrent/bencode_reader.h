// BencodeReader: walks the bencoded bytes of a torrent file in place, one value at a time,
// checking the syntax as it goes; allocates nothing and copies nothing. The simulated engine
// builds its tree with it and the program reads the torrent's file list with it. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

class BencodeReader {
public:
    enum Kind { kInteger, kString, kList, kDictionary, kEnd, kBad };

    // Lists and dictionaries nest at most this deep, so a hostile file cannot exhaust the stack
    // of a recursive caller.
    static const int kMaxDepth = 64;

    BencodeReader(const char* data, size_t size) : m_data(data), m_size(size) {}

    // What comes next: a value's kind, kEnd at the 'e' that closes a list or dictionary, or
    // kBad at the end of the data or at a byte that begins no value.
    Kind Peek() const;

    bool ReadInteger(int64_t* value);
    // The string's bytes stay in the data; they hold no terminator.
    bool ReadString(const char** bytes, size_t* length);
    bool EnterList() { return Enter('l'); }
    bool EnterDictionary() { return Enter('d'); }
    // Inside a list or dictionary: true at its closing 'e'; false at the next item, and at the
    // end of the data (the next read then fails).
    bool AtContainerEnd() const { return Peek() == kEnd; }
    bool Leave();
    // Steps over one whole value, however deep.
    bool Skip();

    // Whether a string just read equals `key`.
    static bool Equals(const char* bytes, size_t length, const char* key);

    // A dictionary's key and the kind of the value behind it, which is read or skipped next.
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
    bool Enter(char opener);
    bool Number(char end, bool signedValue, int64_t* value);
    bool Fail(const char* reason);

    const char* m_data;
    size_t m_size;
    size_t m_pos = 0;
    int m_depth = 0;
    const char* m_error = nullptr;
    size_t m_errorPos = 0;
};
