// bt.exe under Wine: a torrent made by bt.exe itself, downloaded through a pipe at a fast rate
// into a temp folder, read back through StatusParser; resume; the exit codes of wrong command
// lines and torrents; and the test knobs as the front-end's tests will use them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "status/status_parser.h"
#include "status/status_texts.h"
#include "tests/driver/driver.h"
#include "tests/status/recording_sink.h"
#include "tests/status/test_parser.h"
#include "tools/btsim/payload.h"
#include "tools/btsim/sha1.h"
#include "tools/btsim/torrent.h"

namespace {

using Knob = std::pair<const char*, const char*>;

const char kEngineOptions[] = " --minport 8888 --maxport 9000 --display_interval ";

std::string BtExe() { return driver::BinDir() + "bt.exe"; }

// bt.exe on pipes, as the runner starts it. The knobs are set in this process's environment
// only while CreateProcessA copies it. Reads never block: they take what the pipe holds.
class PipedEngine {
public:
    PipedEngine(const std::string& arguments, const std::string& workDir,
                const std::vector<Knob>& knobs = {})
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr, childErr = nullptr;
        if (!CreatePipe(&childIn, &m_stdin, &inherit, 0) || !CreatePipe(&m_stdout, &childOut, &inherit, 0)
            || !CreatePipe(&m_stderr, &childErr, &inherit, 0))
            return;
        SetHandleInformation(m_stdin, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(m_stdout, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(m_stderr, HANDLE_FLAG_INHERIT, 0);
        for (const Knob& knob : knobs)
            SetEnvironmentVariableA(knob.first, knob.second);
        std::string commandLine = "\"" + BtExe() + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = childErr;
        m_started = CreateProcessA(BtExe().c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                   CREATE_NEW_CONSOLE, nullptr, workDir.c_str(), &startup, &m_info);
        for (const Knob& knob : knobs)
            SetEnvironmentVariableA(knob.first, nullptr);
        CloseHandle(childIn);
        CloseHandle(childOut);
        CloseHandle(childErr);
    }

    ~PipedEngine()
    {
        if (m_started) {
            TerminateProcess(m_info.hProcess, 1);
            CloseHandle(m_info.hThread);
            CloseHandle(m_info.hProcess);
        }
        for (HANDLE handle : {m_stdin, m_stdout, m_stderr}) {
            if (handle)
                CloseHandle(handle);
        }
    }

    PipedEngine(const PipedEngine&) = delete;
    PipedEngine& operator=(const PipedEngine&) = delete;

    bool Started() const { return m_started; }

    // Output read so far; each call takes what has arrived. False once the pipe is broken.
    bool Drain()
    {
        return Take(m_stdout, &m_output) & Take(m_stderr, &m_errors);
    }
    const std::string& Output() const { return m_output; }
    const std::string& Errors() const { return m_errors; }

    bool WaitForOutput(const std::string& text, int count, DWORD timeoutMs)
    {
        return driver::WaitUntil([&] { Drain(); return Count(m_output, text) >= count; }, timeoutMs);
    }

    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode)
    {
        bool ended = driver::WaitUntil([&] { Drain(); return WaitForSingleObject(m_info.hProcess, 0) == WAIT_OBJECT_0; },
                                       timeoutMs);
        Drain();
        return ended && GetExitCodeProcess(m_info.hProcess, exitCode);
    }

    void WriteStdin(const std::string& bytes)
    {
        DWORD written = 0;
        ::WriteFile(m_stdin, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    }
    void CloseStdin()
    {
        CloseHandle(m_stdin);
        m_stdin = nullptr;
    }
    void CloseOutput()
    {
        CloseHandle(m_stdout);
        m_stdout = nullptr;
    }
    void CloseErrors()
    {
        CloseHandle(m_stderr);
        m_stderr = nullptr;
    }

    static int Count(const std::string& text, const std::string& what)
    {
        int count = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++count;
        return count;
    }

private:
    static bool Take(HANDLE pipe, std::string* into)
    {
        DWORD available = 0;
        if (!pipe || !PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
            return false;
        while (available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(pipe, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &got, nullptr))
                return false;
            into->append(buffer, got);
            available -= got;
        }
        return true;
    }

    HANDLE m_stdin = nullptr;
    HANDLE m_stdout = nullptr;
    HANDLE m_stderr = nullptr;
    PROCESS_INFORMATION m_info = {};
    bool m_started = false;
    std::string m_output;
    std::string m_errors;
};

std::string PatternBytes(int64_t offset, size_t size)
{
    std::string bytes(size, '\0');
    FillPayloadBytes(offset, &bytes[0], size);
    return bytes;
}

int64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// Makes `name` of `size` bytes in `folder` and a torrent of it there; returns the torrent's path.
std::string MakeTorrent(const driver::TempDir& folder, const std::string& name, size_t size)
{
    std::string payload(size, '\0');
    for (size_t i = 0; i < size; ++i)
        payload[i] = char(i * 7 + i / 1000);
    EXPECT_TRUE(driver::WriteFile(folder.File(name), payload));
    std::string torrent = folder.File(name + ".torrent");
    PipedEngine maker("--make-torrent \"" + folder.File(name) + "\" \"" + torrent + "\"", folder.Path());
    DWORD exitCode = 99;
    EXPECT_TRUE(maker.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u) << maker.Errors();
    return torrent;
}

// The front-end's parser fed line by line, as a reader that keeps up with the engine sees it.
struct Labels {
    RecordingSink sink;
    TestParser parser;
    void Feed(const std::string& text)
    {
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find("\r\n", at);
            end = end == std::string::npos ? text.size() : end + 2;
            parser.OnStdout(text.substr(at, end - at).c_str(), sink);
            at = end;
        }
    }
};

}  // namespace

TEST(BtExe, MakesATorrentDownloadsItAndSeeds)
{
    driver::TempDir source("btsrc");
    driver::TempDir saveTo("btdl");
    const std::string name = "\xB5\xE7\xD3\xB0 (1).bin";  // 电影 (1).bin
    const size_t size = 3 * 1000 * 1000;
    std::string torrentPath = MakeTorrent(source, name, size);

    std::string bytes, error;
    ASSERT_TRUE(driver::ReadFile(torrentPath, &bytes));
    Torrent torrent;
    ASSERT_TRUE(ParseTorrent(bytes, &torrent, &error)) << error;
    EXPECT_EQ(torrent.name, name);
    EXPECT_EQ(torrent.TotalLength(), int64_t(size));
    std::string payload;
    ASSERT_TRUE(driver::ReadFile(source.File(name), &payload));
    ASSERT_GT(torrent.pieceLength, 0);
    ASSERT_EQ(torrent.pieces.size(), 20 * ((size + torrent.pieceLength - 1) / torrent.pieceLength));
    EXPECT_EQ(torrent.pieces.substr(0, 20), Sha1Digest(payload.substr(0, size_t(torrent.pieceLength))));

    PipedEngine engine(std::string(kEngineOptions) + "0.2 \"" + torrentPath + "\"", saveTo.Path(),
                       {{"SPROUT_BT_RATE", "4000000"}});
    ASSERT_TRUE(engine.Started());
    ASSERT_TRUE(engine.WaitForOutput("seed status:", 2, 10000)) << engine.Output();
    const std::string saved = saveTo.File(name);
    EXPECT_TRUE(driver::WaitUntil([&] { return FileSize(saved) == int64_t(size); }, 10000));
    ASSERT_TRUE(engine.WaitForOutput("Download Succeeded!", 1, 10000)) << engine.Output();
    int blocks = PipedEngine::Count(engine.Output(), "seed status:");
    EXPECT_TRUE(engine.WaitForOutput("seed status: seeding", 2, 10000)) << "seeds on";
    EXPECT_GT(PipedEngine::Count(engine.Output(), "seed status:"), blocks);

    const std::string& output = engine.Output();
    EXPECT_EQ(output.compare(0, 10 + name.size(), "\r\nsaving: " + name), 0) << output;
    EXPECT_EQ(PipedEngine::Count(output, "\n"), PipedEngine::Count(output, "\r\n"));
    EXPECT_EQ(PipedEngine::Count(output, "\r\n"), 7 * PipedEngine::Count(output, "seed status:"));
    Labels labels;
    labels.Feed(output);
    EXPECT_EQ(labels.sink.labels[IDC_FILE_SIZE], SPROUT_TEXT_FILE_SIZE "2.9 MB");
    EXPECT_EQ(labels.sink.labels[IDC_TIME_LEFT], SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_FINISHED);
    EXPECT_EQ(labels.sink.labels[IDC_DOWNLOADED], SPROUT_TEXT_DOWNLOADED "2.9 MB");
    EXPECT_EQ(labels.sink.bar, 100);
    std::string downloaded;
    ASSERT_TRUE(driver::ReadFile(saved, &downloaded));
    EXPECT_TRUE(downloaded == PatternBytes(0, size));
}

TEST(BtExe, DownloadsAFolderTorrentIntoItsTree)
{
    driver::TempDir source("btfolder");
    ASSERT_TRUE(CreateDirectoryA(source.File("album").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(source.File("album\\cd1").c_str(), nullptr));
    ASSERT_TRUE(driver::WriteFile(source.File("album\\cd1\\01.flac"), std::string(100000, 'f')));
    ASSERT_TRUE(driver::WriteFile(source.File("album\\cover.jpg"), "jpeg"));
    ASSERT_TRUE(driver::WriteFile(source.File("album\\empty.txt"), ""));
    const std::string torrentPath = source.File("album.torrent");
    PipedEngine maker("--make-torrent \"" + source.File("album") + "\" \"" + torrentPath + "\"",
                      source.Path());
    DWORD exitCode = 99;
    ASSERT_TRUE(maker.WaitForExit(10000, &exitCode));
    ASSERT_EQ(exitCode, 0u) << maker.Errors();
    std::string bytes, error;
    ASSERT_TRUE(driver::ReadFile(torrentPath, &bytes));
    Torrent torrent;
    ASSERT_TRUE(ParseTorrent(bytes, &torrent, &error)) << error;
    EXPECT_EQ(torrent.name, "album");
    ASSERT_EQ(torrent.files.size(), 3u);
    EXPECT_EQ(torrent.files[0].path, (std::vector<std::string>{"cd1", "01.flac"}));
    EXPECT_EQ(torrent.files[1].path, (std::vector<std::string>{"cover.jpg"}));
    EXPECT_EQ(torrent.pieces.substr(0, 20), Sha1Digest(std::string(size_t(torrent.pieceLength), 'f')));

    driver::TempDir saveTo("btfolder-dl");
    PipedEngine engine(std::string(kEngineOptions) + "0.1 \"" + torrentPath + "\"", saveTo.Path(),
                       {{"SPROUT_BT_RATE", "1000000"}});
    ASSERT_TRUE(engine.WaitForOutput("Download Succeeded!", 1, 10000)) << engine.Output();
    EXPECT_NE(engine.Output().find("saving: album (97.7 kB)\r\n"), std::string::npos);
    std::string file;
    ASSERT_TRUE(driver::ReadFile(saveTo.File("album\\cd1\\01.flac"), &file));
    EXPECT_TRUE(file == PatternBytes(0, 100000));
    ASSERT_TRUE(driver::ReadFile(saveTo.File("album\\cover.jpg"), &file));
    EXPECT_EQ(file, PatternBytes(100000, 4));
    EXPECT_TRUE(driver::FileExists(saveTo.File("album\\empty.txt")));
}

TEST(BtExe, ResumesFromWhatIsOnDisk)
{
    driver::TempDir folder("btresume");
    std::string torrentPath = MakeTorrent(folder, "half.bin", 100000);
    driver::TempDir saveTo("btresume-dl");
    ASSERT_TRUE(driver::WriteFile(saveTo.File("half.bin"), PatternBytes(0, 50000)));
    PipedEngine engine(std::string(kEngineOptions) + "0.1 \"" + torrentPath + "\"", saveTo.Path(),
                       {{"SPROUT_BT_RATE", "0"}, {"SPROUT_BT_EXIT_AFTER", "2"}});
    DWORD exitCode = 99;
    ASSERT_TRUE(engine.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(PipedEngine::Count(engine.Output(), "percent done: 50.0\r\n"), 2) << engine.Output();
    EXPECT_EQ(PipedEngine::Count(engine.Output(), "time left: unknown\r\n"), 2);
    EXPECT_EQ(FileSize(saveTo.File("half.bin")), 50000);
}

TEST(BtExe, WrongCommandLinesAndTorrentsEndWithTheirCodes)
{
    driver::TempDir folder("btwrong");
    const std::pair<std::string, DWORD> cases[] = {
        {"", 2},
        {"--minport 8888 --maxport 9000 \"x.torrent\"", 2},
        {"--minport 8888 --maxport 9000 --display_interval 1.0", 2},
        {"--minport 8888 --maxport 9000 --display_interval fast x.torrent", 2},
        {"--minport 8888 --maxport 9000 --display_interval 1.0 a.torrent b.torrent", 2},
        {std::string(kEngineOptions) + "1.0 \"" + folder.File("missing.torrent") + "\"", 1},
        {std::string(kEngineOptions) + "1.0 \"" + folder.File("broken.torrent") + "\"", 1},
    };
    ASSERT_TRUE(driver::WriteFile(folder.File("broken.torrent"), "d4:infod4:name1:a"));
    for (const auto& c : cases) {
        PipedEngine engine(c.first, folder.Path());
        DWORD exitCode = 99;
        ASSERT_TRUE(engine.WaitForExit(10000, &exitCode)) << c.first;
        EXPECT_EQ(exitCode, c.second) << c.first;
        EXPECT_EQ(engine.Output(), "") << c.first;
        EXPECT_NE(engine.Errors().find(c.second == 2 ? "usage: bt.exe" : ".torrent"), std::string::npos)
            << engine.Errors();
    }
    PipedEngine badKnob(std::string(kEngineOptions) + "1.0 x.torrent", folder.Path(),
                        {{"SPROUT_BT_RATE", "fast"}});
    DWORD exitCode = 99;
    ASSERT_TRUE(badKnob.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 3u);
    EXPECT_NE(badKnob.Errors().find("SPROUT_BT_RATE"), std::string::npos);

    PipedEngine help("--help", folder.Path());
    ASSERT_TRUE(help.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(help.Output().find("SPROUT_BT_GRANDCHILD"), std::string::npos);
}

TEST(BtExe, KnobsBendItForTheTests)
{
    driver::TempDir folder("btknobs");
    driver::TempDir saveTo("btknobs-dl");
    std::string torrentPath = MakeTorrent(folder, "k.bin", 10000000);
    const std::string line = std::string(kEngineOptions) + "0.05 \"" + torrentPath + "\"";
    DWORD exitCode = 99;
    {
        SCOPED_TRACE("exit after two blocks with a code, recording the start");
        const std::string record = folder.File("record.txt");
        PipedEngine engine(line, saveTo.Path(),
                           {{"SPROUT_BT_EXIT_AFTER", "2"}, {"SPROUT_BT_EXIT_CODE", "5"},
                            {"SPROUT_BT_RECORD", record.c_str()}, {"SPROUT_BT_STDERR", "disk warning"}});
        ASSERT_TRUE(engine.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 5u);
        EXPECT_EQ(PipedEngine::Count(engine.Output(), "seed status:"), 2);
        EXPECT_EQ(engine.Errors(), "disk warning\r\n");
        std::string recorded;
        ASSERT_TRUE(driver::ReadFile(record, &recorded));
        std::string directory = saveTo.Path().substr(0, saveTo.Path().size() - 1);
        EXPECT_EQ(recorded, "command line: \"" + BtExe() + "\" " + line + "\r\nworking directory: "
                                + directory + "\r\n");
    }
    {
        SCOPED_TRACE("crash after one block, and fail at the start");
        PipedEngine crash(line, saveTo.Path(), {{"SPROUT_BT_CRASH_AFTER", "1"}});
        ASSERT_TRUE(crash.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, DWORD(EXCEPTION_ACCESS_VIOLATION));
        EXPECT_EQ(PipedEngine::Count(crash.Output(), "seed status:"), 1);
        PipedEngine fail(line, saveTo.Path(), {{"SPROUT_BT_EXIT_AFTER", "0"}, {"SPROUT_BT_EXIT_CODE", "9"}});
        ASSERT_TRUE(fail.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 9u);
        EXPECT_EQ(fail.Output(), "");
    }
    {
        SCOPED_TRACE("split byte by byte with a NUL: the same bytes arrive");
        PipedEngine split(line, saveTo.Path(),
                          {{"SPROUT_BT_SPLIT", "1"}, {"SPROUT_BT_NUL", "3"}, {"SPROUT_BT_EXIT_AFTER", "1"},
                           {"SPROUT_BT_RATE", "0"}});
        ASSERT_TRUE(split.WaitForExit(10000, &exitCode));
        EXPECT_EQ(split.Output().substr(0, 12), std::string("\r\ns\0aving: k", 12));
        EXPECT_NE(split.Output().find("\r\nseed status: 0 seeds, 0 peers connected\r\n"), std::string::npos);
    }
    {
        SCOPED_TRACE("flood, then blocks");
        PipedEngine flood(line, saveTo.Path(), {{"SPROUT_BT_FLOOD", "0.3"}});
        ASSERT_TRUE(flood.WaitForOutput("seed status:", 1, 20000));
        EXPECT_GT(PipedEngine::Count(flood.Output(), "flood\r\n"), 100);
        EXPECT_EQ(flood.Output().find("saving:"), flood.Output().rfind("flood\r\n") + 7 + 2);
        PipedEngine onStderr(line, saveTo.Path(),
                             {{"SPROUT_BT_FLOOD", "0.3"}, {"SPROUT_BT_FLOOD_MODE", "stderr"}});
        ASSERT_TRUE(onStderr.WaitForOutput("seed status:", 1, 20000));
        EXPECT_EQ(onStderr.Output().find("flood"), std::string::npos);
        EXPECT_GT(PipedEngine::Count(onStderr.Errors(), "flood\r\n"), 100);
    }
    {
        SCOPED_TRACE("standard input reported");
        const std::string record = folder.File("stdin.txt");
        PipedEngine engine(line, saveTo.Path(), {{"SPROUT_BT_STDIN", "1"}, {"SPROUT_BT_RECORD", record.c_str()}});
        ASSERT_TRUE(engine.WaitForOutput("seed status:", 1, 10000));
        engine.WriteStdin("hello");
        engine.CloseStdin();
        std::string recorded;
        EXPECT_TRUE(driver::WaitUntil([&] {
            return driver::ReadFile(record, &recorded) && recorded.find("stdin: end of file\r\n") != std::string::npos;
        }, 10000)) << recorded;
        EXPECT_NE(recorded.find("stdin: 5 bytes: hello\r\n"), std::string::npos) << recorded;
    }
    {
        SCOPED_TRACE("a grandchild holds the output pipe after the engine exits");
        PipedEngine engine(line, saveTo.Path(), {{"SPROUT_BT_GRANDCHILD", "2"}, {"SPROUT_BT_EXIT_CODE", "4"}});
        ASSERT_TRUE(engine.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 4u);
        EXPECT_TRUE(engine.Drain()) << "pipe still open";
        EXPECT_TRUE(driver::WaitUntil([&] { return !engine.Drain(); }, 10000)) << "closed by the grandchild's end";
        EXPECT_EQ(engine.Output(), "");
    }
    {
        SCOPED_TRACE("the reader of its output gone: it ends");
        PipedEngine engine(line, saveTo.Path(), {{"SPROUT_BT_RATE", "0"}});
        ASSERT_TRUE(engine.WaitForOutput("seed status:", 1, 10000));
        engine.CloseOutput();
        ASSERT_TRUE(engine.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 1u);
    }
    for (const char* mode : {"text", "stderr"}) {
        SCOPED_TRACE(std::string("the reader gone in the middle of a flood of ") + mode + ": it ends");
        PipedEngine engine(line, saveTo.Path(), {{"SPROUT_BT_FLOOD", "60"}, {"SPROUT_BT_FLOOD_MODE", mode}});
        ASSERT_TRUE(driver::WaitUntil([&] { engine.Drain(); return !engine.Output().empty() || !engine.Errors().empty(); },
                                      10000));
        engine.CloseOutput();
        engine.CloseErrors();
        ASSERT_TRUE(engine.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 1u);
    }
    {
        SCOPED_TRACE("hang: no output, no exit");
        PipedEngine hang(line, saveTo.Path(), {{"SPROUT_BT_HANG", "1"}});
        EXPECT_FALSE(hang.WaitForExit(500, &exitCode));
        EXPECT_EQ(hang.Output(), "");
    }
}
