#include "torrent/torrent_contents.h"

#include <cstdlib>
#include <cstring>

#include "framework/text.h"
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

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The longest beginning of the text, at most limit bytes, that ends between two characters.
size_t HeadLength(const char* text, size_t length, size_t limit, bool utf8)
{
    if (length <= limit)
        return length;
    size_t cut = 0;
    if (utf8) {
        cut = limit;
        while (cut > 0 && IsUtf8Continuation(text[cut]))
            --cut;
        return cut;
    }
    for (;;) {
        size_t next = cut + size_t(CharLength(text + cut, text + length));
        if (next > limit)
            return cut;
        cut = next;
    }
}

// Where the longest end of the text, at most limit bytes, that begins a character starts.
// The system code page is walked from the start: a trail byte may look like a lead byte.
size_t TailStart(const char* text, size_t length, size_t limit, bool utf8)
{
    if (length <= limit)
        return 0;
    size_t start = length - limit;
    if (utf8) {
        while (start < length && IsUtf8Continuation(text[start]))
            ++start;
        return start;
    }
    size_t at = 0;
    while (at < start)
        at += size_t(CharLength(text + at, text + length));
    return at;
}

// A list shows no control characters.
size_t CopyShown(char* out, const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        out[i] = c < 0x20 || c == 0x7F ? '?' : char(c);
    }
    return length;
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
    std::free(m_entries);
    m_entries = nullptr;
    m_count = m_capacity = 0;
    m_total = 0;
    m_data = m_name = nullptr;
    m_size = m_nameLength = 0;
    m_nativeDeclared = m_nameUtf8Key = false;
}

bool TorrentContents::AddEntry(int64_t length, size_t partsAt, bool utf8)
{
    if (length < 0 || length > INT64_MAX - m_total || m_count >= m_capacity)
        return false;
    m_entries[m_count++] = Entry{length, partsAt, utf8};
    m_total += length;
    return true;
}

bool TorrentContents::Read(const char* data, size_t size)
{
    Clear();
    m_data = data;
    m_size = size;
    BencodeReader root(data, size);
    bool nativeDeclared = false;
    size_t infoPos = 0;
    bool haveInfo = false;
    bool read = root.EnterDictionary();
    BencodeReader::Entry entry;
    while (read && root.NextEntry(&entry)) {
        if (entry.Is("encoding", BencodeReader::kString)) {
            const char* name;
            size_t nameLength;
            read = root.ReadString(&name, &nameLength);
            nativeDeclared = read && !IsUtf8EncodingName(name, nameLength);
        } else {
            if (entry.Is("info", BencodeReader::kDictionary)) {
                infoPos = root.Position();
                haveInfo = true;
            }
            read = root.Skip();
        }
    }
    if (!read || !root.Leave() || !root.AtDataEnd() || !haveInfo
        || !ReadInfo(infoPos, nativeDeclared)) {
        Clear();
        return false;
    }
    return true;
}

// The info dictionary at infoPos, whose syntax the root's reading has checked.
bool TorrentContents::ReadInfo(size_t infoPos, bool nativeDeclared)
{
    BencodeReader info(m_data + infoPos, m_size - infoPos);
    const char* name = nullptr;
    size_t nameLength = 0;
    const char* utf8Name = nullptr;
    size_t utf8NameLength = 0;
    int64_t length = -1;
    size_t filesPos = 0;
    if (!info.EnterDictionary())
        return false;
    BencodeReader::Entry entry;
    while (info.NextEntry(&entry)) {
        bool read;
        if (entry.Is("name", BencodeReader::kString)) {
            read = info.ReadString(&name, &nameLength);
        } else if (entry.Is("name.utf-8", BencodeReader::kString)) {
            read = info.ReadString(&utf8Name, &utf8NameLength);
        } else if (entry.Is("length", BencodeReader::kInteger)) {
            read = info.ReadInteger(&length);
        } else {
            if (entry.Is("files", BencodeReader::kList))
                filesPos = infoPos + info.Position();
            read = info.Skip();
        }
        if (!read)
            return false;
    }
    if (!info.AtContainerEnd())
        return false;

    m_nativeDeclared = nativeDeclared;
    m_nameUtf8Key = utf8Name != nullptr;
    m_name = utf8Name ? utf8Name : name;
    m_nameLength = utf8Name ? utf8NameLength : nameLength;
    if (!m_name || m_nameLength == 0)
        return false;
    // Checked once here, not again for every file below it.
    bool nameUtf8 = IsValidUtf8(m_name, m_nameLength);
    if (filesPos)
        return ReadFiles(filesPos, nameUtf8);
    m_entries = static_cast<Entry*>(std::malloc(sizeof(Entry)));
    m_capacity = m_entries ? 1 : 0;
    return AddEntry(length, 0, nameUtf8 && (!m_nativeDeclared || m_nameUtf8Key));
}

// The files list at filesPos: each file's length and where its path's parts are, checked.
bool TorrentContents::ReadFiles(size_t filesPos, bool nameUtf8)
{
    // Counted first, so that the entries take just the room they need.
    BencodeReader counter(m_data + filesPos, m_size - filesPos);
    int count = 0;
    if (!counter.EnterList())
        return false;
    for (; !counter.AtContainerEnd(); ++count) {
        if (count >= kMaxFiles || !counter.Skip())
            return false;
    }
    m_entries = static_cast<Entry*>(std::malloc(sizeof(Entry) * size_t(count ? count : 1)));
    if (!m_entries || count == 0)
        return false;
    m_capacity = count;

    BencodeReader files(m_data + filesPos, m_size - filesPos);
    files.EnterList();
    while (!files.AtContainerEnd()) {
        int64_t fileLength = -1;
        size_t pathPos = 0;
        size_t utf8PathPos = 0;
        if (!files.EnterDictionary())
            return false;
        BencodeReader::Entry entry;
        bool read = true;
        while (read && files.NextEntry(&entry)) {
            if (entry.Is("length", BencodeReader::kInteger)) {
                read = files.ReadInteger(&fileLength);
                continue;
            }
            if (entry.Is("path", BencodeReader::kList))
                pathPos = filesPos + files.Position();
            if (entry.Is("path.utf-8", BencodeReader::kList))
                utf8PathPos = filesPos + files.Position();
            read = files.Skip();
        }
        if (!read || !files.Leave())
            return false;
        bool utf8Key = utf8PathPos != 0;
        size_t partsAt = utf8Key ? utf8PathPos : pathPos;
        if (!partsAt)
            return false;
        // At least one part, none of them empty.
        BencodeReader parts(m_data + partsAt, m_size - partsAt);
        bool partsUtf8 = true;
        if (!parts.EnterList() || parts.AtContainerEnd())
            return false;
        const char* part;
        size_t partLength;
        while (parts.NextString(&part, &partLength)) {
            if (partLength == 0)
                return false;
            partsUtf8 = partsUtf8 && IsValidUtf8(part, partLength);
        }
        if (!parts.AtContainerEnd())
            return false;
        // A torrent that declares another encoding holds that code page, except in ".utf-8"
        // keys.
        bool utf8 = nameUtf8 && partsUtf8 && (!m_nativeDeclared || (utf8Key && m_nameUtf8Key));
        if (!AddEntry(fileLength, partsAt, utf8))
            return false;
    }
    return true;
}

// The bytes of the file's parts as shown: a backslash and the part, for each part.
size_t TorrentContents::PartsLength(const Entry& entry) const
{
    if (!entry.partsAt)
        return 0;
    BencodeReader parts(m_data + entry.partsAt, m_size - entry.partsAt);
    size_t length = 0;
    parts.EnterList();
    const char* part;
    size_t partLength;
    while (parts.NextString(&part, &partLength))
        length += 1 + partLength;
    return length;
}

// The last `keep` bytes (or fewer, to begin on a character) of the parts as shown, out of
// `length` in all.
size_t TorrentContents::CopyPartsTail(const Entry& entry, size_t length, size_t keep,
                                      char* out) const
{
    if (!entry.partsAt)
        return 0;
    size_t skip = length > keep ? length - keep : 0;
    BencodeReader parts(m_data + entry.partsAt, m_size - entry.partsAt);
    size_t offset = 0;
    size_t used = 0;
    parts.EnterList();
    const char* part;
    size_t partLength;
    while (parts.NextString(&part, &partLength)) {
        size_t partEnd = offset + 1 + partLength;
        if (skip <= offset) {
            out[used++] = '\\';
            used += CopyShown(out + used, part, partLength);
        } else if (skip < partEnd) {
            size_t from = TailStart(part, partLength, partEnd - skip, entry.utf8);
            used += CopyShown(out + used, part + from, partLength - from);
        }
        offset = partEnd;
    }
    return used;
}

size_t TorrentContents::ShownPath(int index, const char* ellipsis, char* out, size_t room) const
{
    const Entry& entry = m_entries[index];
    const size_t parts = PartsLength(entry);
    const size_t mark = std::strlen(ellipsis);
    // The name's share of the room, its mark included: all of it that fits beside the parts;
    // half the room when both are long.
    size_t nameRoom = m_nameLength;
    if (m_nameLength + parts > room) {
        if (parts <= room / 2)
            nameRoom = room - parts;
        else if (m_nameLength > room / 2)
            nameRoom = room / 2;
    }
    size_t used = 0;
    if (m_nameLength <= nameRoom) {
        used = CopyShown(out, m_name, m_nameLength);
    } else if (nameRoom > mark) {
        used = CopyShown(out, m_name, HeadLength(m_name, m_nameLength, nameRoom - mark, entry.utf8));
        std::memcpy(out + used, ellipsis, mark);
        used += mark;
    }
    size_t partsRoom = room - used;
    if (parts <= partsRoom) {
        used += CopyPartsTail(entry, parts, parts, out + used);
    } else if (partsRoom > mark) {
        std::memcpy(out + used, ellipsis, mark);
        used += mark;
        used += CopyPartsTail(entry, parts, partsRoom - mark, out + used);
    }
    out[used] = '\0';
    return used;
}
