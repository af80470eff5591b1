// Bencode parsing (through the shared reader) and writing.
#include "tools/btsim/bencode.h"

#include "torrent/bencode_reader.h"

namespace {

// Builds the tree from the shared reader, which checks the syntax and bounds the nesting.
bool Build(BencodeReader* reader, Bencode* value)
{
    switch (reader->Peek()) {
    case BencodeReader::kInteger:
        value->kind = Bencode::Kind::Integer;
        return reader->ReadInteger(&value->integer);
    case BencodeReader::kList:
        *value = Bencode::List();
        if (!reader->EnterList())
            return false;
        while (!reader->AtContainerEnd()) {
            value->list.emplace_back();
            if (!Build(reader, &value->list.back()))
                return false;
        }
        return reader->Leave();
    case BencodeReader::kDictionary:
        *value = Bencode::Dictionary();
        if (!reader->EnterDictionary())
            return false;
        while (!reader->AtContainerEnd()) {
            const char* key;
            size_t length;
            if (!reader->ReadString(&key, &length))
                return false;
            if (reader->AtContainerEnd())
                return reader->ReadString(&key, &length);  // fails: a key needs a value
            if (!Build(reader, &value->dictionary[std::string(key, length)]))
                return false;
        }
        return reader->Leave();
    default: {
        const char* bytes;
        size_t length;
        value->kind = Bencode::Kind::String;
        if (!reader->ReadString(&bytes, &length))
            return false;
        value->string.assign(bytes, length);
        return true;
    }
    }
}

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
    BencodeReader reader(bytes.data(), bytes.size());
    if (!Build(&reader, value)) {
        *error = std::string(reader.Error()) + " at byte " + std::to_string(reader.ErrorPosition());
        return false;
    }
    if (!reader.AtDataEnd()) {
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
