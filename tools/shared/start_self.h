// Starting this program again, as a lingering child of its own on this process's standard
// handles: the test children and engines that keep their parent's pipes open after they end.
#pragma once

#include <windows.h>

#include <string>

// The new process's id, or 0 when it could not be started. It is not waited for.
DWORD StartSelf(const std::string& arguments);
