#include "FaultSupport.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <iostream>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::faults {
namespace {

constexpr int kSlots = 8; // keys "slot0".."slot7"; index kSlots stands for "counter"

std::string Key(int key) {
    return key == kSlots ? "counter" : IndexedKey("slot", key);
}

// Writes ever higher values until killed, sending {key, value} for each write that returned true.
[[noreturn]] void Writer(const std::filesystem::path& path, int ackFd) {
    SettingsFile settings(path);
    for (int value = settings.ReadInt("counter", 0) + 1;; ++value) {
        for (const int key : {kSlots, value % kSlots}) {
            const std::array<int, 2> ack{key, value};
            if (settings.WriteInt(Key(key), value))
                (void)!::write(ackFd, ack.data(), sizeof ack);
        }
    }
}

// "" when the file is as the writer leaves it: the section, then "key=number" lines of known keys, each once.
std::string Malformation(const std::string& bytes) {
    static const std::regex kLine("(counter|slot[0-7])=[0-9]+");
    std::istringstream lines(bytes);
    std::string line;
    if (!std::getline(lines, line) || line != "[Zelto Systems Premium]")
        return "no section header";
    std::set<std::string> seen;
    while (std::getline(lines, line)) {
        if (!std::regex_match(line, kLine) || !seen.insert(line.substr(0, line.find('='))).second)
            return "bad or repeated line: " + line;
    }
    return bytes.ends_with("\n") ? "" : "no final line feed";
}

// Killed at a random moment a thousand times: the file is always whole, and every acknowledged write is still
// there (or overtaken by a later one of the same key).
TEST(KilledWriterTest, NoCorruptFileAndNoAcknowledgedWriteLost) {
    constexpr int kRounds = 1000;
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    std::mt19937 random(3);
    std::array<int, kSlots + 1> acked{};
    long acknowledged = 0;
    int failures = 0;
    for (int round = 0; round < kRounds && failures < 5; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            Writer(path, fds[1]);
        ::close(fds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (std::array<int, 2> ack; ::read(fds[0], ack.data(), sizeof ack) == sizeof ack; ++acknowledged)
            acked[static_cast<std::size_t>(ack[0])] = ack[1];
        ::close(fds[0]);

        const std::string bytes = ReadFileBytes(path);
        const std::string problem = round == 0 && bytes.empty() ? "" : Malformation(bytes);
        EXPECT_EQ(problem, "") << "round " << round << ":\n" << bytes;
        failures += problem.empty() ? 0 : 1;
        const SettingsFile settings(path);
        for (int key = 0; key <= kSlots; ++key) {
            const int stored = settings.ReadInt(Key(key), 0);
            EXPECT_GE(stored, acked[static_cast<std::size_t>(key)]) << "round " << round << ": " << Key(key);
            failures += stored < acked[static_cast<std::size_t>(key)] ? 1 : 0;
        }
    }
    EXPECT_GT(acknowledged, kRounds) << "the writers hardly got a write done";
    std::cout << "[faults] killed writer: " << kRounds << " SIGKILLs, " << acknowledged << " acknowledged writes, "
              << failures << " failures\n";
}

} // namespace
} // namespace zelto::faults
