#include "app/stderr_tail.h"

#include <cstring>

#include "framework/text.h"

void StderrTail::Append(const char* chunk)
{
    int incoming = static_cast<int>(std::strlen(chunk));
    bool dangling = EndsInLeadByte();
    // Drop whole characters from the front of what is kept until the chunk fits.
    int drop = incoming < kCapacity ? DropWholeChars(m_bytes, m_length, kCapacity - incoming)
                                    : m_length;
    if (drop >= m_length) {
        // All of it went, a lead byte waiting at its end too: the chunk's first byte is that
        // character's trail. Of a chunk still too long only its end stays.
        if (dangling && m_length > 0 && incoming > 0) {
            ++chunk;
            --incoming;
        }
        drop = m_length;
        int tooMuch = DropWholeChars(chunk, incoming, kCapacity);
        chunk += tooMuch;
        incoming -= tooMuch;
    }
    std::memmove(m_bytes, m_bytes + drop, static_cast<size_t>(m_length - drop));
    m_length -= drop;
    std::memcpy(m_bytes + m_length, chunk, static_cast<size_t>(incoming));
    m_length += incoming;
}

bool StderrTail::EndsInLeadByte() const
{
    int at = 0;
    while (at + 1 < m_length)
        at += CharLength(m_bytes + at, m_bytes + m_length);
    return at == m_length - 1 && IsLeadByte(static_cast<unsigned char>(m_bytes[at]));
}

void StderrTail::LastLine(char* out, int size) const
{
    if (size <= 0)
        return;
    out[0] = '\0';
    // Line feeds and blanks never occur as trail bytes in the double-byte code pages, so the
    // line can be found from the end byte by byte.
    int end = m_length;
    for (;;) {
        while (end > 0 && IsAsciiSpace(static_cast<unsigned char>(m_bytes[end - 1])))
            --end;
        if (end == 0)
            return;
        int begin = end;
        while (begin > 0 && m_bytes[begin - 1] != '\n')
            --begin;
        while (begin < end && IsAsciiSpace(static_cast<unsigned char>(m_bytes[begin])))
            ++begin;
        if (begin < end) {
            CopyWholeChars(out, size, m_bytes + begin, end - begin);
            return;
        }
        end = begin;
    }
}
