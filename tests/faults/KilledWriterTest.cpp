#include "FaultSupport.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <iostream>
#include <random>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::faults {
namespace {

constexpr int kRounds = 1000;
constexpr int kSlots = 8;

// What the writer tells the test after each write that returned true.
struct Ack {
    int key; // -1: "counter"; 0 to kSlots-1: "slot<key>"
    int value;
};

// Writes ever higher values until it is killed, acknowledging each write that returned true.
[[noreturn]] void Writer(const std::filesystem::path& path, int ackFd) {
    SettingsFile settings(path);
    for (int value = settings.ReadInt("counter", 0) + 1;; ++value) {
        if (settings.WriteInt("counter", value)) {
            const Ack ack{-1, value};
            (void)!::write(ackFd, &ack, sizeof ack);
        }
        const int slot = value % kSlots;
        if (settings.WriteInt(IndexedKey("slot", slot), value)) {
            const Ack ack{slot, value};
            (void)!::write(ackFd, &ack, sizeof ack);
        }
    }
}

// The file as the writer leaves it: the section and "key=number" lines of known keys, each once.
std::string Malformation(const std::string& bytes) {
    std::istringstream lines(bytes);
    std::string line;
    if (!std::getline(lines, line) || line != "[Zelto Systems Premium]")
        return "no section header";
    std::array<bool, kSlots + 1> seen{};
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        std::size_t at = kSlots;
        if (key.starts_with("slot") && key.size() == 5 && key[4] >= '0' && key[4] < '0' + kSlots)
            at = static_cast<std::size_t>(key[4] - '0');
        else if (key != "counter")
            return "unknown line: " + line;
        if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos)
            return "bad value: " + line;
        if (std::exchange(seen[at], true))
            return "key twice: " + key;
    }
    return bytes.ends_with("\n") ? "" : "no final line feed";
}

// A writer killed with SIGKILL at a random moment, a thousand times: the file is always whole, and every
// write that returned true is still there (or was overtaken by a later one of the same key).
TEST(KilledWriterTest, NoCorruptFileAndNoAcknowledgedWriteLost) {
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    std::mt19937 random(3);
    std::array<int, kSlots + 1> acked{}; // [kSlots]: the counter
    long acknowledged = 0;
    int lost = 0;
    int corrupt = 0;
    for (int round = 0; round < kRounds && lost + corrupt < 5; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            Writer(path, fds[1]);
        }
        ::close(fds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        Ack ack{};
        while (::read(fds[0], &ack, sizeof ack) == sizeof ack) {
            acked[ack.key < 0 ? kSlots : static_cast<std::size_t>(ack.key)] = ack.value;
            ++acknowledged;
        }
        ::close(fds[0]);

        const std::string bytes = ReadFileBytes(path);
        if (round > 0 || !bytes.empty()) {
            const std::string problem = Malformation(bytes);
            EXPECT_EQ(problem, "") << "round " << round << ":\n" << bytes;
            corrupt += problem.empty() ? 0 : 1;
        }
        const SettingsFile settings(path);
        for (int key = 0; key <= kSlots; ++key) {
            const std::string name = key == kSlots ? "counter" : IndexedKey("slot", key);
            const int stored = settings.ReadInt(name, 0);
            EXPECT_GE(stored, acked[static_cast<std::size_t>(key)]) << "round " << round << ": " << name;
            lost += stored < acked[static_cast<std::size_t>(key)] ? 1 : 0;
        }
    }
    EXPECT_GT(acknowledged, kRounds) << "the writers hardly got a write done";
    std::cout << "[faults] killed writer: " << kRounds << " SIGKILLs, " << acknowledged << " acknowledged writes, "
              << lost << " lost, " << corrupt << " corrupt files\n";
}

} // namespace
} // namespace zelto::faults
