#pragma once

#include "Subprocess.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace zelto::testing {

// Runs the built zelto-premium on a settings file of its own.
class CliTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    std::filesystem::path path = dir.File("ZeltoPre.INI");

    static std::vector<std::string> Command(const std::filesystem::path& settings, std::vector<std::string> args) {
        args.insert(args.begin(), {ZELTO_PREMIUM_EXE, "--settings", settings.string()});
        return args;
    }
    Finished Cli(std::vector<std::string> args) { return RunToEnd(Command(path, std::move(args)), dir.Path()); }

    // The engine's lines with their leading local time ("2026-12-06 20:15:03 ") taken off; a line without
    // one fails the test.
    static std::string WithoutTimestamps(const std::string& lines) {
        static const std::regex stamp(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} )");
        std::istringstream in(lines);
        std::string bare;
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(std::regex_search(line, stamp)) << line;
            bare += std::regex_replace(line, stamp, "", std::regex_constants::format_first_only) + '\n';
        }
        return bare;
    }

    // A fresh reader each time: the binary wrote the file from another process.
    std::string Setting(const std::string& key) { return SettingsFile(path).ReadText(key); }
};

} // namespace zelto::testing
