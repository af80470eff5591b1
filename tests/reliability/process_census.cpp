// The driver's process and thread lists, a Toolhelp snapshot for a program file, psapi for
// the working set.
#include "tests/reliability/process_census.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

#include "framework/owned.h"
#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"

namespace reliability {

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
    figures->threads = static_cast<DWORD>(driver::ThreadsOf(processId).size());
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
    std::vector<driver::ProcessEntry> processes = driver::RunningProcesses();
    std::vector<DWORD> ids;
    std::vector<DWORD> parents = {parentId};
    while (!parents.empty()) {
        DWORD parent = parents.back();
        parents.pop_back();
        for (const driver::ProcessEntry& entry : processes) {
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
    for (const driver::ProcessEntry& entry : driver::RunningProcesses()) {
        OwnedFile modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, entry.id));
        MODULEENTRY32 module = {};
        module.dwSize = sizeof(module);
        // The first module is the program file.
        if (modules && Module32First(modules.get(), &module)
            && lstrlenA(module.szExePath) > static_cast<int>(folder.size())
            && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, module.szExePath,
                              static_cast<int>(folder.size()), folder.c_str(),
                              static_cast<int>(folder.size())) == CSTR_EQUAL)
            ids.push_back(entry.id);
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
