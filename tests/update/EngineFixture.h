#pragma once

// A settings file in a fresh folder, every fake port wired to it, and local time pinned to UTC.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace zelto::enginetest {

inline constexpr const char* kTestServer = "127.0.0.1:9";

class EngineTest : public ::testing::Test {
protected:
    EngineTest() {
        setenv("TZ", "UTC", 1);
        tzset();
        settings.WriteText("updateserver", kTestServer);
    }

    void AddDomain(int number, const std::string& firstLevel, const std::string& secondLevel,
                   const std::string& password) {
        settings.WriteText(IndexedKey("first_level", number), firstLevel);
        settings.WriteText(IndexedKey("second_level", number), secondLevel);
        settings.WriteText(IndexedKey("password", number), password);
    }

    void SetIgnoreList(const std::vector<std::string>& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            settings.WriteText(IndexedKey("ignoreip", static_cast<int>(i) + 1), entries[i]);
        settings.WriteInt("numofignoreip", static_cast<int>(entries.size()));
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
