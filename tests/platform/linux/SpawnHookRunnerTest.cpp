// The hook runner against real processes: bounded output, closed input, the time limit, the trust rule (which
// HeadlessTest sees refuse, when the hook is set, a file others may write).
#include "platform/linux/SpawnHookRunner.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <future>

namespace zelto {
namespace {

using namespace std::chrono_literals;

struct Recorded {
    std::vector<std::string> lines;
    std::promise<HookOutcome> ended;
};

class SpawnHookRunnerTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    std::filesystem::path settings = dir.File("ZeltoPre.INI");
    std::filesystem::path script = dir.File("hook.sh");

    void SetUp() override { fakes::WriteFile(settings, "[Zelto Systems Premium]\n"); }

    HookOutcome Run(const std::string& body, std::chrono::milliseconds timeout, Recorded& recorded, mode_t mode) {
        fakes::WriteFile(script, "#!/bin/sh\n" + body + "\n");
        ::chmod(script.c_str(), mode);
        ::chmod(settings.c_str(), 0600);
        SpawnHookRunner runner;
        runner.Start(
            {script, settings, {"203.0.113.7", ""}, {{"ZELTO_ADDRESS", "203.0.113.7"}}, timeout},
            [&](const std::string& line) { recorded.lines.push_back(line); },
            [&](const HookOutcome& outcome) { recorded.ended.set_value(outcome); });
        auto ended = recorded.ended.get_future();
        EXPECT_EQ(ended.wait_for(10s), std::future_status::ready);
        return ended.get();
    }
};

TEST_F(SpawnHookRunnerTest, RunsATrustedFileWithArgumentsAndEnvironmentAndEndsAsTold) {
    const struct {
        const char* name;
        std::string body;
        HookEnd end;
        int status;
        std::vector<std::string> lines;
        std::chrono::milliseconds timeout = 10s;
        mode_t mode = 0700;
    } cases[] = {
        {"arguments, environment, closed input",
         "echo \"$1|$2|$ZELTO_ADDRESS\"; cat; echo in:$?",
         HookEnd::Succeeded,
         0,
         {"203.0.113.7||203.0.113.7", "in:0"}},
        {"failure", "echo oops >&2; exit 3", HookEnd::Failed, 3, {"oops"}},
        {"output bounded", "i=0; while [ $i -lt 2000 ]; do echo 0123456789; i=$((i+1)); done", HookEnd::Succeeded, 0,
         std::vector<std::string>(4096 / 11, "0123456789")},
        {"hung, ended at its timeout", "echo started; sleep 60", HookEnd::TimedOut, 0, {"started"}, 300ms},
        {"its group may write it, never run", "echo ran", HookEnd::NotTrusted, 0, {}, 10s, 0770},
    };
    for (const auto& c : cases) {
        Recorded recorded;
        const HookOutcome outcome = Run(c.body, c.timeout, recorded, c.mode);
        EXPECT_EQ(outcome.end, c.end) << c.name;
        EXPECT_EQ(outcome.status, c.status) << c.name;
        if (c.lines.size() > 10)
            EXPECT_EQ(recorded.lines.size(), c.lines.size() + 1) << c.name; // and the cut line
        else
            EXPECT_EQ(recorded.lines, c.lines) << c.name;
    }
}

} // namespace
} // namespace zelto
