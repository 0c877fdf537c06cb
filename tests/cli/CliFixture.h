#pragma once

#include "Subprocess.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
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

    // A fresh reader each time: the binary wrote the file from another process.
    std::string Setting(const std::string& key) { return SettingsFile(path).ReadText(key); }
};

} // namespace zelto::testing
