// SHA-1 as FIPS 180-4 gives it: 64-byte blocks, 80 rounds, big-endian length padding.
#include "tools/btsim/sha1.h"

#include <cstring>

namespace {

uint32_t Rotate(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

}  // namespace

Sha1::Sha1() : m_state{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void Sha1::Update(const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    m_totalBytes += size;
    while (size > 0) {
        size_t take = sizeof(m_buffer) - m_buffered;
        if (take > size)
            take = size;
        std::memcpy(m_buffer + m_buffered, bytes, take);
        m_buffered += take;
        bytes += take;
        size -= take;
        if (m_buffered == sizeof(m_buffer)) {
            Block(m_buffer);
            m_buffered = 0;
        }
    }
}

std::string Sha1::Finish()
{
    uint64_t bits = m_totalBytes * 8;
    unsigned char pad = 0x80;
    Update(&pad, 1);
    pad = 0;
    while (m_buffered != 56)
        Update(&pad, 1);
    unsigned char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    Update(length, sizeof(length));
    std::string digest(20, '\0');
    for (int i = 0; i < 20; ++i)
        digest[i] = static_cast<char>(m_state[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

void Sha1::Block(const unsigned char* block)
{
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16
             | uint32_t(block[4 * i + 2]) << 8 | uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i)
        w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3], e = m_state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        uint32_t t = Rotate(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotate(b, 30);
        b = a;
        a = t;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
}

std::string Sha1Digest(const std::string& bytes)
{
    Sha1 sha;
    sha.Update(bytes.data(), bytes.size());
    return sha.Finish();
}

std::string ToHex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}
