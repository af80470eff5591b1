// SHA-1, for the piece hashes of the torrents the simulated engine makes. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Sha1 {
public:
    Sha1();
    void Update(const void* data, size_t size);
    // The 20-byte digest; the object is spent afterwards.
    std::string Finish();

private:
    void Block(const unsigned char* block);

    uint32_t m_state[5];
    unsigned char m_buffer[64];
    size_t m_buffered = 0;
    uint64_t m_totalBytes = 0;
};

std::string Sha1Digest(const std::string& bytes);
std::string ToHex(const std::string& bytes);
