#include "FaultSupport.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <regex>
#include <set>

namespace zelto::faults {
namespace {

constexpr int kSlots = 8; // keys "slot0" to "slot7"; key kSlots is "counter"

std::string Key(int key) {
    return key == kSlots ? "counter" : IndexedKey("slot", key);
}

// "" when the file is as the writer leaves it: the section, then "key=number" lines of known keys, each once.
std::string Malformation(const std::string& bytes) {
    static const std::regex kFile(R"(\[Zelto Systems Premium\]\n((counter|slot[0-7])=[0-9]+\n)*)");
    static const std::regex kKey(R"(\n(\w+)=)");
    std::set<std::string> keys;
    for (std::sregex_iterator at(bytes.begin(), bytes.end(), kKey), end; at != end; ++at) {
        if (!keys.insert((*at)[1]).second)
            return "key twice: " + (*at)[1].str();
    }
    return std::regex_match(bytes, kFile) ? "" : "malformed";
}

// A writer of ever higher values, killed at a random moment a thousand times: the file is always whole, and
// every write that returned true is still there (or overtaken by a later one of the same key).
TEST(KilledWriterTest, NoCorruptFileAndNoAcknowledgedWriteLost) {
    constexpr int kRounds = 1000;
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    std::mt19937 random(3);
    std::array<int, kSlots + 1> acked{};
    long acknowledged = 0;
    int failures = 0;
    for (int round = 0; round < kRounds && failures < 5; ++round) {
        int acks[2];
        ASSERT_EQ(::pipe2(acks, O_CLOEXEC), 0);
        {
            const Process writer([&] {
                SettingsFile settings(path);
                for (int value = settings.ReadInt("counter", 0) + 1;; ++value) {
                    for (const int key : {kSlots, value % kSlots}) {
                        const std::array<int, 2> ack{key, value};
                        if (settings.WriteInt(Key(key), value))
                            (void)!::write(acks[1], ack.data(), sizeof ack);
                    }
                }
                return 0;
            });
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        } // SIGKILL
        ::close(acks[1]);
        for (std::array<int, 2> ack; ::read(acks[0], ack.data(), sizeof ack) == sizeof ack; ++acknowledged)
            acked[static_cast<std::size_t>(ack[0])] = ack[1];
        ::close(acks[0]);

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
}

} // namespace
} // namespace zelto::faults
