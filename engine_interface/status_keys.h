// The status block's keys and line ends: what the engines write and Sprout's parser looks
// for. Each value runs from its key to its line end; the downloaded amount is what stands
// between "up /" and "down)". Portable.
#pragma once

namespace status_keys {

// The block's last line: the parser takes the fields in front of it.
constexpr char kGateKey[] = "seed status:";
constexpr char kSavingKey[] = "saving:";  // the name, then the size in parentheses
constexpr char kSizeEnd[] = ")\r\n";
constexpr char kPercentKey[] = "percent done:";
constexpr char kTimeLeftKey[] = "time left:";
// The time left of a complete download holds this word; an estimate ends in the unit.
constexpr char kTimeLeftDone[] = "Succeeded";
constexpr char kSecondsUnit[] = "sec";
constexpr char kRateKey[] = "download rate:";
constexpr char kDownloadedKey[] = "up /";
constexpr char kDownloadedEnd[] = "down)\r\n";
constexpr char kLineEnd[] = "\r\n";

// The length of a key, at compile time.
template <int N>
constexpr int KeyLength(const char (&)[N]) { return N - 1; }

}  // namespace status_keys
