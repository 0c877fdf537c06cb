// The client's settings writes in a process of their own, which the writer fault tests end at a random moment:
//   settings-writer counter PATH: writes ever higher values to "counter" and one of "slot0".."slot7", reporting
//                                 each acknowledged write on standard output as a line "KEY VALUE".
//   settings-writer adder PATH COPY COUNT: reads the domain count and says "r", waits for a line on standard
//                                 input, then adds COUNT domains c<COPY>n<i>.net, removing every second one's
//                                 predecessor and writing the update record 10.0.0.<COPY> at hour, day and year
//                                 <COPY>, with an "a" after each add; exit 0 when every change was carried out.
//   settings-writer grower PATH COPY COUNT: as adder, without the removals.

#include "config/DomainList.h"
#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"

#include <cstdio>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

bool Say(const void* bytes, std::size_t size) {
    return std::fwrite(bytes, 1, size, stdout) == size && std::fflush(stdout) == 0;
}

int Counter(const char* path) {
    zelto::SettingsFile settings{std::filesystem::path(path)};
    for (int value = settings.ReadInt("counter", 0) + 1;; ++value) {
        std::string slot = "slot";
        slot += std::to_string(value % 8); // appended: see Adder
        for (const std::string& key : {std::string("counter"), slot}) {
            const std::string ack = key + " " + std::to_string(value) + "\n";
            if (settings.WriteInt(key, value) && !Say(ack.data(), ack.size()))
                return 1;
        }
    }
}

int Adder(const char* path, const std::string& copy, int count, bool removes) {
    zelto::SettingsFile settings{std::filesystem::path(path)};
    // Appended piece by piece: a text put in front of a string makes g++ 12 warn of an impossible overlap.
    const auto label = [&](int i) {
        std::string text = "c";
        text += copy;
        text += 'n';
        text += std::to_string(i);
        return text;
    };
    if (settings.ReadInt("numofdomains", -1) < 0 || !Say("r", 1) || std::getchar() == EOF)
        return 2;
    for (int i = 1; i <= count; ++i) {
        if (!zelto::AddDomain(settings, {label(i), "net", "pw" + label(i)}).carriedOut)
            return 1;
        if (removes && i % 2 == 0 &&
            !zelto::RemoveDomain(settings, {label(i - 1), "net", "pw" + label(i - 1)}).carriedOut)
            return 1;
        if (removes && !zelto::ClientSettings(settings).WriteUpdateRecord({"10.0.0." + copy, {copy, copy, copy}, {}}))
            return 1;
        if (!Say("a", 1))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY); // the acknowledgements end in a bare line feed
#endif
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "counter")
        return Counter(argv[2]);
    if ((mode == "adder" || mode == "grower") && argc > 4)
        return Adder(argv[2], argv[3], std::stoi(argv[4]), mode == "adder");
    return 2;
}
