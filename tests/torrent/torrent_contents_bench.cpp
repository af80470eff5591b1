// TorrentContents::Read on a torrent of 100,000 files, what the window reads at start-up
// (through its window, from memory), against the simulated engine's tree of the same bytes.
#include <benchmark/benchmark.h>

#include <string>

#include "tools/btsim/bencode.h"
#include "torrent/torrent_contents.h"

namespace {

std::string S(const std::string& text) { return std::to_string(text.size()) + ":" + text; }

std::string ManyFiles(int count)
{
    std::string files;
    for (int i = 0; i < count; ++i)
        files += "d6:lengthi1024e4:pathl" + S("part" + std::to_string(i / 1000))
               + S(std::to_string(i) + ".bin") + "ee";
    return "d4:infod5:filesl" + files + "e4:name4:many12:piece lengthi262144eee";
}

void FileList(benchmark::State& state)
{
    const std::string torrent = ManyFiles(100000);
    const MemorySource source(torrent.data(), torrent.size());
    for (auto _ : state) {
        TorrentContents contents;
        benchmark::DoNotOptimize(contents.Read(source));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(torrent.size()));
}
BENCHMARK(FileList)->Unit(benchmark::kMillisecond);

void TreeOfTheSameBytes(benchmark::State& state)
{
    const std::string torrent = ManyFiles(100000);
    for (auto _ : state) {
        Bencode tree;
        std::string error;
        benchmark::DoNotOptimize(ParseBencode(torrent, &tree, &error));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(torrent.size()));
}
BENCHMARK(TreeOfTheSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
