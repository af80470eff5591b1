// ByteSource: the bytes of a torrent file, read a slice at a time, so that a torrent of many
// megabytes is never held in memory whole. MemorySource serves bytes already in memory. Portable.
#pragma once

#include <cstddef>
#include <cstring>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // How many bytes there are; fixed for the source's life.
    virtual size_t Size() const = 0;
    // Copies `count` bytes from `offset` into out. False when they lie past the size or cannot
    // be read (a file changed under us); out's bytes are then undefined.
    virtual bool Read(size_t offset, char* out, size_t count) const = 0;
};

// Borrowed bytes: they must stay, unchanged, for as long as the source is read.
class MemorySource : public ByteSource {
public:
    MemorySource(const char* data, size_t size) : m_data(data), m_size(size) {}
    size_t Size() const override { return m_size; }
    bool Read(size_t offset, char* out, size_t count) const override
    {
        if (offset > m_size || count > m_size - offset)
            return false;
        if (count)
            std::memcpy(out, m_data + offset, count);
        return true;
    }

private:
    const char* m_data;
    size_t m_size;
};
