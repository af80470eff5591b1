// Bencode, the encoding of torrent files: a small tree of integers, byte strings, lists and
// dictionaries, parsed from and written to bytes. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct Bencode {
    enum class Kind { Integer, String, List, Dictionary };

    Kind kind = Kind::String;
    int64_t integer = 0;
    std::string string;
    std::vector<Bencode> list;
    std::map<std::string, Bencode> dictionary;  // std::map keeps keys sorted, as bencode wants

    static Bencode Integer(int64_t value);
    static Bencode String(const std::string& value);
    static Bencode List();
    static Bencode Dictionary();

    // The entry `key` of a dictionary, or null when this is no dictionary or has no such key.
    const Bencode* Find(const char* key) const;
};

// Parses exactly one value that fills all of `bytes`. On failure returns false and puts a short
// reason with the byte offset into *error.
bool ParseBencode(const std::string& bytes, Bencode* value, std::string* error);

std::string EncodeBencode(const Bencode& value);
