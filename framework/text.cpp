// Text and the code-page helpers behind it.
#include "framework/text.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// The lead-byte test is asked once per byte value and kept as a table: the parser steps
// through every character of its buffer on every search, too often for a system call each.
bool g_leadBytes[256] = {};
bool g_anyLeadBytes = false;
}

int CharLength(const char* p, const char* end)
{
    return (p + 1 < end && IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ? 2 : 1;
}

int FitWholeChars(const char* text, int length, int room)
{
    int fit = 0;
    while (fit < length) {
        int step = CharLength(text + fit, text + length);
        if (fit + step > room)
            break;
        fit += step;
    }
    return fit;
}

int DropWholeChars(const char* text, int length, int keep)
{
    int drop = 0;
    while (length - drop > keep)
        drop += CharLength(text + drop, text + length);
    return drop;
}

int CopyWholeChars(char* out, int size, const char* text, int length)
{
    if (size <= 0)
        return 0;
    int fit = FitWholeChars(text, length, size - 1);
    std::memcpy(out, text, static_cast<size_t>(fit));
    out[fit] = '\0';
    return fit;
}

void SetLeadByteTest(LeadByteTest test)
{
    g_anyLeadBytes = false;
    for (int byte = 0; byte < 256; ++byte) {
        g_leadBytes[byte] = test && test(static_cast<unsigned char>(byte));
        g_anyLeadBytes = g_anyLeadBytes || g_leadBytes[byte];
    }
}

bool IsLeadByte(unsigned char byte) { return g_leadBytes[byte]; }

const char* NextChar(const char* p)
{
    if (*p == '\0')
        return p;
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

int ToInt(const char* text)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (IsAsciiSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    unsigned value = 0;
    while (*p >= '0' && *p <= '9')
        value = value * 10u + unsigned(*p++ - '0');
    return static_cast<int>(negative ? 0u - value : value);
}

Text::Text() = default;

Text::Text(const char* text) { Assign(text); }

Text::Text(const char* text, int length) { Append(text, length); }

Text::Text(const Text& other) { Append(other.c_str(), other.m_length); }

Text::Text(Text&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity)
{
    other.m_data = nullptr;
    other.m_length = other.m_capacity = 0;
}

Text& Text::operator=(const Text& other)
{
    if (this != &other) {
        Text copy(other);
        *this = static_cast<Text&&>(copy);
    }
    return *this;
}

Text& Text::operator=(Text&& other) noexcept
{
    if (this != &other) {
        std::free(m_data);
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = nullptr;
        other.m_length = other.m_capacity = 0;
    }
    return *this;
}

Text::~Text() { std::free(m_data); }

bool Text::Reserve(int length)
{
    if (length < m_capacity)
        return true;
    // Grow geometrically so that appending chunk after chunk stays linear.
    long long wanted = static_cast<long long>(m_capacity) * 2;
    if (wanted < length + 1)
        wanted = length + 1;
    if (wanted < 16)
        wanted = 16;
    if (wanted > 0x7FFFFFFF)
        wanted = 0x7FFFFFFF;
    if (wanted <= length)
        return false;
    char* grown = static_cast<char*>(std::realloc(m_data, static_cast<size_t>(wanted)));
    if (!grown)
        return false;
    m_data = grown;
    m_capacity = static_cast<int>(wanted);
    return true;
}

bool Text::Assign(const char* text)
{
    if (text == m_data && text)
        return true;
    Text fresh;
    if (text && !fresh.Append(text))
        return false;
    *this = static_cast<Text&&>(fresh);
    return true;
}

bool Text::Append(const char* text)
{
    if (!text)
        return true;
    size_t length = std::strlen(text);
    if (length > 0x7FFFFFFE)
        return false;
    return Append(text, static_cast<int>(length));
}

bool Text::Append(const char* text, int length)
{
    if (!text || length <= 0)
        return true;
    if (length > 0x7FFFFFFE - m_length)
        return false;
    if (!Reserve(m_length + length))
        return false;
    std::memmove(m_data + m_length, text, static_cast<size_t>(length));
    m_length += length;
    m_data[m_length] = '\0';
    return true;
}

int Text::Find(const char* what, int start) const
{
    if (start < 0)
        start = 0;
    if (start > m_length || !what)
        return -1;
    const size_t whatLength = std::strlen(what);
    const char* text = c_str();
    const char* end = text + m_length;
    if (whatLength > static_cast<size_t>(end - (text + start)))
        return -1;
    // Candidates come from memchr on the first byte; a candidate counts only when it begins a
    // character, which a walk over the characters from the start of the text tells.
    const char* boundary = text;
    const char* from = text + start;
    const char* last = end - whatLength;
    while (from <= last) {
        const char* candidate = whatLength == 0
            ? from
            : static_cast<const char*>(std::memchr(from, what[0], static_cast<size_t>(last - from) + 1));
        if (!candidate)
            return -1;
        if (g_anyLeadBytes) {
            while (boundary < candidate)
                boundary += CharLength(boundary, end);
        } else {
            boundary = candidate;
        }
        if (boundary == candidate && std::memcmp(candidate, what, whatLength) == 0)
            return static_cast<int>(candidate - text);
        from = boundary > candidate ? boundary : candidate + 1;
    }
    return -1;
}

Text Text::Mid(int start, int count) const
{
    if (start < 0)
        start = 0;
    if (count < 0)
        count = 0;
    if (start >= m_length)
        return Text();
    if (count > m_length - start)
        count = m_length - start;
    return Text(c_str() + start, count);
}

void Text::Delete(int index, int count)
{
    if (index < 0)
        index = 0;
    if (index >= m_length || count <= 0)
        return;
    if (count > m_length - index)
        count = m_length - index;
    std::memmove(m_data + index, m_data + index + count,
                 static_cast<size_t>(m_length - index - count + 1));
    m_length -= count;
}

void Text::TrimLeft()
{
    const char* p = c_str();
    while (*p && IsAsciiSpace(static_cast<unsigned char>(*p)))
        p = NextChar(p);
    DeleteFront(static_cast<int>(p - c_str()));
}

void Text::TrimRight()
{
    const char* text = c_str();
    const char* end = text + m_length;
    const char* keepEnd = text;
    for (const char* p = text; p < end; ) {
        const char* next = p + CharLength(p, end);
        if (!IsAsciiSpace(static_cast<unsigned char>(*p)))
            keepEnd = next;
        p = next;
    }
    int keep = static_cast<int>(keepEnd - text);
    if (keep < m_length) {
        m_data[keep] = '\0';
        m_length = keep;
    }
}
