#include "torrent/torrent_contents.h"

#include <cstdlib>
#include <cstring>

#include "torrent/bencode_reader.h"

namespace {

// At most this many files (far beyond any real torrent), so that counts fit an int.
const int kMaxFiles = 10 * 1000 * 1000;

bool IsUtf8EncodingName(const char* bytes, size_t length)
{
    char name[8] = {};
    if (length >= sizeof(name))
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = bytes[i];
        name[i] = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    }
    return std::strcmp(name, "UTF-8") == 0 || std::strcmp(name, "UTF8") == 0;
}

}  // namespace

bool IsValidUtf8(const char* bytes, size_t length)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = p + length;
    while (p < end) {
        unsigned char c = *p++;
        if (c < 0x80)
            continue;
        int more;
        uint32_t value;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            value = c & 0x07;
        } else {
            return false;
        }
        if (end - p < more)
            return false;
        for (int i = 0; i < more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (p[i] & 0x3F);
        }
        p += more;
        if ((more == 2 && value < 0x800) || (more == 3 && value < 0x10000) || value > 0x10FFFF
            || (value >= 0xD800 && value <= 0xDFFF))
            return false;
    }
    return true;
}

TorrentContents::~TorrentContents() { Clear(); }

void TorrentContents::Clear()
{
    std::free(m_names);
    std::free(m_entries);
    m_names = nullptr;
    m_namesUsed = m_namesCapacity = 0;
    m_entries = nullptr;
    m_count = m_capacity = 0;
    m_total = 0;
}

const char* TorrentContents::Path(int index, size_t* length) const
{
    *length = m_entries[index].pathLength;
    return m_names + m_entries[index].pathOffset;
}

bool TorrentContents::Append(const char* bytes, size_t length)
{
    if (length > m_namesCapacity - m_namesUsed) {
        size_t capacity = m_namesCapacity ? m_namesCapacity : 4096;
        while (length > capacity - m_namesUsed) {
            if (capacity > SIZE_MAX / 2)
                return false;
            capacity *= 2;
        }
        char* grown = static_cast<char*>(std::realloc(m_names, capacity));
        if (!grown)
            return false;
        m_names = grown;
        m_namesCapacity = capacity;
    }
    // A list shows no control characters.
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        m_names[m_namesUsed++] = c < 0x20 || c == 0x7F ? '?' : char(c);
    }
    return true;
}

bool TorrentContents::AddEntry(size_t pathOffset, int64_t length, bool utf8Keys)
{
    if (length < 0 || length > INT64_MAX - m_total || m_count >= kMaxFiles)
        return false;
    if (m_count == m_capacity) {
        int capacity = m_capacity ? m_capacity * 2 : 64;
        Entry* grown =
            static_cast<Entry*>(std::realloc(m_entries, sizeof(Entry) * size_t(capacity)));
        if (!grown)
            return false;
        m_entries = grown;
        m_capacity = capacity;
    }
    Entry& entry = m_entries[m_count++];
    entry.pathOffset = pathOffset;
    entry.pathLength = m_namesUsed - pathOffset;
    entry.length = length;
    // A torrent that declares another encoding holds that code page, except in ".utf-8" keys.
    entry.utf8 = IsValidUtf8(m_names + pathOffset, entry.pathLength)
              && (!m_nativeDeclared || utf8Keys);
    m_total += length;
    return true;
}

// Appends name\part\part... from the list of path parts at pathListPos.
bool TorrentContents::AddFile(const char* data, size_t size, size_t pathListPos, bool utf8Key,
                              int64_t length)
{
    size_t offset = m_namesUsed;
    if (!Append(m_name, m_nameLength))
        return false;
    BencodeReader path(data + pathListPos, size - pathListPos);
    if (!path.EnterList() || path.AtContainerEnd())
        return false;
    while (!path.AtContainerEnd()) {
        const char* part;
        size_t partLength;
        if (!path.ReadString(&part, &partLength) || partLength == 0 || !Append("\\", 1)
            || !Append(part, partLength))
            return false;
    }
    return AddEntry(offset, length, utf8Key && m_nameUtf8Key);
}

bool TorrentContents::Read(const char* data, size_t size)
{
    Clear();
    BencodeReader root(data, size);
    bool nativeDeclared = false;
    size_t infoPos = 0;
    bool haveInfo = false;
    if (!root.EnterDictionary())
        return false;
    while (!root.AtContainerEnd()) {
        const char* key;
        size_t keyLength;
        if (!root.ReadString(&key, &keyLength))
            return false;
        if (BencodeReader::Equals(key, keyLength, "encoding")
            && root.Peek() == BencodeReader::kString) {
            const char* name;
            size_t nameLength;
            if (!root.ReadString(&name, &nameLength))
                return false;
            nativeDeclared = !IsUtf8EncodingName(name, nameLength);
            continue;
        }
        if (BencodeReader::Equals(key, keyLength, "info")
            && root.Peek() == BencodeReader::kDictionary) {
            infoPos = root.Position();
            haveInfo = true;
        }
        if (!root.Skip())
            return false;
    }
    if (!root.Leave() || !root.AtDataEnd() || !haveInfo
        || !ReadInfo(data, size, infoPos, nativeDeclared)) {
        Clear();
        return false;
    }
    return true;
}

// The info dictionary at infoPos, whose syntax the root's reading has checked.
bool TorrentContents::ReadInfo(const char* data, size_t size, size_t infoPos,
                               bool nativeDeclared)
{
    BencodeReader info(data + infoPos, size - infoPos);
    const char* name = nullptr;
    size_t nameLength = 0;
    const char* utf8Name = nullptr;
    size_t utf8NameLength = 0;
    int64_t length = -1;
    size_t filesPos = 0;
    if (!info.EnterDictionary())
        return false;
    while (!info.AtContainerEnd()) {
        const char* key;
        size_t keyLength;
        if (!info.ReadString(&key, &keyLength))
            return false;
        BencodeReader::Kind kind = info.Peek();
        bool read;
        if (BencodeReader::Equals(key, keyLength, "name") && kind == BencodeReader::kString) {
            read = info.ReadString(&name, &nameLength);
        } else if (BencodeReader::Equals(key, keyLength, "name.utf-8")
                   && kind == BencodeReader::kString) {
            read = info.ReadString(&utf8Name, &utf8NameLength);
        } else if (BencodeReader::Equals(key, keyLength, "length")
                   && kind == BencodeReader::kInteger) {
            read = info.ReadInteger(&length);
        } else {
            if (BencodeReader::Equals(key, keyLength, "files") && kind == BencodeReader::kList)
                filesPos = infoPos + info.Position();
            read = info.Skip();
        }
        if (!read)
            return false;
    }

    m_nativeDeclared = nativeDeclared;
    m_nameUtf8Key = utf8Name != nullptr;
    m_name = utf8Name ? utf8Name : name;
    m_nameLength = utf8Name ? utf8NameLength : nameLength;
    if (!m_name || m_nameLength == 0)
        return false;
    if (!filesPos) {
        size_t offset = m_namesUsed;
        return Append(m_name, m_nameLength) && AddEntry(offset, length, m_nameUtf8Key);
    }

    BencodeReader files(data + filesPos, size - filesPos);
    if (!files.EnterList() || files.AtContainerEnd())
        return false;
    while (!files.AtContainerEnd()) {
        int64_t fileLength = -1;
        size_t pathPos = 0;
        size_t utf8PathPos = 0;
        if (!files.EnterDictionary())
            return false;
        while (!files.AtContainerEnd()) {
            const char* key;
            size_t keyLength;
            if (!files.ReadString(&key, &keyLength))
                return false;
            BencodeReader::Kind kind = files.Peek();
            bool read;
            if (BencodeReader::Equals(key, keyLength, "length")
                && kind == BencodeReader::kInteger) {
                read = files.ReadInteger(&fileLength);
            } else {
                if (kind == BencodeReader::kList && BencodeReader::Equals(key, keyLength, "path"))
                    pathPos = filesPos + files.Position();
                if (kind == BencodeReader::kList
                    && BencodeReader::Equals(key, keyLength, "path.utf-8"))
                    utf8PathPos = filesPos + files.Position();
                read = files.Skip();
            }
            if (!read)
                return false;
        }
        if (!files.Leave())
            return false;
        bool utf8Key = utf8PathPos != 0;
        if (!utf8Key && !pathPos)
            return false;
        if (!AddFile(data, size, utf8Key ? utf8PathPos : pathPos, utf8Key, fileLength))
            return false;
    }
    return true;
}
