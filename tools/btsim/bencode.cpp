// Bencode parsing and writing, with a depth bound so that a hostile file cannot exhaust the stack.
#include "tools/btsim/bencode.h"

namespace {

constexpr int kMaxDepth = 64;

class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}

    bool Value(Bencode* value, int depth)
    {
        if (depth > kMaxDepth)
            return Fail("nested too deeply");
        if (AtEnd())
            return Fail("unexpected end of data");
        char c = m_bytes[m_pos];
        if (c == 'i') {
            ++m_pos;
            value->kind = Bencode::Kind::Integer;
            return Number('e', &value->integer, true);
        }
        if (c == 'l') {
            ++m_pos;
            *value = Bencode::List();
            while (!AtEnd() && m_bytes[m_pos] != 'e') {
                value->list.emplace_back();
                if (!Value(&value->list.back(), depth + 1))
                    return false;
            }
            return Close();
        }
        if (c == 'd') {
            ++m_pos;
            *value = Bencode::Dictionary();
            while (!AtEnd() && m_bytes[m_pos] != 'e') {
                std::string key;
                if (!String(&key))
                    return false;
                if (!Value(&value->dictionary[key], depth + 1))
                    return false;
            }
            return Close();
        }
        value->kind = Bencode::Kind::String;
        return String(&value->string);
    }

    bool AtEnd() const { return m_pos >= m_bytes.size(); }
    size_t Position() const { return m_pos; }
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const char* reason)
    {
        m_error = std::string(reason) + " at byte " + std::to_string(m_pos);
        return false;
    }

    bool Close()
    {
        if (AtEnd())
            return Fail("unexpected end of data");
        ++m_pos;
        return true;
    }

    // Decimal digits up to `end`, no leading zeros, a minus sign only where allowed.
    bool Number(char end, int64_t* number, bool signedValue)
    {
        bool negative = false;
        if (signedValue && !AtEnd() && m_bytes[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        size_t first = m_pos;
        uint64_t magnitude = 0;
        while (!AtEnd() && m_bytes[m_pos] >= '0' && m_bytes[m_pos] <= '9') {
            uint64_t digit = uint64_t(m_bytes[m_pos] - '0');
            if (magnitude > (uint64_t(INT64_MAX) - digit) / 10)
                return Fail("number too large");
            magnitude = magnitude * 10 + digit;
            ++m_pos;
        }
        size_t digits = m_pos - first;
        if (digits == 0)
            return Fail("number expected");
        if (m_bytes[first] == '0' && (digits > 1 || negative))
            return Fail("malformed number");
        if (AtEnd() || m_bytes[m_pos] != end)
            return Fail("malformed number");
        ++m_pos;
        *number = negative ? -int64_t(magnitude) : int64_t(magnitude);
        return true;
    }

    bool String(std::string* text)
    {
        int64_t length = 0;
        if (AtEnd() || m_bytes[m_pos] < '0' || m_bytes[m_pos] > '9')
            return Fail("string expected");
        if (!Number(':', &length, false))
            return false;
        if (uint64_t(length) > m_bytes.size() - m_pos)
            return Fail("string runs past the end");
        text->assign(m_bytes, m_pos, size_t(length));
        m_pos += size_t(length);
        return true;
    }

    const std::string& m_bytes;
    size_t m_pos = 0;
    std::string m_error;
};

void Encode(const Bencode& value, std::string* out)
{
    switch (value.kind) {
    case Bencode::Kind::Integer:
        *out += "i" + std::to_string(value.integer) + "e";
        break;
    case Bencode::Kind::String:
        *out += std::to_string(value.string.size()) + ":" + value.string;
        break;
    case Bencode::Kind::List:
        *out += "l";
        for (const Bencode& item : value.list)
            Encode(item, out);
        *out += "e";
        break;
    case Bencode::Kind::Dictionary:
        *out += "d";
        for (const auto& entry : value.dictionary) {
            *out += std::to_string(entry.first.size()) + ":" + entry.first;
            Encode(entry.second, out);
        }
        *out += "e";
        break;
    }
}

}  // namespace

Bencode Bencode::Integer(int64_t value)
{
    Bencode b;
    b.kind = Kind::Integer;
    b.integer = value;
    return b;
}

Bencode Bencode::String(const std::string& value)
{
    Bencode b;
    b.kind = Kind::String;
    b.string = value;
    return b;
}

Bencode Bencode::List()
{
    Bencode b;
    b.kind = Kind::List;
    return b;
}

Bencode Bencode::Dictionary()
{
    Bencode b;
    b.kind = Kind::Dictionary;
    return b;
}

const Bencode* Bencode::Find(const char* key) const
{
    if (kind != Kind::Dictionary)
        return nullptr;
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : &it->second;
}

bool ParseBencode(const std::string& bytes, Bencode* value, std::string* error)
{
    Reader reader(bytes);
    if (!reader.Value(value, 0)) {
        *error = reader.Error();
        return false;
    }
    if (!reader.AtEnd()) {
        *error = "extra data at byte " + std::to_string(reader.Position());
        return false;
    }
    return true;
}

std::string EncodeBencode(const Bencode& value)
{
    std::string out;
    Encode(value, &out);
    return out;
}
