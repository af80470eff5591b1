// A package made by scripts/package.sh, unpacked afresh, started as a user starts it: the
// title, the file list, the label, the logo and both addresses come from the package. Run by
// package_test.sh, which says in PACKAGE_* environment variables what it packed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "res/version.h"
#include "tests/driver/driver.h"
#include "tests/driver/remote_list.h"
#include "tests/window/screen_capture.h"

using driver::RemoteList;
using driver::SproutProcess;
using window_test::Picture;

namespace {

// Read wide and converted here: Wine's narrow call cuts a value with Chinese characters short.
std::string Given(const char* name)
{
    std::wstring wideName(name, name + lstrlenA(name));
    wchar_t wide[1024] = {};
    DWORD length = GetEnvironmentVariableW(wideName.c_str(), wide, 1024);
    EXPECT_GT(length, 0u) << name;
    EXPECT_LT(length, 1024u) << name;
    char value[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, value, sizeof(value), nullptr, nullptr);
    return value;
}

std::string Branding(const std::string& folder, const char* key)
{
    char value[1024] = {};
    GetPrivateProfileStringA("INFO", key, "<none>", value, sizeof(value),
                             (folder + "info.pyd").c_str());
    return value;
}

struct Seen {
    Picture client;
    Picture label;
    SIZE logoFrame = {};
    bool logoDrawn = false;
};

// What the window shows once painted; the process goes on running for the caller.
Seen Look(SproutProcess& sprout)
{
    Seen seen;
    HWND dialog = sprout.Dialog();
    seen.client = window_test::CaptureSettled(dialog, sprout.Control(IDC_EXIT));
    seen.label = seen.client.Part(window_test::ControlArea(dialog, sprout.Control(IDC_LINK)));
    RECT logo = window_test::ControlArea(dialog, sprout.Control(IDC_LOGO));
    seen.logoFrame = {logo.right - logo.left, logo.bottom - logo.top};
    InflateRect(&logo, -2, -2);  // inside the sunken edge
    seen.logoDrawn = !seen.client.Part(logo).IsUniform();
    return seen;
}

void Exit(SproutProcess& sprout)
{
    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    EXPECT_TRUE(sprout.WaitForExit(15000, &code));
    EXPECT_EQ(code, 1005u);
}

bool Ran(const std::string& marker)
{
    return driver::WaitUntil([&] { return driver::FileExists(marker + ".ran"); }, 15000);
}

// A value of a program's version resource, "" when there is none: the fixed part's bytes for
// "\\", else the text of a string.
std::string VersionValue(const std::string& exe, const std::string& path)
{
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeA(exe.c_str(), &ignored), '\0');
    void* value = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoA(exe.c_str(), 0, DWORD(block.size()), &block[0]) ||
        !VerQueryValueA(&block[0], path.c_str(), &value, &length))
        return "";
    return path == "\\" ? std::string(static_cast<char*>(value), length)
                         : std::string(static_cast<char*>(value));
}

}  // namespace

TEST(Package, RunsUnpackedWithItsTitleFilesLabelLogoAndAddresses)
{
    const std::string folder = Given("PACKAGE_FOLDER");
    const std::string torrent = Given("PACKAGE_TORRENT");
    EXPECT_EQ(Branding(folder, "help"), Given("PACKAGE_FORUM"));
    EXPECT_EQ(Branding(folder, "label"), Given("PACKAGE_LABEL"));
    EXPECT_EQ(Branding(folder, "tip"), Given("PACKAGE_TIP"));
    EXPECT_EQ(Branding(folder, "link"), Given("PACKAGE_LINK"));

    // The same program with the same label written by the system's own INI functions, and
    // no logo, for what the label and the empty logo frame look like.
    Seen reference;
    {
        driver::TempDir other("package-reference");
        ASSERT_TRUE(CopyFileA((folder + "sprout.exe").c_str(), other.File("sprout.exe").c_str(),
                              FALSE));
        ASSERT_TRUE(WritePrivateProfileStringA("INFO", "label", Given("PACKAGE_LABEL").c_str(),
                                               other.File("info.pyd").c_str()));
        SproutProcess sprout;
        ASSERT_TRUE(sprout.Launch(other.File("sprout.exe"), torrent, other.Path()));
        ASSERT_NE(sprout.WaitForDialog(), nullptr);
        reference = Look(sprout);
        Exit(sprout);
    }
    EXPECT_FALSE(reference.logoDrawn);

    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder + "sprout.exe", torrent, folder));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);
    EXPECT_TRUE(driver::WaitUntil([&] { return sprout.Title() == Given("PACKAGE_TITLE"); }, 5000))
        << sprout.Title();

    RemoteList list(sprout);
    std::string files;
    for (int row = 0; row + 1 < list.Rows(); ++row)
        files += (row ? "|" : "") + list.Text(row, 0);
    EXPECT_EQ(files, Given("PACKAGE_FILES"));

    Seen seen = Look(sprout);
    seen.client.SaveBmp(driver::BinDir() + "package-window.bmp");
    EXPECT_FALSE(seen.label.IsUniform());
    EXPECT_TRUE(seen.label == reference.label);
    EXPECT_TRUE(seen.logoDrawn);
    // The logo was made the frame's size, so the frame keeps the size the template gives it.
    EXPECT_EQ(seen.logoFrame.cx, reference.logoFrame.cx);
    EXPECT_EQ(seen.logoFrame.cy, reference.logoFrame.cy);

    sprout.Press(IDC_FORUM);
    EXPECT_TRUE(Ran(Given("PACKAGE_FORUM")));
    // Space on the label opens its address, as a click does.
    PostMessageA(sprout.Control(IDC_LINK), WM_CHAR, ' ', 0);
    EXPECT_TRUE(Ran(Given("PACKAGE_LINK")));
    Exit(sprout);
}

TEST(Package, BothProgramsSayWhatTheyAreAndTheVersion)
{
    const std::string folder = Given("PACKAGE_FOLDER");
    const std::string version = std::to_string(SPROUT_VERSION_MAJOR) + "." +
                                std::to_string(SPROUT_VERSION_MINOR) + "." +
                                std::to_string(SPROUT_VERSION_PATCH);
    const struct {
        const char* exe;
        const char* description;
    } programs[] = {{"sprout.exe", "Sprout 种子下载器"}, {"bt.exe", "Sprout BitTorrent 下载引擎"}};
    for (const auto& program : programs) {
        std::string exe = folder + program.exe;
        const std::string table = "\\StringFileInfo\\080404B0\\";
        EXPECT_EQ(VersionValue(exe, table + "FileDescription"), program.description);
        EXPECT_EQ(VersionValue(exe, table + "ProductVersion"), version) << program.exe;
        std::string fixed = VersionValue(exe, "\\");
        ASSERT_EQ(fixed.size(), sizeof(VS_FIXEDFILEINFO)) << program.exe;
        const auto* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(fixed.data());
        EXPECT_EQ(info->dwFileVersionMS, DWORD(MAKELONG(SPROUT_VERSION_MINOR, SPROUT_VERSION_MAJOR)));
        EXPECT_EQ(info->dwFileVersionLS, DWORD(MAKELONG(0, SPROUT_VERSION_PATCH)));
    }
}
