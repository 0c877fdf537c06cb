#pragma once

// A settings file in a fresh folder, every fake port wired to it, and local time pinned to UTC.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

namespace zelto::enginetest {

using Addresses = std::vector<std::string>;

class EngineTest : public ::testing::Test {
protected:
    EngineTest() {
        setenv("TZ", "UTC", 1);
        tzset();
        settings.WriteText("updateserver", "127.0.0.1:9");
    }

    void SetIgnoreList(const Addresses& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            settings.WriteText(IndexedKey("ignoreip", static_cast<int>(i) + 1), entries[i]);
        settings.WriteInt("numofignoreip", static_cast<int>(entries.size()));
    }

    // Domains 1, 2, ... under com with one password, and their count.
    void AddDomains(const Addresses& secondLevels) {
        for (std::size_t i = 0; i < secondLevels.size(); ++i) {
            settings.WriteText(IndexedKey("first_level", static_cast<int>(i) + 1), "com");
            settings.WriteText(IndexedKey("second_level", static_cast<int>(i) + 1), secondLevels[i]);
            settings.WriteText(IndexedKey("password", static_cast<int>(i) + 1), "secret12");
        }
        settings.WriteInt("numofdomains", static_cast<int>(secondLevels.size()));
    }

    void WriteRecord(const std::string& address, const std::string& hour, const std::string& day,
                     const std::string& year) {
        settings.WriteText("updatedip", address);
        settings.WriteText("updatedhour", hour);
        settings.WriteText("updatedday", day);
        settings.WriteText("updatedyear", year);
    }

    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld world{settings};
    EnginePorts& ports = world.ports;
};

} // namespace zelto::enginetest
