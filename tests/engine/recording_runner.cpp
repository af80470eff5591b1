#include "tests/engine/recording_runner.h"

#include <algorithm>
#include <cstdlib>

#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"

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

}  // namespace

std::string ChildCommand(const std::string& commands)
{
    return "\"" + driver::BinDir() + "engine_child.exe\" " + commands;
}

std::vector<DWORD> OwnThreadIds() { return driver::ThreadsOf(GetCurrentProcessId()); }

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

RecordingRunner::~RecordingRunner() { Shutdown(); }

std::string RecordingRunner::Out() const { return Locked(m_out); }
std::string RecordingRunner::Err() const { return Locked(m_err); }
std::vector<std::string> RecordingRunner::OutChunks() const { return Locked(m_outChunks); }
int RecordingRunner::Started() const { return Locked(m_started); }
int RecordingRunner::Terminated() const { return Locked(m_terminated); }
std::string RecordingRunner::StartedWith() const { return Locked(m_startedWith); }
std::vector<DWORD> RecordingRunner::StdoutThreads() const { return Locked(m_stdoutThreads); }
std::vector<DWORD> RecordingRunner::StderrThreads() const { return Locked(m_stderrThreads); }
std::vector<DWORD> RecordingRunner::TerminatedThreads() const
{
    return Locked(m_terminatedThreads);
}
HANDLE RecordingRunner::StdoutReader() const
{
    CriticalSectionLock lock(m_lock);
    return m_stdoutReader.get();
}

HANDLE RecordingRunner::StderrReader() const
{
    CriticalSectionLock lock(m_lock);
    return m_stderrReader.get();
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
    CriticalSectionLock lock(m_lock);
    ++m_started;
    m_startedWith = commandLine;
}

void RecordingRunner::OnStdout(const char* text)
{
    CriticalSectionLock lock(m_lock);
    m_out += text;
    m_outChunks.push_back(text);
    AddOnce(&m_stdoutThreads, GetCurrentThreadId());
    if (!m_stdoutReader)
        m_stdoutReader.reset(OpenCurrentThread());
}

void RecordingRunner::OnStderr(const char* text)
{
    CriticalSectionLock lock(m_lock);
    m_err += text;
    AddOnce(&m_stderrThreads, GetCurrentThreadId());
    if (!m_stderrReader)
        m_stderrReader.reset(OpenCurrentThread());
}

void RecordingRunner::OnTerminated()
{
    CriticalSectionLock lock(m_lock);
    ++m_terminated;
    AddOnce(&m_terminatedThreads, GetCurrentThreadId());
}
