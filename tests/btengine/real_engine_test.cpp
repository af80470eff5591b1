// The real engine under Wine, driven by tests/btengine/*.sh, which set up what each case needs
// (a loopback swarm, a captured output, a read-only folder) and pass it in the environment;
// a case whose environment is missing is skipped.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "status/status_parser.h"
#include "status/status_texts.h"
#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"
#include "tests/reliability/sprout_session.h"
#include "tests/status/recording_sink.h"
#include "tests/status/test_parser.h"
#include "engine_interface/status_block.h"

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

#define REQUIRE_ENV(variable, name)                      \
    const std::string variable = Env(name);              \
    if (variable.empty())                                \
        GTEST_SKIP() << name << " is not set";

std::string RealEngine() { return driver::BinDir() + "engine\\bt.exe"; }

const char kOptions[] = " --minport 8888 --maxport 9000 --display_interval ";

// bt.exe run to its end with its output and errors in files; false when it runs longer.
bool RunEngine(const std::string& arguments, const std::string& workDir, const driver::TempDir& logs,
               DWORD timeoutMs, DWORD* exitCode, std::string* output, std::string* errors)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileA(logs.File("out.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(logs.File("err.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    std::string commandLine = "\"" + RealEngine() + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info = {};
    bool started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                  nullptr, workDir.c_str(), &startup, &info);
    CloseHandle(out);
    CloseHandle(err);
    if (!started)
        return false;
    bool ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0
                 && GetExitCodeProcess(info.hProcess, exitCode);
    if (!ended)
        TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    driver::ReadFile(logs.File("out.txt"), output);
    driver::ReadFile(logs.File("err.txt"), errors);
    return ended;
}

// The aria2 seeder's bytes sent so far, from its JSON-RPC on the loopback; -1 when unknown.
int64_t SeederUploaded(int port)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return -1;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    DWORD timeout = 5000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeout), sizeof(timeout));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(u_short(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string body = R"({"jsonrpc":"2.0","id":1,"method":"aria2.tellActive","params":[["uploadLength"]]})";
    std::string request = "POST /jsonrpc HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                          "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    std::string reply;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && send(s, request.data(), int(request.size()), 0) == int(request.size())) {
        char buffer[4096];
        for (int got; reply.size() < 65536 && (got = recv(s, buffer, sizeof(buffer), 0)) > 0;)
            reply.append(buffer, size_t(got));
    }
    closesocket(s);
    WSACleanup();
    const std::string key = "\"uploadLength\":\"";
    size_t at = reply.find(key);
    return at == std::string::npos ? -1 : _atoi64(reply.c_str() + at + key.size());
}

int ProgressPosition(const driver::SproutProcess& sprout)
{
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutA(sprout.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_NORMAL, 1000,
                             &position))
        return -1;
    return int(position);
}

bool Answers(reliability::SproutSession& session)
{
    return session.AnswerTime() != reliability::kNoAnswer;
}

bool Press(reliability::SproutSession& session)
{
    return session.Click(IDC_START_STOP, 15000) != reliability::kNoAnswer;
}

// A session of Sprout with the real bt.exe beside it, this torrent and save folder, opened.
::testing::AssertionResult OpenWithRealEngine(reliability::SproutSession& session,
                                              const std::string& torrent,
                                              const std::string& saveFolder = "")
{
    const driver::ProgramFolder& folder = session.Folder();
    if (!driver::CopyFromBin("engine\\bt.exe", folder.File("bt.exe"))
        || !driver::WriteFile(folder.File("movie.torrent"), torrent)
        || !folder.SetSavedFolder("movie.torrent",
                                  saveFolder.empty() ? session.SaveFolder() : saveFolder))
        return ::testing::AssertionFailure() << "the program folder could not be made";
    return session.Open();
}

}  // namespace

// The engine's own output, captured from a download, through the front-end's parser in the
// chunks the runner reads: every figure parses, the bar only rises, to 100, and the last block
// says the download is done and that it seeds.
TEST(RealEngine, OutputGoesThroughTheParser)
{
    REQUIRE_ENV(outputPath, "SPROUT_ENGINE_OUTPUT");
    const int64_t size = _atoi64(Env("SWARM_SIZE").c_str());
    std::string output;
    ASSERT_TRUE(driver::ReadFile(outputPath, &output));
    size_t last = output.rfind("\r\nsaving: ");
    ASSERT_NE(last, std::string::npos) << output;
    EXPECT_NE(output.find("time left: Download Succeeded!\r\n", last), std::string::npos);
    EXPECT_NE(output.find("seed status: seeding, ", last), std::string::npos);

    TestParser parser;
    RecordingSink sink;
    std::vector<int> positions;
    bool sawRate = false;
    // Each block is one write of the engine, so a reader that keeps up reads it in one piece,
    // or in two when it is longer than the runner's 256 bytes.
    std::vector<std::string> chunks;
    for (size_t at = 0; at < output.size();) {
        size_t next = output.find("\r\nsaving: ", at + 1);
        size_t end = std::min(next == std::string::npos ? output.size() : next, at + 256);
        chunks.push_back(output.substr(at, end - at));
        at = end;
    }
    for (const std::string& chunk : chunks) {
        parser.OnStdout(chunk.c_str(), sink);
        if (sink.barSet && (positions.empty() || positions.back() != sink.bar))
            positions.push_back(sink.bar);
        const std::string& speed = sink.labels[IDC_SPEED];
        sawRate = sawRate || (!speed.empty() && speed != SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE);
    }
    ASSERT_FALSE(positions.empty());
    for (size_t i = 1; i < positions.size(); ++i)
        EXPECT_GT(positions[i], positions[i - 1]);
    EXPECT_EQ(positions.back(), 100);
    EXPECT_TRUE(sawRate) << "a block while downloading shows the speed";
    EXPECT_EQ(sink.labels[IDC_FILE_SIZE], SPROUT_TEXT_FILE_SIZE + FormatSize(size));
    EXPECT_EQ(sink.labels[IDC_DOWNLOADED], SPROUT_TEXT_DOWNLOADED + FormatSize(size));
    EXPECT_EQ(sink.labels[IDC_TIME_LEFT], SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_FINISHED);
}

// Sprout with the real engine in its folder: Start, the labels follow a real download; Stop part
// way, Start again: the download completes, the file is the seeder's, and the seeder sent less
// than the whole payload the second time.
TEST(RealEngine, SproutDownloadsStopsAndResumes)
{
    REQUIRE_ENV(torrentPath, "SPROUT_SWARM_TORRENT");
    const std::string payloadPath = Env("SPROUT_SWARM_PAYLOAD");
    const int64_t size = _atoi64(Env("SWARM_SIZE").c_str());
    const int rpcPort = std::atoi(Env("SPROUT_SWARM_RPC_PORT").c_str());
    std::string torrent;
    ASSERT_TRUE(driver::ReadFile(torrentPath, &torrent));
    reliability::SproutSession session("realdl", reliability::SproutSession::kWithoutEngine);
    ASSERT_TRUE(OpenWithRealEngine(session, torrent));
    driver::SproutProcess& sprout = session.Sprout();

    const int64_t before = SeederUploaded(rpcPort);
    ASSERT_GE(before, 0);
    ASSERT_TRUE(Press(session));
    EXPECT_TRUE(sprout.WaitForText(IDC_FILE_SIZE, std::string(SPROUT_TEXT_FILE_SIZE) + FormatSize(size), 60000));
    ASSERT_TRUE(driver::WaitUntil([&] { return ProgressPosition(sprout) >= 25; }, 120000))
        << ProgressPosition(sprout);
    std::string speed = sprout.ControlText(IDC_SPEED);
    EXPECT_EQ(speed.rfind(SPROUT_TEXT_SPEED, 0), 0u) << speed;
    EXPECT_NE(speed, texts::kSpeedReset) << "a real rate while downloading";
    ASSERT_TRUE(Press(session));
    EXPECT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, texts::kStatusStopped, 15000));
    const int stoppedAt = ProgressPosition(sprout);
    const int64_t firstRun = SeederUploaded(rpcPort) - before;
    ASSERT_LT(stoppedAt, 100) << "stopped part way";
    ASSERT_GT(firstRun, 0);

    ASSERT_TRUE(Press(session));
    EXPECT_TRUE(sprout.WaitForText(IDC_TIME_LEFT, std::string(SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_FINISHED), 120000))
        << sprout.ControlText(IDC_TIME_LEFT);
    EXPECT_EQ(ProgressPosition(sprout), 100);
    EXPECT_EQ(sprout.ControlText(IDC_DOWNLOADED), std::string(SPROUT_TEXT_DOWNLOADED) + FormatSize(size));
    EXPECT_TRUE(Answers(session));
    const int64_t secondRun = SeederUploaded(rpcPort) - before - firstRun;
    std::printf("seeder sent %lld bytes before Stop at %d%%, %lld after Start, of %lld\n",
                static_cast<long long>(firstRun), stoppedAt, static_cast<long long>(secondRun),
                static_cast<long long>(size));
    std::fflush(stdout);
    EXPECT_LT(secondRun, size);
    EXPECT_GT(secondRun, 0);

    ASSERT_TRUE(Press(session));
    EXPECT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, texts::kStatusStopped, 15000));
    std::string downloaded, payload;
    ASSERT_TRUE(driver::ReadFile(session.SaveFolder() + "payload.bin", &downloaded));
    ASSERT_TRUE(driver::ReadFile(payloadPath, &payload));
    EXPECT_TRUE(downloaded == payload) << downloaded.size() << " bytes";
}

// Sprout downloading into a small file system that another writer fills part way: the engine
// ends with one line that names the file and the cause, Sprout shows it in its balloon, and
// once there is room again a Start resumes from what had been written.
TEST(RealEngine, AFullDiskEndsTheRunAndTheNextStartResumes)
{
    REQUIRE_ENV(smallDisk, "SPROUT_SMALL_DISK");
    const std::string torrentPath = Env("SPROUT_SWARM_TORRENT");
    const std::string payloadPath = Env("SPROUT_SWARM_PAYLOAD");
    const int64_t size = _atoi64(Env("SWARM_SIZE").c_str());
    const int rpcPort = std::atoi(Env("SPROUT_SWARM_RPC_PORT").c_str());
    const std::string saveFolder = smallDisk + "\\";
    std::string torrent;
    ASSERT_TRUE(driver::ReadFile(torrentPath, &torrent));
    reliability::SproutSession session("realfull", reliability::SproutSession::kWithoutEngine);
    ASSERT_TRUE(OpenWithRealEngine(session, torrent, saveFolder));
    driver::SproutProcess& sprout = session.Sprout();
    const int64_t before = SeederUploaded(rpcPort);
    ASSERT_GE(before, 0);
    ASSERT_TRUE(Press(session));
    ASSERT_TRUE(driver::WaitUntil([&] { return ProgressPosition(sprout) >= 10; }, 120000))
        << ProgressPosition(sprout);

    const std::string filler = saveFolder + "filler.bin";
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string chunk(1024 * 1024, 'x');
    DWORD written = 0, error = 0;
    // The small disk holds the payload and a few MiB more: a writer that goes on past that is
    // not on it and would fill the machine's own disk.
    for (int64_t total = 0; error == 0; total += written) {
        ASSERT_LE(total, size + 64 * 1024 * 1024) << "the save folder is not on the small disk";
        if (!WriteFile(file, chunk.data(), DWORD(chunk.size()), &written, nullptr) || written < chunk.size())
            error = GetLastError();
    }
    CloseHandle(file);
    EXPECT_EQ(error, DWORD(ERROR_DISK_FULL));

    std::string balloon = session.WaitForBalloon(60000);
    const std::string expected = std::string(texts::kEngineEnded) + "1\r\nbt.exe: cannot write "
                                 + saveFolder + "payload.bin: ";
    EXPECT_EQ(balloon.rfind(expected, 0), 0u) << balloon;
    EXPECT_GT(balloon.size(), expected.size()) << "the cause follows the file";
    EXPECT_EQ(sprout.ControlText(IDC_STATUS_GROUP), texts::kStatusStopped);
    const int stoppedAt = ProgressPosition(sprout);
    const int64_t firstRun = SeederUploaded(rpcPort) - before;
    EXPECT_LT(stoppedAt, 100);

    ASSERT_TRUE(DeleteFileA(filler.c_str()));
    // The engine ended by itself: the first press releases its run, the second starts anew.
    ASSERT_TRUE(Press(session));
    ASSERT_EQ(sprout.ControlText(IDC_START_STOP), texts::kStartDownload);
    ASSERT_TRUE(Press(session));
    EXPECT_TRUE(sprout.WaitForText(IDC_TIME_LEFT, std::string(SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_FINISHED), 120000))
        << sprout.ControlText(IDC_TIME_LEFT);
    const int64_t secondRun = SeederUploaded(rpcPort) - before - firstRun;
    std::printf("disk full at %d%%: \"%s\"; seeder sent %lld bytes before, %lld after Start, of %lld\n",
                stoppedAt, balloon.c_str(), static_cast<long long>(firstRun),
                static_cast<long long>(secondRun), static_cast<long long>(size));
    std::fflush(stdout);
    EXPECT_LT(secondRun, size);
    ASSERT_TRUE(Press(session));
    EXPECT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, texts::kStatusStopped, 15000));
    std::string downloaded, payload;
    ASSERT_TRUE(driver::ReadFile(saveFolder + "payload.bin", &downloaded));
    ASSERT_TRUE(driver::ReadFile(payloadPath, &payload));
    EXPECT_TRUE(downloaded == payload) << downloaded.size() << " bytes";
}

// Missing, empty and corrupt torrents, a save folder that takes no files, a disk too small and
// a port range with no free port: one line on standard error, a non-zero exit in time, nothing
// on standard output; and Sprout, running the engine on them, shows it stopped and answers.
TEST(RealEngine, BadInputEndsWithALineAndTheWindowAnswers)
{
    REQUIRE_ENV(goodTorrentPath, "SPROUT_GOOD_TORRENT");
    const std::string readOnly = Env("SPROUT_READONLY_DIR");
    std::string goodTorrent;
    ASSERT_TRUE(driver::ReadFile(goodTorrentPath, &goodTorrent));
    driver::TempDir folder("realbad");
    driver::WriteFile(folder.File("empty.torrent"), "");
    const std::string corrupt = "d8:announce5:x/ann4:infod6:lengthi5e4:name1:a12:piece lengthi16384e6:pieces3:abc";
    driver::WriteFile(folder.File("corrupt.torrent"), corrupt);
    driver::WriteFile(folder.File("noise.torrent"), std::string(1000, '\x9c'));
    driver::WriteFile(folder.File("good.torrent"), goodTorrent);
    struct Case {
        std::string arguments, workDir, error;
        DWORD code;
    };
    std::vector<Case> cases = {
        {"--minport 8888 --display_interval 1.0 x.torrent", folder.Path(), "usage: bt.exe", 2},
        {std::string(kOptions) + "1.0 \"" + folder.File("missing.torrent") + "\"", folder.Path(), "missing.torrent", 1},
        {std::string(kOptions) + "1.0 \"" + folder.File("empty.torrent") + "\"", folder.Path(), "is empty", 1},
        {std::string(kOptions) + "1.0 \"" + folder.File("corrupt.torrent") + "\"", folder.Path(), "not a valid torrent", 1},
        {std::string(kOptions) + "1.0 \"" + folder.File("noise.torrent") + "\"", folder.Path(), "not a valid torrent", 1},
    };
    if (!readOnly.empty())
        cases.push_back({std::string(kOptions) + "1.0 \"" + folder.File("good.torrent") + "\"", readOnly,
                         "cannot write into the save folder", 1});
    const std::string full = Env("SPROUT_FULL_DIR");
    if (!full.empty())
        cases.push_back({std::string(kOptions) + "1.0 \"" + folder.File("good.torrent") + "\"", full,
                         "not enough disk space", 1});
    // A range of one port, taken by this process.
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET taken = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    int length = sizeof(address);
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(taken, 1), 0);
    ASSERT_EQ(getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));
    cases.push_back({"--minport " + port + " --maxport " + port + " --display_interval 1.0 \""
                         + folder.File("good.torrent") + "\"",
                     folder.Path(), "no free port between " + port + " and " + port, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        driver::TempDir logs("realbadlog");
        DWORD exitCode = 0;
        std::string output, errors;
        ASSERT_TRUE(RunEngine(c.arguments, c.workDir, logs, 20000, &exitCode, &output, &errors));
        EXPECT_EQ(exitCode, c.code);
        EXPECT_EQ(output, "");
        EXPECT_EQ(errors.rfind("bt.exe: ", 0), 0u) << errors;
        EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
        EXPECT_EQ(errors.find("\r\n"), errors.find('\n') - 1) << errors;
    }
    closesocket(taken);
    WSACleanup();

    std::vector<std::pair<std::string, std::string>> runs = {{"corrupt", corrupt}, {"empty", ""}};
    if (!readOnly.empty())
        runs.push_back({"read-only folder", goodTorrent});
    for (const auto& run : runs) {
        SCOPED_TRACE(run.first);
        reliability::SproutSession session("realbadui", reliability::SproutSession::kWithoutEngine);
        ASSERT_TRUE(OpenWithRealEngine(session, run.second,
                                       run.first == "read-only folder" ? readOnly : ""));
        ASSERT_TRUE(Press(session));
        EXPECT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, texts::kStartDownload, 20000))
            << "the engine ended by itself";
        EXPECT_TRUE(Answers(session));
        ASSERT_TRUE(Press(session));
        EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), texts::kStatusStopped);
        EXPECT_TRUE(Answers(session));
    }
}
