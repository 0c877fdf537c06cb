#pragma once

// A settings file in a fresh folder, every fake port wired to it, and local time pinned to UTC.

#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
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

    // The domain list made these names under com, with one password.
    void AddDomains(const Addresses& secondLevels) {
        std::vector<DomainEntry> entries;
        for (const std::string& name : secondLevels)
            entries.push_back({name, "com", "secret12"});
        ASSERT_TRUE(fakes::SeedDomains(settings, entries));
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
