// WindowBinding on real windows: a dialog from a template, a subclassed static, nested
// messages and the end of the binding at WM_NCDESTROY.
#include "framework/window_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kNest = WM_APP + 1;
const UINT kAnswer = WM_APP + 2;

class TestDialog : public WindowBinding {
public:
    HWND Create() { return CreateBoundDialog(GetModuleHandleA(nullptr), 100, nullptr); }
    std::vector<UINT> seen;
    int finalCalls = 0;
    HWND finalWindow = nullptr;
    bool boundDuringNcDestroy = false;

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) override
    {
        seen.push_back(msg);
        if (msg == WM_NCDESTROY)
            boundDuringNcDestroy = BoundWindow() == hwnd;
        if (msg == kAnswer) {
            result = 1234;
            return true;
        }
        if (msg == WM_INITDIALOG) {
            result = TRUE;
            return true;
        }
        return false;
    }
    void OnFinalMessage(HWND hwnd) override
    {
        ++finalCalls;
        finalWindow = hwnd;
    }
};

// Subclasses a static; answers kAnswer itself and nests a message inside kNest.
class TestSubclass : public WindowBinding {
public:
    bool Attach(HWND hwnd) { return SubclassWindow(hwnd); }
    int finalCalls = 0;
    int maxDepth = 0;
    int depth = 0;
    bool boundAfterNestedNcDestroy = false;

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) override
    {
        ++depth;
        maxDepth = depth > maxDepth ? depth : maxDepth;
        bool handled = false;
        if (msg == kAnswer) {
            result = 77;
            handled = true;
        } else if (msg == kNest) {
            SendMessageA(hwnd, kAnswer, 0, 0);
            result = 5;
            handled = true;
        } else if (msg == WM_CLOSE) {
            // Destroying the window from inside one of its own messages: the binding must
            // hold until this outer message has returned.
            DestroyWindow(hwnd);
            boundAfterNestedNcDestroy = BoundWindow() == hwnd;
            result = 0;
            handled = true;
        }
        --depth;
        return handled;
    }
    void OnFinalMessage(HWND) override { ++finalCalls; }
};

}  // namespace

TEST(WindowBinding, DialogSeesItsMessagesFromCreationToTheFinalOne)
{
    TestDialog dialog;
    HWND hwnd = dialog.Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(dialog.BoundWindow(), hwnd);
    ASSERT_FALSE(dialog.seen.empty());
    bool sawInit = false;
    for (UINT msg : dialog.seen)
        sawInit = sawInit || msg == WM_INITDIALOG;
    EXPECT_TRUE(sawInit);

    // A handled message's result reaches the sender through DWLP_MSGRESULT.
    EXPECT_EQ(SendMessageA(hwnd, kAnswer, 0, 0), 1234);

    DestroyWindow(hwnd);
    EXPECT_TRUE(dialog.boundDuringNcDestroy);
    EXPECT_EQ(dialog.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(dialog.finalCalls, 1);
    EXPECT_EQ(dialog.finalWindow, hwnd);
    EXPECT_EQ(dialog.BoundWindow(), nullptr);
}

TEST(WindowBinding, SubclassForwardsDeclinedMessagesAndNests)
{
    HWND stat = CreateWindowExA(0, "STATIC", "hello", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(stat, nullptr);
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(stat, GWLP_WNDPROC));
    TestSubclass sub;
    ASSERT_TRUE(sub.Attach(stat));
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(stat, GWLP_WNDPROC)), original);

    // Declined: the static's own procedure answers.
    char text[16] = {};
    EXPECT_EQ(SendMessageA(stat, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(SendMessageA(stat, kAnswer, 0, 0), 77);

    EXPECT_EQ(SendMessageA(stat, kNest, 0, 0), 5);
    EXPECT_EQ(sub.maxDepth, 2);

    SendMessageA(stat, WM_CLOSE, 0, 0);
    EXPECT_TRUE(sub.boundAfterNestedNcDestroy);
    EXPECT_FALSE(IsWindow(stat));
    EXPECT_EQ(sub.finalCalls, 1);
    EXPECT_EQ(sub.BoundWindow(), nullptr);
}

TEST(WindowBinding, ObjectThatDiesFirstGivesTheWindowItsProcedureBack)
{
    HWND stat = CreateWindowExA(0, "STATIC", "x", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    LONG_PTR original = GetWindowLongPtrA(stat, GWLP_WNDPROC);
    {
        TestSubclass sub;
        ASSERT_TRUE(sub.Attach(stat));
    }
    EXPECT_EQ(GetWindowLongPtrA(stat, GWLP_WNDPROC), original);
    EXPECT_EQ(SendMessageA(stat, kAnswer, 0, 0), 0);
    DestroyWindow(stat);
}

TEST(WindowBinding, SubclassingANonWindowFails)
{
    TestSubclass sub;
    EXPECT_FALSE(sub.Attach(nullptr));
    EXPECT_EQ(sub.BoundWindow(), nullptr);
}
