// The reliability cases' run of sprout.exe.
#include "tests/reliability/sprout_session.h"

#include "res/resource.h"
#include "tests/reliability/process_census.h"

namespace reliability {

namespace {

// Slow enough that a download of the test torrent is still going minutes later.
const char kSlowRate[] = "512";
const int kPayloadBytes = 256 * 1024;

bool RunToEnd(std::string commandLine, DWORD timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info))
        return false;
    DWORD code = 1;
    bool ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0
                 && GetExitCodeProcess(info.hProcess, &code);
    if (!ended)
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ended && code == 0;
}

// The torrent of a payload of the simulated engine's own bytes, made once by bt.exe.
const std::string& TestTorrent()
{
    static std::string torrent;
    if (torrent.empty()) {
        driver::TempDir source("torrent");
        std::string payload(kPayloadBytes, '\0');
        for (int i = 0; i < kPayloadBytes; ++i)
            payload[i] = static_cast<char>(i % 251);
        driver::WriteFile(source.File("movie.iso"), payload);
        if (RunToEnd("\"" + driver::BinDir() + "bt.exe\" --make-torrent \"" + source.File("movie.iso")
                         + "\" \"" + source.File("movie.torrent") + "\"",
                     20000))
            driver::ReadFile(source.File("movie.torrent"), &torrent);
    }
    return torrent;
}

}  // namespace

SproutSession::SproutSession(const char* tag, Engine engine)
    : m_folder(tag), m_sprout(new driver::SproutProcess)
{
    if (engine == kWithEngine)
        m_folder.AddEngine();
    AddTorrent("movie.torrent");
    m_knobs.Set("SPROUT_BT_RATE", kSlowRate);
    m_folder.SetSavedFolder("movie.torrent", SaveFolder());
}

SproutSession::~SproutSession()
{
    std::vector<DWORD> left = Descendants(m_sprout->ProcessId());
    m_sprout.reset();
    EndProcesses(left);
    EndProcesses(ProcessesFromFolder());
}

::testing::AssertionResult SproutSession::Open(const std::string& arguments,
                                               const std::string& workDir)
{
    if (m_sprout->ProcessId()) {
        std::vector<DWORD> left = Descendants(m_sprout->ProcessId());
        m_sprout.reset(new driver::SproutProcess);
        EndProcesses(left);
    }
    if (!m_sprout->Launch(m_folder.Exe(), arguments,
                          workDir.empty() ? m_folder.Path() : workDir))
        return ::testing::AssertionFailure() << "sprout.exe did not start: " << GetLastError();
    if (m_sprout->WaitForDialog())
        return ::testing::AssertionSuccess();
    DWORD code = 0;
    if (m_sprout->WaitForExit(0, &code))
        return ::testing::AssertionFailure() << "sprout.exe ended with " << code << " and no window";
    return ::testing::AssertionFailure() << "sprout.exe shows no window";
}

bool SproutSession::AddTorrent(const std::string& name) const
{
    return driver::WriteFile(m_folder.File(name), TestTorrent());
}

DWORD SproutSession::Click(int controlId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    if (!m_sprout->SendToDialog(WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                                reinterpret_cast<LPARAM>(m_sprout->Control(controlId)), timeoutMs))
        return kNoAnswer;
    return GetTickCount() - start;
}

DWORD SproutSession::AnswerTime()
{
    DWORD start = GetTickCount();
    if (!m_sprout->SendToDialog(WM_NULL, 0, 0, 1000))
        return kNoAnswer;
    return GetTickCount() - start;
}

std::string SproutSession::Balloon() const
{
    HWND tip = driver::FindVisibleWindow(m_sprout->ProcessId(), "tooltips_class32");
    return tip ? driver::WindowText(tip) : std::string();
}

std::string SproutSession::WaitForBalloon(DWORD timeoutMs) const
{
    std::string text;
    driver::WaitUntil([&] { return !(text = Balloon()).empty(); }, timeoutMs);
    return text;
}

bool SproutSession::SetSaveFolderField(const std::string& folder)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(m_sprout->Control(IDC_SAVE_FOLDER), WM_SETTEXT, 0,
                               reinterpret_cast<LPARAM>(folder.c_str()), SMTO_NORMAL, 5000,
                               &result) != 0;
}

size_t SproutSession::EngineCount() const
{
    return driver::EngineChildren(m_sprout->ProcessId()).size();
}

bool SproutSession::WaitForEngineCount(size_t count, DWORD timeoutMs) const
{
    return driver::WaitUntil([&] { return EngineCount() == count; }, timeoutMs);
}

std::vector<DWORD> SproutSession::ProcessesFromFolder() const
{
    return ProcessesRunningFrom(m_folder.Path());
}

bool SproutSession::Exit(DWORD timeoutMs)
{
    m_sprout->Press(IDC_EXIT);
    DWORD code = 0;
    return m_sprout->WaitForExit(timeoutMs, &code) && code == IDC_EXIT;
}

}  // namespace reliability
