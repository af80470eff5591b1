// The taskbar button's progress through a fake taskbar interface, linked in place of the
// system's: what a download, a failure and a Stop show, and that nothing is called before the
// shell announces the button or where the system has no such interface.
#include "app/taskbar_progress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Records the progress calls as text: "state:N" and "value:N".
class FakeTaskbar : public ITaskbarList3 {
public:
    std::string calls;
    HWND window = nullptr;
    LONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND hwnd, ULONGLONG done, ULONGLONG total) override
    {
        window = hwnd;
        calls += "value:" + std::to_string(done) + "/" + std::to_string(total) + " ";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND hwnd, TBPFLAG flags) override
    {
        window = hwnd;
        calls += "state:" + std::to_string(int(flags)) + " ";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return S_OK; }
};

FakeTaskbar* g_fake = nullptr;  // null: the system has no taskbar interface
int g_made = 0;

struct WithFake {
    FakeTaskbar fake;
    WithFake()
    {
        g_fake = &fake;
        g_made = 0;
    }
    ~WithFake() { g_fake = nullptr; }
};

const HWND kWindow = reinterpret_cast<HWND>(0x1234);
const char kNone[] = "state:0 ";
const char kNormal[] = "state:2 ";
const char kError[] = "state:4 value:100/100 ";

}  // namespace

ITaskbarList3* CreateTaskbarInterface()
{
    ++g_made;
    return g_fake;
}

TEST(TaskbarProgress, ADownloadThenTheUsersStop)
{
    WithFake with;
    {
        TaskbarProgress taskbar;
        // Before the button exists nothing is made or called; the state waits for it.
        taskbar.Downloading(10);
        taskbar.Progress(20);
        EXPECT_EQ(g_made, 0);
        taskbar.OnButtonCreated(kWindow);
        EXPECT_EQ(g_made, 1);
        EXPECT_EQ(with.fake.window, kWindow);
        taskbar.Progress(20);  // unchanged: no call
        taskbar.Progress(55);
        taskbar.Progress(100);
        taskbar.Clear();  // the press that stops
        taskbar.Progress(60);  // a report that comes late changes nothing
        EXPECT_EQ(with.fake.calls, std::string(kNormal) + "value:20/100 value:55/100 "
                                       "value:100/100 " + kNone);
    }
    EXPECT_EQ(with.fake.references, 0) << "the interface is released with its owner";
}

TEST(TaskbarProgress, AFailureShowsErrorUntilTheNextPress)
{
    WithFake with;
    TaskbarProgress taskbar;
    taskbar.OnButtonCreated(kWindow);
    EXPECT_EQ(with.fake.calls, kNone);
    with.fake.calls.clear();

    // The engine runs a while, then ends with a failure.
    taskbar.Downloading(0);
    taskbar.Progress(30);
    taskbar.Failed();
    taskbar.Progress(40);
    EXPECT_EQ(with.fake.calls, std::string(kNormal) + "value:0/100 value:30/100 " + kError);
    with.fake.calls.clear();

    // A start that fails straight away; the shell re-creates the button meanwhile.
    taskbar.Clear();
    taskbar.Failed();
    taskbar.OnButtonCreated(kWindow);
    EXPECT_EQ(g_made, 1) << "one interface for the window's life";
    EXPECT_EQ(with.fake.calls, std::string(kNone) + kError + kError);
}

TEST(TaskbarProgress, NoInterfaceMeansNothingHappens)
{
    TaskbarProgress taskbar;
    taskbar.OnButtonCreated(kWindow);
    taskbar.Downloading(5);
    taskbar.Progress(6);
    taskbar.Failed();
    taskbar.Clear();
    EXPECT_NE(TaskbarProgress::ButtonCreatedMessage(), 0u);
}
