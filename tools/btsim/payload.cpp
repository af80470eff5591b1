// Payload writing and resuming.
#include "tools/btsim/payload.h"

#include <algorithm>

namespace {

constexpr size_t kWriteChunk = 64 * 1024;

}  // namespace

void FillPayloadBytes(int64_t offset, char* data, size_t size)
{
    int value = int(offset % 251);
    for (size_t i = 0; i < size; ++i) {
        data[i] = char(value);
        value = value == 250 ? 0 : value + 1;
    }
}

Payload::Payload(const Torrent& torrent, PayloadStore& store) : m_store(store)
{
    int64_t start = 0;
    for (const TorrentFile& file : torrent.files) {
        Entry entry;
        entry.path = torrent.name;
        for (const std::string& part : file.path) {
            if (std::find(m_directories.begin(), m_directories.end(), entry.path)
                == m_directories.end())
                m_directories.push_back(entry.path);
            entry.path += "\\" + part;
        }
        entry.start = start;
        entry.length = file.length;
        start += file.length;
        m_entries.push_back(entry);
    }
    m_total = start;
}

bool Payload::Resume(std::string* error)
{
    for (const std::string& directory : m_directories) {
        if (!m_store.MakeDirectory(directory)) {
            *error = "cannot create directory " + directory;
            return false;
        }
    }
    m_have = 0;
    for (Entry& entry : m_entries) {
        int64_t size = m_store.FileSize(entry.path);
        if (size < 0) {
            if (!m_store.Write(entry.path, 0, nullptr, 0)) {
                *error = "cannot create " + entry.path;
                return false;
            }
            size = 0;
        }
        entry.have = std::min(size, entry.length);
        m_have += entry.have;
    }
    return true;
}

bool Payload::Advance(int64_t bytes, std::string* error)
{
    char chunk[kWriteChunk];
    for (Entry& entry : m_entries) {
        while (bytes > 0 && entry.have < entry.length) {
            size_t size = size_t(std::min<int64_t>({bytes, entry.length - entry.have,
                                                    int64_t(kWriteChunk)}));
            FillPayloadBytes(entry.start + entry.have, chunk, size);
            if (!m_store.Write(entry.path, entry.have, chunk, size)) {
                *error = "cannot write " + entry.path;
                return false;
            }
            entry.have += int64_t(size);
            m_have += int64_t(size);
            bytes -= int64_t(size);
        }
    }
    return true;
}
