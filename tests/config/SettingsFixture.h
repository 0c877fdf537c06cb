#pragma once

#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace zelto::testing {

// A settings file of its own in a fresh folder, with shorthands for what the tests read and seed.
class SettingsTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};

    std::string Text(const std::string& key) { return settings.ReadText(key); }
    int Int(const std::string& key) { return settings.ReadInt(key, -1); }

    // Writes "key=value" lines to `file`.
    static void Seed(const std::string& lines, SettingsFile& file) {
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);)
            ASSERT_TRUE(file.WriteText(line.substr(0, line.find('=')), line.substr(line.find('=') + 1)));
    }
    void Seed(const std::string& lines) { Seed(lines, settings); }
    void SeedDomains(const std::vector<DomainEntry>& entries) { ASSERT_TRUE(fakes::SeedDomains(settings, entries)); }
};

} // namespace zelto::testing
