// StatusParser's cost per byte and per block of engine output: status blocks as the stdout
// reader hands them over (256-byte chunks), a flood that never opens the gate, and memchr over
// the same bytes as the floor; its cost per call with little and with much text pending, next
// to the reference parser's; and the heap it holds in a flood. Code page GBK, the program's own.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "status/status_parser.h"
#include "tests/gbk.h"
#include "tests/status/reference_status_parser.h"
#include "tests/status/test_parser.h"

namespace {
struct NullSink : StatusSink {
    void SetLabelText(int, const char* text) override { benchmark::DoNotOptimize(text); }
    void SetProgressPosition(int position) override { benchmark::DoNotOptimize(position); }
};

const char kBlock[] =
    "\r\n"
    "saving: Ubuntu 22.04 desktop amd64 (1).iso (3.4 GB)\r\n"
    "percent done: 42.7\r\n"
    "time left: 1 hour 12 min 5 sec\r\n"
    "download rate: 512.4 kB/s\r\n"
    "upload rate: 48.0 kB/s\r\n"
    "share rating: 0.112 (161.3 MB up / 1438.2 MB down)\r\n"
    "seed status: 12 seen now, plus 3.250 distributed copies\r\n"
    "peer status: 32 seen now, 41.2% done at 1.9 MB/s\r\n";

std::string Repeat(const std::string& text, size_t times)
{
    std::string all;
    for (size_t i = 0; i < times; ++i)
        all += text;
    return all;
}

// Feeds `stream` in chunks of at most 256 bytes, as the stdout reader does.
template <class Parser>
void FeedInChunks(Parser& parser, StatusSink& sink, const std::string& stream)
{
    char chunk[257];
    for (size_t at = 0; at < stream.size(); at += 256) {
        size_t length = std::min<size_t>(256, stream.size() - at);
        std::memcpy(chunk, stream.data() + at, length);
        chunk[length] = '\0';
        parser.OnStdout(chunk, sink);
    }
}

void PerByte(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    // Seconds per byte: shown with an SI prefix, "n" for nanoseconds.
    state.counters["time_per_byte"] = benchmark::Counter(
        static_cast<double>(bytes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 64 blocks, so that chunk boundaries fall at every place in a block.
const size_t kBlocksInStream = 64;

const std::string& BlockStream()
{
    static const std::string stream = Repeat(kBlock, kBlocksInStream);
    return stream;
}

void PerBlock(benchmark::State& state)
{
    state.counters["time_per_block"] = benchmark::Counter(
        static_cast<double>(kBlocksInStream),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Complaints without any key: the buffer only grows until the bound cuts it.
const std::string& FloodStream()
{
    static const std::string stream =
        Repeat("tracker error: connection refused, retrying in 30 seconds\r\n", 2048);
    return stream;
}

void StatusBlocks(benchmark::State& state)
{
    UseGbk gbk;
    TestParser parser;
    NullSink sink;
    for (auto _ : state)
        FeedInChunks(parser, sink, BlockStream());
    PerByte(state, BlockStream().size());
    PerBlock(state);
}
BENCHMARK(StatusBlocks);

void FloodWithoutGate(benchmark::State& state)
{
    UseGbk gbk;
    TestParser parser;
    NullSink sink;
    FeedInChunks(parser, sink, FloodStream());  // settle at the bound
    for (auto _ : state)
        FeedInChunks(parser, sink, FloodStream());
    PerByte(state, FloodStream().size());
}
BENCHMARK(FloodWithoutGate);

void FloodGateShutAtIndexZero(benchmark::State& state)
{
    UseGbk gbk;
    TestParser parser;
    NullSink sink;
    parser.OnStdout("seed status: 0 seen now\r\n", sink);
    FeedInChunks(parser, sink, FloodStream());
    for (auto _ : state)
        FeedInChunks(parser, sink, FloodStream());
    PerByte(state, FloodStream().size());
}
BENCHMARK(FloodGateShutAtIndexZero);

void MemchrFloor(benchmark::State& state, const std::string& stream, bool blocks)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(stream.data());
        const void* found = std::memchr(stream.data(), '\x01', stream.size());
        benchmark::DoNotOptimize(found);
        benchmark::ClobberMemory();
    }
    PerByte(state, stream.size());
    if (blocks)
        PerBlock(state);
}

// The least any parser that keeps the engine's text does: take each chunk as the reader hands
// it over and hold it, up to the same bound. A second floor, for the share of the parser's
// cost that is its searching.
struct KeepOnly {
    void OnStdout(const char* chunk, StatusSink&)
    {
        text.Append(chunk);
        if (text.Length() > kPendingBound.limit)
            text.DeleteFront(text.Length() - kPendingBound.kept);
    }
    PendingText text;
};

void KeepOnlyFloor(benchmark::State& state, const std::string& stream, bool blocks)
{
    KeepOnly keeper;
    NullSink sink;
    for (auto _ : state)
        FeedInChunks(keeper, sink, stream);
    PerByte(state, stream.size());
    if (blocks)
        PerBlock(state);
}
BENCHMARK_CAPTURE(KeepOnlyFloor, blocks, BlockStream(), true);
BENCHMARK_CAPTURE(KeepOnlyFloor, flood, FloodStream(), false);

// A call with pending text that the fields wait on: an engine whose lines end in a bare line
// feed, so that every key and the gate key come but no field ever ends, in 256-byte chunks.
// The pending text runs between half of state.range(0) and all of it: the calls go round a
// few parsers, which fresh ones replace at the top, outside the timing. A call should cost the
// same however much is pending, as it only has its chunk to look at.
template <class Parser>
void CallWithPendingText(benchmark::State& state)
{
    UseGbk gbk;
    const int most = static_cast<int>(state.range(0));
    NullSink sink;
    const std::string lines = Repeat(
        "saving: movie.iso (1.0 GB)\npercent done: 12.3\ntime left: 5 sec\n"
        "download rate: 1.0 kB/s\n(1 MB up / 2 MB down)\nseed status: 1 seen\n", 2);
    const std::string chunk = lines.substr(0, 256);
    std::vector<std::unique_ptr<Parser>> parsers(16);
    const size_t calls = parsers.size() * size_t(most / 2 / 256);
    auto refill = [&] {
        for (auto& parser : parsers) {
            parser = std::make_unique<Parser>();
            for (int pending = 0; pending < most / 2; pending += 256)
                parser->OnStdout(chunk.c_str(), sink);
        }
    };
    refill();
    size_t call = 0;
    for (auto _ : state) {
        if (call == calls) {
            state.PauseTiming();
            refill();
            state.ResumeTiming();
            call = 0;
        }
        parsers[call++ % parsers.size()]->OnStdout(chunk.c_str(), sink);
    }
    state.counters["time_per_call"] = benchmark::Counter(
        1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_TEMPLATE(CallWithPendingText, TestParser)->Arg(1024)->Arg(kPendingBound.limit);
BENCHMARK_TEMPLATE(CallWithPendingText, ReferenceStatusParser)
    ->Arg(1024)->Arg(kPendingBound.limit);

// The most heap a parser holds while a flood goes by, its bound being what keeps it: the growth
// of the heap in use, sampled after every call.
template <class Parser>
void FloodPeakHeap(benchmark::State& state)
{
    UseGbk gbk;
    const std::string& stream = FloodStream();  // made before the heap is looked at
    size_t peak = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        Parser parser;
        NullSink sink;
        // Chunks from the stack, so that the heap holds nothing but the parser's.
        char chunk[257];
        for (size_t at = 0; at < stream.size(); at += 256) {
            size_t length = std::min<size_t>(256, stream.size() - at);
            std::memcpy(chunk, stream.data() + at, length);
            chunk[length] = '\0';
            parser.OnStdout(chunk, sink);
            peak = std::max(peak, mallinfo2().uordblks - before);
        }
    }
    state.counters["peak_heap_bytes"] = static_cast<double>(peak);
}
BENCHMARK_TEMPLATE(FloodPeakHeap, TestParser)->Iterations(3);
BENCHMARK_TEMPLATE(FloodPeakHeap, ReferenceStatusParser)->Iterations(3);

BENCHMARK_CAPTURE(MemchrFloor, blocks, BlockStream(), true);
BENCHMARK_CAPTURE(MemchrFloor, flood, FloodStream(), false);
}

BENCHMARK_MAIN();
