#pragma once

#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <initializer_list>
#include <string>
#include <sys/resource.h>
#include <utility>

namespace zelto::testing {

// A settings file of its own in a fresh folder, with shorthands for what the tests read and seed.
class SettingsTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};

    std::string Text(const std::string& key) { return settings.ReadText(key); }
    std::string Text(const std::string& base, int n) { return settings.ReadText(IndexedKey(base, n)); }
    int Int(const std::string& key) { return settings.ReadInt(key, -1); }

    void Seed(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [key, value] : values)
            ASSERT_TRUE(settings.WriteText(key, value));
    }
};

// Files written while it lives may not grow beyond `bytes`: the write that would fails, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

} // namespace zelto::testing
