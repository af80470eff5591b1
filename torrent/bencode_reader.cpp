#include "torrent/bencode_reader.h"

#include <cstring>

BencodeReader::Kind BencodeReader::Peek()
{
    if (m_error)
        return kBad;
    int c = Current();
    if (c == 'i')
        return kInteger;
    if (c == 'l')
        return kList;
    if (c == 'd')
        return kDictionary;
    if (c == 'e')
        return m_depth > 0 ? kEnd : kBad;
    if (c >= '0' && c <= '9')
        return kString;
    return kBad;
}

// Current() past the window.
int BencodeReader::LoadCurrent() { return Load(m_pos) ? static_cast<unsigned char>(m_window[0]) : -1; }

// Moves the window to begin at `at`; false at the end of the data, and where the source
// cannot be read (a failure).
bool BencodeReader::Load(size_t at)
{
    if (!m_source || at >= m_size)
        return false;
    size_t count = m_size - at < m_windowSize ? m_size - at : m_windowSize;
    m_base = at;
    m_filled = 0;
    if (!m_source->Read(at, m_buffer, count))
        return Fail("unreadable data");
    m_filled = count;
    return true;
}

bool BencodeReader::Fail(const char* reason)
{
    if (!m_error) {
        m_error = reason;
        m_errorPos = m_pos;
    }
    return false;
}

// Decimal digits up to `end`, no leading zeros, a minus sign only where allowed.
bool BencodeReader::Number(char end, bool signedValue, int64_t* value)
{
    bool negative = false;
    int c = Current();
    if (signedValue && c == '-') {
        negative = true;
        ++m_pos;
        c = Current();
    }
    const int first = c;
    size_t digits = 0;
    uint64_t magnitude = 0;
    for (; c >= '0' && c <= '9'; c = Current()) {
        uint64_t digit = uint64_t(c - '0');
        if (magnitude > (uint64_t(INT64_MAX) - digit) / 10)
            return Fail("number too large");
        magnitude = magnitude * 10 + digit;
        ++m_pos;
        ++digits;
    }
    if (digits == 0)
        return Fail("number expected");
    if (first == '0' && (digits > 1 || negative))
        return Fail("malformed number");
    if (c != end)
        return Fail("malformed number");
    ++m_pos;
    *value = negative ? -int64_t(magnitude) : int64_t(magnitude);
    return true;
}

bool BencodeReader::ReadInteger(int64_t* value)
{
    if (m_error)
        return false;
    int c = Current();
    if (c < 0)
        return Fail("unexpected end of data");
    if (c != 'i')
        return Fail("integer expected");
    ++m_pos;
    return Number('e', true, value);
}

// A string; its bytes, when asked for, are brought into the window with `after` bytes that
// follow them.
bool BencodeReader::String(const char** bytes, size_t* length, size_t after)
{
    if (m_error)
        return false;
    int c = Current();
    if (c < 0)
        return Fail("unexpected end of data");
    if (c < '0' || c > '9')
        return Fail("string expected");
    int64_t count = 0;
    if (!Number(':', false, &count))
        return false;
    if (uint64_t(count) > m_size - m_pos)
        return Fail("string runs past the end");
    const size_t n = size_t(count);
    if (bytes) {
        *bytes = nullptr;
        if (n == 0) {
            *bytes = m_window;
        } else if (n + after <= m_windowSize) {
            size_t end = m_size - m_pos < n + after ? m_size : m_pos + n + after;
            if (end - m_base > m_filled && !Load(m_pos))
                return false;
            *bytes = m_window + (m_pos - m_base);
        }
    }
    *length = n;
    m_pos += n;
    return true;
}

bool BencodeReader::Enter(char opener)
{
    if (m_error)
        return false;
    int c = Current();
    if (c < 0)
        return Fail("unexpected end of data");
    if (c != opener)
        return Fail(opener == 'l' ? "list expected" : "dictionary expected");
    if (m_depth >= kMaxDepth)
        return Fail("nested too deeply");
    ++m_pos;
    ++m_depth;
    return true;
}

bool BencodeReader::Leave()
{
    if (m_error)
        return false;
    int c = Current();
    if (c < 0)
        return Fail("unexpected end of data");
    if (m_depth == 0 || c != 'e')
        return Fail("end expected");
    ++m_pos;
    --m_depth;
    return true;
}

// Iterative, so that its own stack does not grow with the nesting.
bool BencodeReader::Skip()
{
    const int base = m_depth;
    // Which containers opened here are dictionaries, as a bit per level, and whether the
    // next item of each is a key.
    uint64_t dictionaries = 0;
    uint64_t expectKey = 0;
    do {
        if (m_depth > base) {
            uint64_t bit = uint64_t(1) << (m_depth - base - 1);
            if (AtContainerEnd()) {
                if ((dictionaries & bit) && !(expectKey & bit))
                    return Fail("value expected");
                if (!Leave())
                    return false;
                dictionaries &= ~bit;
                expectKey &= ~bit;
                continue;
            }
            if (dictionaries & bit) {
                bool key = (expectKey & bit) != 0;
                expectKey ^= bit;
                if (key) {
                    size_t length;
                    if (!ReadString(nullptr, &length))
                        return false;
                    continue;
                }
            }
        }
        switch (Peek()) {
        case kInteger: {
            int64_t value;
            if (!ReadInteger(&value))
                return false;
            break;
        }
        case kString: {
            size_t length;
            if (!ReadString(nullptr, &length))
                return false;
            break;
        }
        case kList:
        case kDictionary: {
            bool dictionary = Peek() == kDictionary;
            if (!Enter(dictionary ? 'd' : 'l'))
                return false;
            uint64_t bit = uint64_t(1) << (m_depth - base - 1);
            if (dictionary) {
                dictionaries |= bit;
                expectKey |= bit;
            }
            break;
        }
        case kEnd:
        case kBad:
            return Fail(AtDataEnd() ? "unexpected end of data" : "value expected");
        }
    } while (m_depth > base);
    return true;
}

bool BencodeReader::NextEntry(Entry* entry)
{
    // The byte after the key, which tells the value's kind, is brought into the window too.
    if (AtContainerEnd() || !String(&entry->key, &entry->keyLength, 1))
        return false;
    entry->kind = Peek();
    return true;
}

bool BencodeReader::Equals(const char* bytes, size_t length, const char* key)
{
    return bytes && std::strlen(key) == length && std::memcmp(bytes, key, length) == 0;
}
