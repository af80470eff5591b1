// MessageLoop on a real thread queue: filter order, idle hooks once per idle period, the
// messages that do not re-arm idling, and the quit code.
#include "framework/message_loop.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const UINT kPing = WM_APP + 1;

struct RecordingFilter : MessageFilter {
    RecordingFilter(std::string* log, char name, bool handles)
        : log(log), name(name), handles(handles) {}
    bool PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == kPing)
            *log += name;
        return handles && msg->message == kPing;
    }
    std::string* log;
    char name;
    bool handles;
};

// Logs "I" for each idle period and posts the next streaming message each time; a thread
// timer keeps ordinary messages ("T") coming so that the loop always wakes up again.
struct StreamingIdle : IdleHandler, MessageFilter {
    void OnIdle() override
    {
        log += 'I';
        if (next < 4)
            PostThreadMessageA(GetCurrentThreadId(), kStreaming[next++], 0, 0);
        else
            PostQuitMessage(42);
    }
    bool PreTranslateMessage(MSG* msg) override
    {
        for (int i = 0; i < 4; ++i)
            if (msg->message == kStreaming[i])
                log += 'S';
        if (msg->message == WM_TIMER)
            log += 'T';
        return msg->message != WM_TIMER;  // nothing to dispatch for the thread messages
    }
    static constexpr UINT kStreaming[4] = {WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118};
    std::string log;
    int next = 0;
};

}  // namespace

TEST(MessageLoop, FiltersNewestFirstAndStopAtTheFirstThatHandles)
{
    std::string log;
    RecordingFilter first(&log, 'a', false), second(&log, 'b', true), third(&log, 'c', false);
    MessageLoop loop;
    loop.AddMessageFilter(&first);
    loop.AddMessageFilter(&second);
    loop.AddMessageFilter(&third);
    PostThreadMessageA(GetCurrentThreadId(), kPing, 0, 0);
    PostQuitMessage(7);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(log, "cb");

    log.clear();
    EXPECT_TRUE(loop.RemoveMessageFilter(&second));
    EXPECT_FALSE(loop.RemoveMessageFilter(&second));
    PostThreadMessageA(GetCurrentThreadId(), kPing, 0, 0);
    PostQuitMessage(8);
    EXPECT_EQ(loop.Run(), 8);
    EXPECT_EQ(log, "ca");
}

TEST(MessageLoop, IdleHooksRunOncePerIdlePeriodAndNotAfterStreamingMessages)
{
    StreamingIdle idle;
    MessageLoop loop;
    loop.AddIdleHandler(&idle);
    loop.AddMessageFilter(&idle);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    EXPECT_EQ(loop.Run(), 42);
    KillTimer(nullptr, timer);
    EXPECT_EQ(idle.log.substr(0, 2), "IS");
    EXPECT_EQ(idle.log.find("SI"), std::string::npos) << idle.log;
    EXPECT_EQ(idle.log.find("II"), std::string::npos) << idle.log;
    size_t idles = 0;
    for (char c : idle.log)
        idles += c == 'I';
    EXPECT_EQ(idles, 5u) << idle.log;
}

TEST(MessageLoop, StreamingMessagesAreTheOnlyOnesThatKeepIdlingOff)
{
    for (UINT msg : {UINT(WM_MOUSEMOVE), UINT(WM_NCMOUSEMOVE), UINT(WM_PAINT), UINT(0x0118)}) {
        MSG m = {};
        m.message = msg;
        EXPECT_FALSE(MessageLoop::IsIdleMessage(m)) << msg;
    }
    for (UINT msg : {UINT(WM_KEYDOWN), UINT(WM_TIMER), UINT(WM_COMMAND), UINT(WM_LBUTTONDOWN)}) {
        MSG m = {};
        m.message = msg;
        EXPECT_TRUE(MessageLoop::IsIdleMessage(m)) << msg;
    }
}
