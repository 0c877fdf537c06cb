// The hook runner against real processes under Wine: arguments, environment, closed input, the time limit,
// and the trust rule read from the files' access lists.
#include "platform/windows/ProcessHookRunner.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <future>

namespace zelto::wintest {
namespace {

using namespace std::chrono_literals;

struct Recorded {
    std::vector<std::string> lines;
    HookOutcome outcome;
};

class ProcessHookRunnerTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    std::filesystem::path settings = dir.File("ZeltoPre.INI");
    std::filesystem::path hook = dir.File("hook.exe");

    void SetUp() override {
        fakes::WriteFile(settings, "[Zelto Systems Premium]\r\n");
        std::filesystem::copy_file(ZELTO_TEST_HOOK, hook);
    }

    Recorded Run(const std::string& mode, std::chrono::milliseconds timeout) {
        Recorded recorded;
        std::promise<HookOutcome> ended;
        ProcessHookRunner runner;
        runner.Start(
            {hook, settings, {mode, "a \"quoted\" word"}, {{"ZELTO_ADDRESS", "203.0.113.7"}}, timeout},
            [&](const std::string& line) { recorded.lines.push_back(line); },
            [&](const HookOutcome& outcome) { ended.set_value(outcome); });
        recorded.outcome = ended.get_future().get();
        return recorded;
    }
};

TEST_F(ProcessHookRunnerTest, RunsWithArgumentsAndEnvironmentAndEndsAsTold) {
    const struct {
        const char* mode;
        HookEnd end;
        int status;
        std::vector<std::string> lines;
    } cases[] = {
        {"print", HookEnd::Succeeded, 0, {"print|a \"quoted\" word|203.0.113.7", "in:-1"}},
        {"fail", HookEnd::Failed, 3, {"oops"}},
        {"hang", HookEnd::TimedOut, 0, {"started"}},
    };
    for (const auto& c : cases) {
        const Recorded recorded = Run(c.mode, 2s);
        EXPECT_EQ(recorded.outcome.end, c.end) << c.mode;
        EXPECT_EQ(recorded.outcome.status, c.status) << c.mode;
        EXPECT_EQ(recorded.lines, c.lines) << c.mode;
    }
}

// Write rights for everyone on the command or on the settings file that names it: refused, by name.
TEST_F(ProcessHookRunnerTest, AFileOthersCanWriteIsRefusedByName) {
    for (const std::filesystem::path& file : {hook, settings}) {
        PACL old = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_EQ(GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &old,
                                        nullptr, &descriptor),
                  ERROR_SUCCESS);
        EXPLICIT_ACCESSW everyone{};
        BuildExplicitAccessWithNameW(&everyone, const_cast<wchar_t*>(L"EVERYONE"), FILE_GENERIC_WRITE, GRANT_ACCESS,
                                     NO_INHERITANCE);
        PACL widened = nullptr;
        ASSERT_EQ(SetEntriesInAclW(1, &everyone, old, &widened), ERROR_SUCCESS);
        ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(file.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, widened, nullptr),
                  ERROR_SUCCESS);
        LocalFree(widened);
        LocalFree(descriptor);
        const Recorded recorded = Run("print", 10s);
        EXPECT_EQ(recorded.outcome.end, HookEnd::NotTrusted) << file;
        EXPECT_EQ(recorded.outcome.file, file.string()) << file;
        EXPECT_TRUE(recorded.lines.empty()) << file;
    }
}

} // namespace
} // namespace zelto::wintest
