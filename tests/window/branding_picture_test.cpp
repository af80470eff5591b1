// The link label's text from info.pyd, seen on the screen: the label draws it and nothing
// else shows it. Runs alone, so that no other test's window covers this one's.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"
#include "tests/window/screen_capture.h"

using driver::SproutProcess;
using window_test::Picture;
using driver::ProgramFolder;

namespace {

// The label as the screen shows it, once the window has been painted.
Picture LabelPicture(ProgramFolder& folder)
{
    SproutProcess sprout;
    EXPECT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", folder.Path()));
    HWND dialog = sprout.WaitForDialog();
    EXPECT_NE(dialog, nullptr);
    Picture label;
    if (!dialog)
        return label;
    RECT labelArea = window_test::ControlArea(dialog, sprout.Control(IDC_LINK));
    label = window_test::CaptureSettled(dialog, sprout.Control(IDC_EXIT)).Part(labelArea);
    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    EXPECT_TRUE(sprout.WaitForExit(15000, &code));
    return label;
}

}  // namespace

TEST(BrandingPicture, LabelShowsTheDefaultTextAndAnEmptyValueStaysEmpty)
{
    ProgramFolder folder("label");
    Picture withoutFile = LabelPicture(folder);
    ASSERT_GT(withoutFile.width, 0);
    EXPECT_FALSE(withoutFile.IsUniform());

    ASSERT_TRUE(folder.SetBranding("label", "点击这里免费注册会员，享受更多精彩的下载资源！"));
    EXPECT_TRUE(LabelPicture(folder) == withoutFile);

    ASSERT_TRUE(folder.SetBranding("label", "Sprout"));
    Picture other = LabelPicture(folder);
    EXPECT_FALSE(other.IsUniform());
    EXPECT_FALSE(other == withoutFile);

    ASSERT_TRUE(folder.SetBranding("label", ""));
    EXPECT_TRUE(LabelPicture(folder).IsUniform());

    // The key absent while the section is there: the default again.
    ASSERT_TRUE(folder.SetBranding("label", nullptr));
    ASSERT_TRUE(folder.SetBranding("tip", "x"));
    EXPECT_TRUE(LabelPicture(folder) == withoutFile);
}
