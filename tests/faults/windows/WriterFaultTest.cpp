// The killed-writer and two-writers cases of the fault suite on Windows: the writers are processes of
// settings-writer.exe, ended with TerminateProcess at a random moment of their writes.

#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <sstream>

namespace zelto {
namespace {

using namespace std::chrono_literals;

constexpr int kSlots = 8;

std::string Key(int key) {
    std::string name = key == kSlots ? "counter" : "slot";
    if (key != kSlots)
        name += std::to_string(key);
    return name;
}

std::filesystem::path TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::filesystem::path path = std::filesystem::path(folder) / name;
    std::filesystem::remove(path);
    std::filesystem::remove(path.native() + L".lock");
    return path;
}

// A settings-writer process; its standard output is `out` when given.
struct Writer {
    PROCESS_INFORMATION process{};

    Writer(const std::wstring& arguments, HANDLE out) {
        std::wstring line = L"\"" ZELTO_SETTINGS_WRITER L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        EXPECT_TRUE(
            ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
    }
    ~Writer() {
        ::TerminateProcess(process.hProcess, 9);
        ::WaitForSingleObject(process.hProcess, 10000);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    DWORD Wait(DWORD ms) {
        DWORD code = 99;
        if (::WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
};

// Reads one acknowledgement {key, value}; false at the pipe's end.
bool ReadAck(HANDLE pipe, std::array<int, 2>& ack) {
    DWORD got = 0;
    return ::ReadFile(pipe, ack.data(), sizeof ack, &got, nullptr) && got == sizeof ack;
}

// A writer of ever higher values, ended at a random moment after its first acknowledged write, round after
// round: the file is always whole, and every write that returned true is still there (or overtaken).
TEST(WindowsWriterFaultTest, AKilledWriterLeavesNoCorruptFileAndLosesNoAcknowledgedWrite) {
    constexpr int kRounds = 100, kMinRounds = 15;
    const auto deadline = std::chrono::steady_clock::now() + 40s;
    const std::filesystem::path path = TempFile(L"zelto-killed-writer.ini");
    static const std::regex whole(R"(\[Zelto Systems Premium\]\r\n((counter|slot[0-7])=[0-9]+\r\n)*)");
    std::mt19937 random(3);
    std::array<int, kSlots + 1> acked{};
    int round = 0;
    for (; round < kRounds && !HasFailure() && (round < kMinRounds || std::chrono::steady_clock::now() < deadline);
         ++round) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE read = nullptr, write = nullptr;
        ASSERT_TRUE(::CreatePipe(&read, &write, &inherit, 0));
        ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        {
            Writer writer(L"counter \"" + path.native() + L"\"", write);
            ::CloseHandle(write);
            std::array<int, 2> ack{};
            ASSERT_TRUE(ReadAck(read, ack)) << round << ": the writer got no write done";
            acked[static_cast<std::size_t>(ack[0])] = ack[1];
            ::Sleep(random() % 5);
        } // TerminateProcess
        for (std::array<int, 2> ack{}; ReadAck(read, ack);)
            acked[static_cast<std::size_t>(ack[0])] = ack[1];
        ::CloseHandle(read);

        std::ifstream file(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(std::regex_match(bytes, whole)) << round << ":\n" << bytes;
        const SettingsFile settings(path);
        for (int key = 0; key <= kSlots; ++key)
            EXPECT_GE(settings.ReadInt(Key(key), 0), acked[static_cast<std::size_t>(key)]) << round << ": " << Key(key);
    }
    std::cout << round << " writers ended mid-write\n";
}

// Two processes adding and removing domains at once: they take turns through the lock file, and no domain is
// lost or doubled.
TEST(WindowsWriterFaultTest, TwoWritersLoseNoDomain) {
    const std::filesystem::path path = TempFile(L"zelto-two-writers.ini");
    const std::wstring file = L" \"" + path.native() + L"\" ";
    Writer first(L"adder" + file + L"1", ::GetStdHandle(STD_OUTPUT_HANDLE));
    Writer second(L"adder" + file + L"2", ::GetStdHandle(STD_OUTPUT_HANDLE));
    EXPECT_EQ(first.Wait(60000), 0u);
    EXPECT_EQ(second.Wait(60000), 0u);
    std::multiset<std::string> expected, stored;
    for (const char* copy : {"1", "2"})
        for (int i = 2; i <= 50; i += 2)
            expected.insert(std::string("c").append(copy).append("n").append(std::to_string(i)));
    const SettingsFile settings(path);
    for (int n = 1; n <= settings.ReadInt("numofdomains", 0); ++n)
        stored.insert(settings.ReadText("second_level" + std::to_string(n)));
    EXPECT_EQ(stored, expected);
}

} // namespace
} // namespace zelto
