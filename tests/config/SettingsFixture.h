#pragma once

#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/resource.h>

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

    // Runs `operation` while no file may grow beyond one holding just the lines `fits`: their writes succeed,
    // the next write fails as on a full disk.
    template <class Operation> auto WhenOnly(const std::string& fits, Operation operation) {
        SettingsFile scratch(dir.File("scratch.ini"));
        Seed(fits, scratch);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{std::filesystem::file_size(scratch.Path()), saved.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = operation();
        setrlimit(RLIMIT_FSIZE, &saved);
        return result;
    }
};

} // namespace zelto::testing
