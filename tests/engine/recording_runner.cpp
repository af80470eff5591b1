#include "tests/engine/recording_runner.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>

#include "tests/driver/driver.h"

namespace {

void AddOnce(std::vector<DWORD>* ids, DWORD id)
{
    if (std::find(ids->begin(), ids->end(), id) == ids->end())
        ids->push_back(id);
}

HANDLE OpenCurrentThread()
{
    return OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId());
}

class Lock {
public:
    explicit Lock(CRITICAL_SECTION* section) : m_section(section) { EnterCriticalSection(section); }
    ~Lock() { LeaveCriticalSection(m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION* m_section;
};

}  // namespace

std::string ChildCommand(const std::string& commands)
{
    return "\"" + driver::BinDir() + "engine_child.exe\" " + commands;
}

std::vector<DWORD> OwnThreadIds()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

ProcessGuard::~ProcessGuard()
{
    if (!m_process)
        return;
    TerminateProcess(m_process, 0);
    WaitForSingleObject(m_process, 5000);
    CloseHandle(m_process);
}

DWORD ExitCodeOf(HANDLE threadOrProcess, bool isProcess)
{
    DWORD code = 0;
    if (isProcess)
        GetExitCodeProcess(threadOrProcess, &code);
    else
        GetExitCodeThread(threadOrProcess, &code);
    return code;
}

RecordingRunner::RecordingRunner()
{
    InitializeCriticalSection(&m_lock);
}

RecordingRunner::~RecordingRunner()
{
    Shutdown();
    if (m_stdoutReader)
        CloseHandle(m_stdoutReader);
    if (m_stderrReader)
        CloseHandle(m_stderrReader);
    DeleteCriticalSection(&m_lock);
}

std::string RecordingRunner::Out() const
{
    Lock lock(&m_lock);
    return m_out;
}

std::string RecordingRunner::Err() const
{
    Lock lock(&m_lock);
    return m_err;
}

std::vector<std::string> RecordingRunner::OutChunks() const
{
    Lock lock(&m_lock);
    return m_outChunks;
}

int RecordingRunner::Started() const
{
    Lock lock(&m_lock);
    return m_started;
}

int RecordingRunner::Terminated() const
{
    Lock lock(&m_lock);
    return m_terminated;
}

std::string RecordingRunner::StartedWith() const
{
    Lock lock(&m_lock);
    return m_startedWith;
}

std::vector<DWORD> RecordingRunner::StdoutThreads() const
{
    Lock lock(&m_lock);
    return m_stdoutThreads;
}

std::vector<DWORD> RecordingRunner::StderrThreads() const
{
    Lock lock(&m_lock);
    return m_stderrThreads;
}

std::vector<DWORD> RecordingRunner::TerminatedThreads() const
{
    Lock lock(&m_lock);
    return m_terminatedThreads;
}

HANDLE RecordingRunner::StdoutReader() const
{
    Lock lock(&m_lock);
    return m_stdoutReader;
}

HANDLE RecordingRunner::StderrReader() const
{
    Lock lock(&m_lock);
    return m_stderrReader;
}

bool RecordingRunner::WaitForOut(const std::string& text, DWORD timeoutMs) const
{
    return driver::WaitUntil([&] { return Out().find(text) != std::string::npos; }, timeoutMs);
}

bool RecordingRunner::WaitForErr(const std::string& text, DWORD timeoutMs) const
{
    return driver::WaitUntil([&] { return Err().find(text) != std::string::npos; }, timeoutMs);
}

bool RecordingRunner::WaitForTerminated(DWORD timeoutMs) const
{
    return driver::WaitUntil([&] { return Terminated() > 0; }, timeoutMs);
}

DWORD RecordingRunner::NumberAfter(const std::string& key, bool onStderr, DWORD timeoutMs) const
{
    std::string prefix = key + " ";
    DWORD number = 0;
    driver::WaitUntil(
        [&] {
            std::string out = onStderr ? Err() : Out();
            size_t at = out.find(prefix);
            if (at == std::string::npos || out.find('\n', at) == std::string::npos)
                return false;
            number = DWORD(std::strtoul(out.c_str() + at + prefix.size(), nullptr, 10));
            return true;
        },
        timeoutMs);
    return number;
}

HANDLE RecordingRunner::OpenChild(DWORD timeoutMs) const
{
    DWORD pid = NumberAfter("pid", false, timeoutMs);
    if (!pid)
        return nullptr;
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
}

void RecordingRunner::OnStarted(const char* commandLine)
{
    Lock lock(&m_lock);
    ++m_started;
    m_startedWith = commandLine;
}

void RecordingRunner::OnStdout(const char* text)
{
    Lock lock(&m_lock);
    m_out += text;
    m_outChunks.push_back(text);
    AddOnce(&m_stdoutThreads, GetCurrentThreadId());
    if (!m_stdoutReader)
        m_stdoutReader = OpenCurrentThread();
}

void RecordingRunner::OnStderr(const char* text)
{
    Lock lock(&m_lock);
    m_err += text;
    AddOnce(&m_stderrThreads, GetCurrentThreadId());
    if (!m_stderrReader)
        m_stderrReader = OpenCurrentThread();
}

void RecordingRunner::OnTerminated()
{
    Lock lock(&m_lock);
    ++m_terminated;
    AddOnce(&m_terminatedThreads, GetCurrentThreadId());
}
