// MessageLoop on a real thread queue: filter order and the quit code.
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
