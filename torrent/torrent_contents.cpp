#include "torrent/torrent_contents.h"

#include <cstdlib>
#include <cstring>

#include "framework/text.h"
#include "torrent/bencode_reader.h"

namespace {

// A path's position takes 30 bits of its file's entry: larger sources are refused.
const size_t kMaxBytes = 0x3FFFFFFF;
// No file's entry takes fewer bytes ("d6:lengthi0e4:pathl1:aee"), so a torrent holds at most
// its size over this many files: more items is no torrent.
const size_t kSmallestFileEntry = 24;

size_t Smaller(size_t a, size_t b) { return a < b ? a : b; }

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
// The text needs one byte past the limit, when it has it, to tell.
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

// A list shows no control characters.
void MakeShown(char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            text[i] = '?';
    }
}

// A string in the source: where its bytes begin (0 for none: the first byte opens the root)
// and how many there are.
struct Span {
    size_t at = 0;
    size_t length = 0;
};

bool ReadSpan(BencodeReader* reader, Span* span)
{
    if (!reader->ReadString(nullptr, &span->length))
        return false;
    span->at = reader->Position() - span->length;
    return true;
}

}  // namespace

// What the info dictionary says: the name, and the single file's length or whether the list
// of files (read into the entries) is one.
struct TorrentContents::Info {
    Span name;
    Span utf8Name;
    int64_t length = -1;
    bool haveFiles = false;
    bool filesValid = false;
};

// A path's list of parts: where it is, whether it holds at least one part and no empty one,
// and whether they are all UTF-8.
struct TorrentContents::Parts {
    size_t at = 0;
    bool valid = false;
    bool utf8 = true;
};

// The info dictionary at the reader's position, read through to its end.
bool TorrentContents::ReadInfo(BencodeReader* reader, Info* info)
{
    *info = Info();
    if (!reader->EnterDictionary())
        return false;
    BencodeReader::Entry entry;
    while (reader->NextEntry(&entry)) {
        bool read;
        if (entry.Is("name", BencodeReader::kString))
            read = ReadSpan(reader, &info->name);
        else if (entry.Is("name.utf-8", BencodeReader::kString))
            read = ReadSpan(reader, &info->utf8Name);
        else if (entry.Is("length", BencodeReader::kInteger))
            read = reader->ReadInteger(&info->length);
        else if (entry.Is("files", BencodeReader::kList))
            read = ReadFileList(reader, info);
        else
            read = reader->Skip();
        if (!read)
            return false;
    }
    return reader->Leave();
}

// The list of files at the reader's position, read through to its end, into the entries: each
// file's length and where its path's parts are, checked. Their UTF-8 is settled once the
// torrent's name and encoding, which may come later, are known.
bool TorrentContents::ReadFileList(BencodeReader* reader, Info* info)
{
    m_count = 0;
    m_total = 0;
    info->haveFiles = true;
    info->filesValid = true;
    if (!reader->EnterList())
        return false;
    while (!reader->AtContainerEnd()) {
        // After a bad file the list is only stepped over.
        if (!info->filesValid || reader->Peek() != BencodeReader::kDictionary) {
            info->filesValid = false;
            if (!reader->Skip())
                return false;
            continue;
        }
        int64_t fileLength = -1;
        Parts path;
        Parts utf8Path;
        reader->EnterDictionary();
        BencodeReader::Entry entry;
        bool read = true;
        while (read && reader->NextEntry(&entry)) {
            if (entry.Is("length", BencodeReader::kInteger))
                read = reader->ReadInteger(&fileLength);
            else if (entry.Is("path", BencodeReader::kList))
                read = ReadParts(reader, &path);
            else if (entry.Is("path.utf-8", BencodeReader::kList))
                read = ReadParts(reader, &utf8Path);
            else
                read = reader->Skip();
        }
        if (!read || !reader->Leave())
            return false;
        bool utf8Key = utf8Path.at != 0;
        const Parts& parts = utf8Key ? utf8Path : path;
        info->filesValid = parts.valid
                           && AddEntry(fileLength, parts.at,
                                       (parts.utf8 ? kPartsUtf8 : 0) | (utf8Key ? kUtf8Key : 0));
    }
    return reader->Leave();
}

size_t ValidUtf8Length(const char* bytes, size_t length)
{
    const unsigned char* start = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* p = start;
    const unsigned char* end = p + length;
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
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
            break;
        }
        if (end - p - 1 < more)
            break;
        int i = 1;
        for (; i <= more && (p[i] & 0xC0) == 0x80; ++i)
            value = (value << 6) | (p[i] & 0x3F);
        if (i <= more || (more == 2 && value < 0x800) || (more == 3 && value < 0x10000)
            || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            break;
        p += 1 + more;
    }
    return size_t(p - start);
}

TorrentContents::~TorrentContents() { Clear(); }

void TorrentContents::Clear()
{
    std::free(m_lengths);
    m_lengths = nullptr;
    m_paths = nullptr;
    m_count = m_capacity = 0;
    m_total = 0;
    m_source = nullptr;
    m_nameAt = m_nameLength = 0;
    m_nameUtf8 = m_nativeDeclared = m_nameUtf8Key = false;
}

bool TorrentContents::AddEntry(int64_t length, size_t partsAt, uint32_t flags)
{
    if (length < 0 || length > INT64_MAX - m_total || m_count >= m_capacity)
        return false;
    m_lengths[m_count] = length;
    m_paths[m_count] = uint32_t(partsAt) | flags;
    ++m_count;
    m_total += length;
    return true;
}

bool TorrentContents::Read(const ByteSource& source, size_t windowBytes)
{
    Clear();
    m_source = &source;
    m_windowBytes = windowBytes < BencodeReader::kMinWindow ? BencodeReader::kMinWindow
                                                            : Smaller(windowBytes, kWindowBytes);
    // Room for as many files as the size allows, of which only what the files take is touched.
    const size_t capacity = source.Size() / kSmallestFileEntry + 1;
    if (source.Size() <= kMaxBytes)
        m_lengths = static_cast<int64_t*>(
            std::malloc(capacity * (sizeof(int64_t) + sizeof(uint32_t))));
    bool read = m_lengths != nullptr;
    if (read) {
        m_paths = reinterpret_cast<uint32_t*>(m_lengths + capacity);
        m_capacity = int(capacity);
    }
    char window[kWindowBytes];
    BencodeReader root(source, 0, window, m_windowBytes);
    bool nativeDeclared = false;
    Info info;
    bool haveInfo = false;
    read = read && root.EnterDictionary();
    BencodeReader::Entry entry;
    while (read && root.NextEntry(&entry)) {
        if (entry.Is("encoding", BencodeReader::kString)) {
            const char* name;
            size_t nameLength;
            read = root.ReadString(&name, &nameLength);
            nativeDeclared = read && !IsUtf8EncodingName(name, nameLength);
        } else if (entry.Is("info", BencodeReader::kDictionary)) {
            read = ReadInfo(&root, &info);
            haveInfo = true;
        } else {
            read = root.Skip();
        }
    }
    if (!read || !root.Leave() || !root.AtDataEnd() || !haveInfo
        || !Finish(info, nativeDeclared)) {
        Clear();
        return false;
    }
    return true;
}

// The name, checked, and the single file's entry.
bool TorrentContents::Finish(const Info& info, bool nativeDeclared)
{
    m_nativeDeclared = nativeDeclared;
    m_nameUtf8Key = info.utf8Name.at != 0;
    const Span& name = m_nameUtf8Key ? info.utf8Name : info.name;
    if (name.at == 0 || name.length == 0)
        return false;
    m_nameAt = name.at;
    m_nameLength = name.length;
    // Checked once here, not again for every file below it.
    m_nameUtf8 = IsUtf8At(m_nameAt, m_nameLength);
    if (info.haveFiles)
        return info.filesValid && m_count > 0;
    m_count = 0;
    m_total = 0;
    return AddEntry(info.length, 0, kPartsUtf8 | kUtf8Key);
}

// A torrent that declares another encoding holds that code page, except in ".utf-8" keys.
bool TorrentContents::PathIsUtf8(int index) const
{
    uint32_t path = m_paths[index];
    return m_nameUtf8 && (path & kPartsUtf8)
           && (!m_nativeDeclared || ((path & kUtf8Key) && m_nameUtf8Key));
}

// The list of a path's parts at the reader's position, read through to its end.
bool TorrentContents::ReadParts(BencodeReader* reader, Parts* parts) const
{
    *parts = Parts();
    parts->at = reader->Position();
    if (!reader->EnterList())
        return false;
    parts->valid = !reader->AtContainerEnd();
    while (!reader->AtContainerEnd()) {
        const char* bytes;
        size_t length;
        if (reader->Peek() != BencodeReader::kString) {
            parts->valid = false;
            if (!reader->Skip())
                return false;
        } else if (!reader->ReadString(&bytes, &length)) {
            return false;
        } else if (length == 0) {
            parts->valid = false;
        } else if (parts->utf8) {
            parts->utf8 = bytes ? IsValidUtf8(bytes, length)
                                : IsUtf8At(reader->Position() - length, length);
        }
    }
    return reader->Leave();
}

// Whether the source's bytes are UTF-8, read a window at a time; a character cut by a
// window's end is read again at the next window's start.
bool TorrentContents::IsUtf8At(size_t at, size_t length) const
{
    char chunk[kWindowBytes];
    for (size_t done = 0; done < length;) {
        size_t count = Smaller(m_windowBytes, length - done);
        if (!m_source->Read(at + done, chunk, count))
            return false;
        size_t valid = ValidUtf8Length(chunk, count);
        if (valid < count && (done + count == length || count - valid >= 4))
            return false;
        done += valid;
    }
    return true;
}

// Where the first character at or after `from` begins in the text of `length` bytes at `at`
// in the system code page. It is walked from its start, a window at a time: a trail byte may
// look like a lead byte. A character is judged only with the byte after it at hand.
size_t TorrentContents::CharacterStart(size_t at, size_t length, size_t from) const
{
    char chunk[kWindowBytes];
    size_t done = 0;
    while (done < from) {
        size_t count = Smaller(m_windowBytes, length - done);
        if (!m_source->Read(at + done, chunk, count))
            return length;
        bool last = done + count == length;
        size_t i = 0;
        while (done + i < from && (i + 1 < count || (last && i < count)))
            i += size_t(CharLength(chunk + i, chunk + count));
        done += i;
    }
    return done;
}

// The source's bytes as shown, into out; none when they cannot be read.
size_t TorrentContents::ReadShown(size_t at, size_t length, char* out) const
{
    if (!m_source->Read(at, out, length))
        return 0;
    MakeShown(out, length);
    return length;
}

// The bytes of the file's parts as shown: a backslash and the part, for each part.
size_t TorrentContents::PartsLength(uint32_t path) const
{
    size_t partsAt = path & kPosition;
    if (!partsAt)
        return 0;
    char window[kWindowBytes];
    BencodeReader parts(*m_source, partsAt, window, m_windowBytes);
    size_t length = 0;
    parts.EnterList();
    size_t partLength;
    while (parts.NextString(nullptr, &partLength))
        length += 1 + partLength;
    return length;
}

// The last `keep` bytes (or fewer, to begin on a character) of the parts as shown, out of
// `length` in all; never more than `keep`, should the parts have changed since they were
// measured.
size_t TorrentContents::CopyPartsTail(uint32_t path, bool utf8, size_t length, size_t keep,
                                      char* out) const
{
    size_t partsAt = path & kPosition;
    if (!partsAt)
        return 0;
    const size_t skip = length > keep ? length - keep : 0;
    char window[kWindowBytes];
    BencodeReader parts(*m_source, partsAt, window, m_windowBytes);
    size_t offset = 0;
    size_t used = 0;
    parts.EnterList();
    const char* bytes;
    size_t partLength;
    while (parts.NextString(&bytes, &partLength)) {
        const size_t at = parts.Position() - partLength;
        const size_t partEnd = offset + 1 + partLength;
        if (skip <= offset) {
            if (partLength >= keep - used)
                break;
            out[used++] = '\\';
            if (bytes) {
                std::memcpy(out + used, bytes, partLength);
                MakeShown(out + used, partLength);
                used += partLength;
            } else {
                used += ReadShown(at, partLength, out + used);
            }
        } else if (skip < partEnd) {
            // The part's end, from a character's start.
            size_t from = partLength - Smaller(partEnd - skip, keep);
            if (utf8) {
                if (!m_source->Read(at + from, out, partLength - from))
                    break;
                size_t start = 0;
                while (start < partLength - from && IsUtf8Continuation(out[start]))
                    ++start;
                from += start;
            } else {
                from = CharacterStart(at, partLength, from);
            }
            used = ReadShown(at + from, partLength - from, out);
        }
        offset = partEnd;
    }
    return used;
}

size_t TorrentContents::ShownPath(int index, const char* ellipsis, char* out, size_t room) const
{
    const uint32_t path = m_paths[index];
    const bool utf8 = PathIsUtf8(index);
    const size_t parts = PartsLength(path);
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
        used = ReadShown(m_nameAt, m_nameLength, out);
    } else if (nameRoom > mark) {
        // One byte past the cut tells whether a character goes on there.
        size_t limit = nameRoom - mark;
        if (m_source->Read(m_nameAt, out, limit + 1)) {
            used = HeadLength(out, limit + 1, limit, utf8);
            MakeShown(out, used);
        }
        std::memcpy(out + used, ellipsis, mark);
        used += mark;
    }
    size_t partsRoom = room - used;
    if (parts <= partsRoom) {
        used += CopyPartsTail(path, utf8, parts, parts, out + used);
    } else if (partsRoom > mark) {
        std::memcpy(out + used, ellipsis, mark);
        used += mark;
        used += CopyPartsTail(path, utf8, parts, partsRoom - mark, out + used);
    }
    out[used] = '\0';
    return used;
}
