// bt.exe, the simulated engine: reads the torrent, "downloads" its payload into the working
// directory at the rate of SPROUT_BT_RATE and prints a status block every display interval,
// then seeds until it is stopped. The test knobs of knobs.h bend it for the tests.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine_interface/status_block.h"
#include "framework/owned.h"
#include "framework/whole_file.h"
#include "tools/btsim/command_line.h"
#include "tools/btsim/knobs.h"
#include "tools/btsim/session.h"
#include "tools/btsim/torrent.h"
#include "tools/btsim/win_make_torrent.h"
#include "tools/btsim/win_payload_store.h"
#include "tools/shared/start_self.h"

namespace {

enum ExitCode { kTrouble = 1, kUsage = 2, kBadKnob = 3 };

// Raw writes, no C runtime buffering: every write reaches the pipe at once. False when the
// stream is there but takes no more (its reader has gone).
bool Put(DWORD stream, const std::string& bytes)
{
    HANDLE handle = GetStdHandle(stream);
    DWORD written = 0;
    if (!handle || handle == INVALID_HANDLE_VALUE || bytes.empty())
        return true;
    return ::WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr) != 0;
}

void Complain(const std::string& message) { Put(STD_ERROR_HANDLE, "bt.exe: " + message + "\r\n"); }

LONG WINAPI EndWithTheException(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

// A real access violation. The filter ends the process with the exception code at once, with
// no crash dialog or debugger (Wine starts one otherwise) to wait for a click.
void Crash()
{
    SetUnhandledExceptionFilter(EndWithTheException);
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

void Append(const std::string& path, const std::string& text)
{
    OwnedFile file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file)
        ::WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr);
}

void Record(const std::string& path)
{
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(directory), directory);
    Append(path, std::string("command line: ") + GetCommandLineA() + "\r\nworking directory: "
                     + directory + "\r\n");
}

// Stdin reader thread: reports each read to the record file, or to standard error.
DWORD WINAPI ReportStdin(void* parameter)
{
    const Knobs& knobs = *static_cast<const Knobs*>(parameter);
    auto report = [&knobs](const std::string& line) {
        if (knobs.recordPath.empty())
            Put(STD_ERROR_HANDLE, line);
        else
            Append(knobs.recordPath, line);
    };
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &got, nullptr)) {
        if (got == 0)
            break;
        report("stdin: " + std::to_string(got) + " bytes: " + std::string(buffer, got) + "\r\n");
    }
    DWORD error = GetLastError();
    report(error == ERROR_BROKEN_PIPE || error == ERROR_SUCCESS || error == ERROR_HANDLE_EOF
               ? std::string("stdin: end of file\r\n")
               : "stdin: error " + std::to_string(error) + "\r\n");
    return 0;
}

// False once a write fails: with its reader gone the engine ends, as it does between blocks.
bool Flood(const Knobs& knobs, const Torrent& torrent)
{
    std::string text;
    if (knobs.floodMode == FloodMode::Blocks) {
        StatusFigures figures;
        figures.name = torrent.name;
        figures.total = torrent.TotalLength();
        text = FormatStatusBlock(figures);
    } else {
        for (int line = 0; line < 64; ++line)
            text += "flood flood flood flood flood flood flood flood flood flood flood\r\n";
    }
    DWORD stream = knobs.floodMode == FloodMode::Stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < DWORD(knobs.floodMs)) {
        if (!Put(stream, text))
            return false;
    }
    return true;
}

bool PutBlock(const std::string& block, const Knobs& knobs)
{
    bool first = true;
    for (const std::string& piece : SplitForWriting(block, knobs)) {
        if (!first && knobs.splitPauseMs > 0)
            Sleep(DWORD(knobs.splitPauseMs));
        first = false;
        if (!Put(STD_OUTPUT_HANDLE, piece))
            return false;
    }
    return true;
}

void AfterBlocks(int blocks, const Knobs& knobs)
{
    if (blocks == knobs.crashAfter)
        Crash();
    if (blocks == knobs.exitAfter)
        ExitProcess(UINT(knobs.exitCode));
}

int RunEngine(const EngineOptions& line, const Knobs& knobs)
{
    if (!knobs.recordPath.empty())
        Record(knobs.recordPath);
    if (!knobs.stderrText.empty())
        Put(STD_ERROR_HANDLE, knobs.stderrText + "\r\n");
    while (knobs.hang)
        Sleep(INFINITE);
    if (knobs.grandchildMs > 0) {
        if (!StartSelf("--linger " + std::to_string(knobs.grandchildMs / 1000.0)))
            Complain("cannot start the grandchild");
        if (knobs.exitAfter < 0)
            return knobs.exitCode;
    }
    if (knobs.readStdin) {
        HANDLE reader = CreateThread(nullptr, 0, ReportStdin, const_cast<Knobs*>(&knobs), 0, nullptr);
        if (reader)
            CloseHandle(reader);
    }
    AfterBlocks(0, knobs);

    // The real engine's cap, and the window's: 64 MiB and not a byte more.
    std::unique_ptr<char[]> bytes;
    DWORD size = 0;
    if (ReadWholeFile(line.torrentPath.c_str(), 64 * 1024 * 1024, &bytes, &size) != ERROR_SUCCESS) {
        Complain("cannot read torrent file " + line.torrentPath);
        return kTrouble;
    }
    Torrent torrent;
    std::string error;
    if (!ParseTorrent(std::string(bytes.get(), size), &torrent, &error)) {
        Complain(line.torrentPath + ": " + error);
        return kTrouble;
    }
    if (knobs.floodMs > 0 && !Flood(knobs, torrent))
        return kTrouble;

    WinPayloadStore store;
    Session session(torrent, store, knobs.bytesPerSecond);
    if (!session.Start(&error)) {
        Complain(error);
        return kTrouble;
    }
    DWORD start = GetTickCount();
    for (int blocks = 1;; ++blocks) {
        std::string block;
        if (!session.Tick(int64_t(GetTickCount() - start), &block, &error)) {
            Complain(error);
            return kTrouble;
        }
        // With nobody left to read the status (the front-end gone without stopping it), an
        // engine seeding on its own for ever is of no use to anyone.
        if (!PutBlock(block, knobs))
            return kTrouble;
        AfterBlocks(blocks, knobs);
        // Wake at the interval's boundary, so that slow writes do not stretch the interval.
        DWORD due = DWORD(int64_t(blocks) * line.displayIntervalMs);
        DWORD now = GetTickCount() - start;
        if (now < due)
            Sleep(due - now);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, &line, &error)) {
        Put(STD_ERROR_HANDLE, "bt.exe: " + error + "\r\n" + UsageText());
        return kUsage;
    }
    switch (line.mode) {
    case CommandLine::Mode::Help:
        Put(STD_OUTPUT_HANDLE, std::string(UsageText()) + "\n" + KnobsHelp());
        return 0;
    case CommandLine::Mode::MakeTorrent:
        if (!MakeTorrentFile(line.payloadPath, line.outputPath, line.announce, &error)) {
            Complain(error);
            return kTrouble;
        }
        return 0;
    case CommandLine::Mode::Linger:
        Sleep(DWORD(line.lingerMs));
        return 0;
    case CommandLine::Mode::Engine:
        break;
    }
    Knobs knobs;
    if (!ReadKnobs([](const char* name) -> const char* { return std::getenv(name); }, &knobs,
                   &error)) {
        Complain(error);
        return kBadKnob;
    }
    return RunEngine(line.engine, knobs);
}
