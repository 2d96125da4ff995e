#include <gtest/gtest.h>

#include "platform/display_platform.h"

// Which platform the program asks Qt for, from the session it was started in.
namespace veltrop::testing {
namespace {

struct Case {
    const char* what;
    DisplaySession session;
    const char* asked;  // empty: Qt's own choice
};

TEST(DisplayPlatformTest, WaylandSessionsGoThroughXWaylandUnlessTheUserChoseAPlatform) {
    const std::vector<Case> cases{
        {"plain X11", {"", false, "", "x11", ":0"}, ""},
        {"no session at all", {"", false, "", "", ""}, ""},
        {"Wayland with XWayland", {"", false, "wayland-0", "wayland", ":1"}, "xcb;wayland"},
        {"a Wayland display only", {"", false, "wayland-0", "", ":1"}, "xcb;wayland"},
        {"a Wayland session type only", {"", false, "", "wayland", ":1"}, "xcb;wayland"},
        {"Wayland without XWayland", {"", false, "wayland-0", "wayland", ""}, "wayland"},
        {"the user's QT_QPA_PLATFORM", {"wayland", false, "wayland-0", "wayland", ":1"}, ""},
        {"the user's -platform", {"", true, "wayland-0", "wayland", ":1"}, ""},
        {"the user's choice without XWayland", {"xcb", false, "wayland-0", "wayland", ""}, ""},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(displayPlatformFor(test.session), QByteArray(test.asked)) << test.what;
    }
}

TEST(DisplayPlatformTest, QtsPlatformOptionIsSeenInEitherSpelling) {
    const struct {
        std::vector<const char*> arguments;
        bool given;
    } cases[] = {
        {{"veltrop"}, false},
        {{"veltrop", "-platform", "wayland"}, true},
        {{"veltrop", "--platform", "xcb"}, true},
        {{"veltrop", "-platformpluginpath", "/x"}, false},
        {{"veltrop", "platform"}, false},
    };
    for (const auto& test : cases) {
        std::vector<char*> argv;
        for (const char* argument : test.arguments) {
            argv.push_back(const_cast<char*>(argument));
        }
        EXPECT_EQ(currentDisplaySession(static_cast<int>(argv.size()), argv.data()).platformOption,
                  test.given)
            << argv.back();
    }
}

}  // namespace
}  // namespace veltrop::testing
