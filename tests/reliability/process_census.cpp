// Toolhelp snapshots for threads and processes, psapi for the working set.
#include "tests/reliability/process_census.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

#include "tests/driver/driver.h"

namespace reliability {

namespace {

DWORD CountThreads(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    DWORD count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

struct ProcessEntry {
    DWORD id;
    DWORD parentId;
    std::string exeName;
};

std::vector<ProcessEntry> RunningProcesses()
{
    std::vector<ProcessEntry> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return processes;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    CloseHandle(snapshot);
    return processes;
}

}  // namespace

bool MeasureProcess(HANDLE process, DWORD processId, ProcessFigures* figures)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    if (!GetProcessHandleCount(process, &figures->handles)
        || !GetProcessMemoryInfo(process, &memory, sizeof(memory)))
        return false;
    if (figures->handles == 0)
        figures->handles = driver::HandleCountOf(processId);
    figures->workingSet = memory.WorkingSetSize;
    figures->peakWorkingSet = memory.PeakWorkingSetSize;
    figures->privateBytes = memory.PagefileUsage;
    figures->threads = CountThreads(processId);
    return figures->threads != 0 && figures->handles != 0;
}

std::string Describe(const ProcessFigures& figures)
{
    char text[160];
    std::snprintf(text, sizeof(text),
                  "%lu handles, %lu threads, working set %lu KB (peak %lu KB), private %lu KB",
                  figures.handles, figures.threads,
                  static_cast<unsigned long>(figures.workingSet / 1024),
                  static_cast<unsigned long>(figures.peakWorkingSet / 1024),
                  static_cast<unsigned long>(figures.privateBytes / 1024));
    return text;
}

std::vector<DWORD> Descendants(DWORD parentId)
{
    std::vector<ProcessEntry> processes = RunningProcesses();
    std::vector<DWORD> ids;
    std::vector<DWORD> parents = {parentId};
    while (!parents.empty()) {
        DWORD parent = parents.back();
        parents.pop_back();
        for (const ProcessEntry& entry : processes) {
            if (entry.parentId == parent && entry.id != parent && entry.id != parentId) {
                bool known = false;
                for (DWORD id : ids)
                    known = known || id == entry.id;
                if (!known) {
                    ids.push_back(entry.id);
                    parents.push_back(entry.id);
                }
            }
        }
    }
    return ids;
}

std::vector<DWORD> ProcessesRunningFrom(const std::string& folder)
{
    std::vector<DWORD> ids;
    for (const ProcessEntry& entry : RunningProcesses()) {
        HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, entry.id);
        if (modules == INVALID_HANDLE_VALUE)
            continue;
        MODULEENTRY32 module = {};
        module.dwSize = sizeof(module);
        // The first module is the program file.
        if (Module32First(modules, &module)
            && lstrlenA(module.szExePath) > static_cast<int>(folder.size())
            && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, module.szExePath,
                              static_cast<int>(folder.size()), folder.c_str(),
                              static_cast<int>(folder.size())) == CSTR_EQUAL)
            ids.push_back(entry.id);
        CloseHandle(modules);
    }
    return ids;
}

void EndProcesses(const std::vector<DWORD>& processIds)
{
    for (DWORD id : processIds) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process)
            continue;
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 2000);
        CloseHandle(process);
    }
}

}  // namespace reliability
