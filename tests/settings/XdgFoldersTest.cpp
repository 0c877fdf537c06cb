#include "settings/SettingsHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zelto {
namespace {

TEST(XdgFoldersTest, SettingsFollowXdgConfigHomeOnlyWhenAbsolute) {
    ::setenv("HOME", "/home/ann", 1);
    for (const auto& [xdg, expected] : {std::pair{"", "/home/ann/.config/zelto-premium/ZeltoPre.INI"},
                                        {"relative", "/home/ann/.config/zelto-premium/ZeltoPre.INI"}}) {
        ::setenv("XDG_CONFIG_HOME", xdg, 1);
        EXPECT_EQ(DefaultSettingsPath(), std::filesystem::path(expected)) << xdg;
    }
}

} // namespace
} // namespace zelto
