// A copy of the client's settings writes, for the Windows fault tests: a process of its own, so that the test
// can end it with TerminateProcess in the middle of a write.
//   settings-writer counter PATH: writes ever higher values, reporting each acknowledged write on standard
//                                 output as two ints {key, value}; key 8 is "counter", 0-7 are "slot0".."slot7".
//   settings-writer adder PATH COPY: adds 50 domains c<COPY>n<i>.net and removes every second one; exit 0 when
//                                    every change was carried out.

#include "config/DomainList.h"
#include "settings/SettingsFile.h"

#include <windows.h>

#include <string>

namespace {

constexpr int kSlots = 8;

int Counter(const std::wstring& path) {
    zelto::SettingsFile settings{std::filesystem::path(path)};
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    for (int value = settings.ReadInt("counter", 0) + 1;; ++value) {
        for (const int key : {kSlots, value % kSlots}) {
            const int ack[2] = {key, value};
            std::string name = "counter";
            if (key != kSlots)
                name = "slot", name += std::to_string(key);
            DWORD written = 0;
            if (settings.WriteInt(name, value) && !::WriteFile(out, ack, sizeof ack, &written, nullptr))
                return 1;
        }
    }
}

int Adder(const std::wstring& path, const std::wstring& copy) {
    zelto::SettingsFile settings{std::filesystem::path(path)};
    // Appended piece by piece: a text put in front of a string makes g++ 12 warn of an impossible overlap.
    const auto label = [&](int i) {
        std::string text = "c";
        text.append(copy.begin(), copy.end());
        text += 'n';
        text += std::to_string(i);
        return text;
    };
    for (int i = 1; i <= 50; ++i) {
        if (!zelto::AddDomain(settings, {label(i), "net", "pw" + label(i)}).carriedOut)
            return 1;
        if (i % 2 == 0 && !zelto::RemoveDomain(settings, {label(i - 1), "net", "pw" + label(i - 1)}).carriedOut)
            return 1;
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 2 ? argv[1] : L"";
    if (mode == L"counter")
        return Counter(argv[2]);
    if (mode == L"adder" && argc > 3)
        return Adder(argv[2], argv[3]);
    return 2;
}
