// What the reliability tests count in another process from outside: its handles, threads and
// memory, and the processes it has started.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace reliability {

struct ProcessFigures {
    DWORD handles = 0;
    DWORD threads = 0;
    SIZE_T workingSet = 0;
    SIZE_T peakWorkingSet = 0;
    SIZE_T privateBytes = 0;  // committed memory of its own
};

// False when any of the figures cannot be read.
bool MeasureProcess(HANDLE process, DWORD processId, ProcessFigures* figures);
std::string Describe(const ProcessFigures& figures);

// Ids of the processes descended from parentId, of any name, recursively.
std::vector<DWORD> Descendants(DWORD parentId);

// Ids of the running processes whose program file lies in folder (with a trailing backslash).
std::vector<DWORD> ProcessesRunningFrom(const std::string& folder);

// Ends the given processes, so that a failed test leaves none of its own behind.
void EndProcesses(const std::vector<DWORD>& processIds);

}  // namespace reliability
