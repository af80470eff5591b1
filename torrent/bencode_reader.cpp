#include "torrent/bencode_reader.h"

#include <cstring>

BencodeReader::Kind BencodeReader::Peek() const
{
    if (m_error || AtDataEnd())
        return kBad;
    char c = m_data[m_pos];
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
    if (signedValue && !AtDataEnd() && m_data[m_pos] == '-') {
        negative = true;
        ++m_pos;
    }
    size_t first = m_pos;
    uint64_t magnitude = 0;
    while (!AtDataEnd() && m_data[m_pos] >= '0' && m_data[m_pos] <= '9') {
        uint64_t digit = uint64_t(m_data[m_pos] - '0');
        if (magnitude > (uint64_t(INT64_MAX) - digit) / 10)
            return Fail("number too large");
        magnitude = magnitude * 10 + digit;
        ++m_pos;
    }
    size_t digits = m_pos - first;
    if (digits == 0)
        return Fail("number expected");
    if (m_data[first] == '0' && (digits > 1 || negative))
        return Fail("malformed number");
    if (AtDataEnd() || m_data[m_pos] != end)
        return Fail("malformed number");
    ++m_pos;
    *value = negative ? -int64_t(magnitude) : int64_t(magnitude);
    return true;
}

bool BencodeReader::ReadInteger(int64_t* value)
{
    if (m_error)
        return false;
    if (AtDataEnd())
        return Fail("unexpected end of data");
    if (m_data[m_pos] != 'i')
        return Fail("integer expected");
    ++m_pos;
    return Number('e', true, value);
}

bool BencodeReader::ReadString(const char** bytes, size_t* length)
{
    if (m_error)
        return false;
    if (AtDataEnd())
        return Fail("unexpected end of data");
    if (m_data[m_pos] < '0' || m_data[m_pos] > '9')
        return Fail("string expected");
    int64_t count = 0;
    if (!Number(':', false, &count))
        return false;
    if (uint64_t(count) > m_size - m_pos)
        return Fail("string runs past the end");
    *bytes = m_data + m_pos;
    *length = size_t(count);
    m_pos += size_t(count);
    return true;
}

bool BencodeReader::Enter(char opener)
{
    if (m_error)
        return false;
    if (AtDataEnd())
        return Fail("unexpected end of data");
    if (m_data[m_pos] != opener)
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
    if (AtDataEnd())
        return Fail("unexpected end of data");
    if (m_depth == 0 || m_data[m_pos] != 'e')
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
                    const char* bytes;
                    size_t length;
                    if (!ReadString(&bytes, &length))
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
            const char* bytes;
            size_t length;
            if (!ReadString(&bytes, &length))
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
    if (AtContainerEnd() || !ReadString(&entry->key, &entry->keyLength))
        return false;
    entry->kind = Peek();
    return true;
}

bool BencodeReader::Equals(const char* bytes, size_t length, const char* key)
{
    return std::strlen(key) == length && std::memcmp(bytes, key, length) == 0;
}
