// Process-wide module bookkeeping: the instance handle that loads our resources, and the
// registry that lets a window find the message loop of the thread it lives on.
#pragma once

#include <windows.h>

class MessageLoop;

namespace Module {

void Init(HINSTANCE instance);
void Term();
HINSTANCE Instance();

// The calling thread's message loop: each interface thread registers its own, and sees only
// its own. False when the thread has one already.
bool AddMessageLoop(MessageLoop* loop);
void RemoveMessageLoop();
MessageLoop* GetMessageLoop();

// The window object under construction on this thread, for bindings whose first messages
// arrive before any creation parameter does.
void SetCreatingObject(void* object);
void* CreatingObject();

}  // namespace Module
