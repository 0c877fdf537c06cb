// Arbitrary bytes as the settings file, then reads and writes through SettingsFile. Whatever the file holds:
// a text read is at most 68 characters; a write of a writable key and value succeeds, reads back, changes no
// other key and lands in the file on disk; a refused write leaves the file as it was; the same writes made in
// one pass over the first text read back as they do one by one.

#include "FuzzCheck.h"
#include "settings/IniDocument.h"
#include "settings/SettingsFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using zelto::IniDocument;
using zelto::SettingsFile;

const char* const kKeys[] = {"numofdomains", "first_level1", "second_level1", "password1", "ipmethod", "one",
                             "updatedip",    "updatedhour",  "NumOfDomains",  " ipmethod", "a",        ""};

fs::path Folder() {
    static const fs::path folder = [] {
        // The system's temporary folder, a disk as a rule, as users' settings files are.
        fs::path base = fs::temp_directory_path();
        fs::path made = base / ("zelto-fuzz-settings-" + std::to_string(::getpid()));
        fs::create_directories(made);
        return made;
    }();
    return folder;
}

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A new file put in place by rename, as another program would save it.
void Replace(const fs::path& path, const std::string& content) {
    const fs::path next = path.string() + ".next";
    std::ofstream(next, std::ios::binary | std::ios::trunc) << content;
    fs::rename(next, path);
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

bool SameKey(std::string_view a, std::string_view b) {
    return zelto::CaseInsensitiveEqual{}(Trimmed(a), Trimmed(b));
}

std::string Key(FuzzedDataProvider& input) {
    if (input.ConsumeBool())
        return kKeys[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)];
    return input.ConsumeRandomLengthString(16);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const fs::path path = Folder() / "ZeltoPre.INI";
    const std::string original = input.ConsumeRandomLengthString(4096);
    Replace(path, original);
    SettingsFile settings(path);
    std::vector<std::pair<std::string, std::string>> writes;

    std::vector<std::string> probes(std::begin(kKeys), std::end(kKeys));
    for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
        const std::string key = Key(input);
        probes.push_back(key);
        if (input.ConsumeBool()) {
            FUZZ_CHECK(settings.ReadText(key).size() <= SettingsFile::kMaxTextLength);
            settings.ReadInt(key, 7);
            continue;
        }
        const bool asInt = input.ConsumeBool();
        const int number = input.ConsumeIntegral<int>();
        const std::string value = asInt ? std::to_string(number) : input.ConsumeRandomLengthString(100);

        std::vector<std::string> before;
        for (const std::string& probe : probes)
            before.push_back(settings.ReadText(probe));
        const std::string bytesBefore = Bytes(path);
        const bool writable = zelto::IsWritableKey(key) && zelto::IsWritableValue(value);
        const bool written = asInt ? settings.WriteInt(key, number) : settings.WriteText(key, value);

        FUZZ_CHECK(written == writable);
        if (!written) {
            FUZZ_CHECK(Bytes(path) == bytesBefore);
            continue;
        }
        writes.emplace_back(key, value);
        FUZZ_CHECK(settings.ReadText(key) == value.substr(0, SettingsFile::kMaxTextLength));
        if (asInt)
            FUZZ_CHECK(settings.ReadInt(key, number == 0 ? 1 : 0) == number);
        const IniDocument onDisk(Bytes(path), SettingsFile::kSection);
        FUZZ_CHECK(onDisk.Find(key) == std::optional<std::string_view>(value));
        for (std::size_t i = 0; i < probes.size(); ++i) {
            if (!SameKey(probes[i], key))
                FUZZ_CHECK(settings.ReadText(probes[i]) == before[i]);
        }
        // Writing the same value again changes nothing.
        const std::string bytesAfter = Bytes(path);
        FUZZ_CHECK(settings.WriteText(key, value));
        FUZZ_CHECK(Bytes(path) == bytesAfter);
    }
    const std::vector<std::pair<std::string_view, std::string_view>> batch(writes.begin(), writes.end());
    const IniDocument oneByOne(Bytes(path), SettingsFile::kSection);
    const IniDocument inOnePass(IniDocument(original, SettingsFile::kSection).WithValues(batch),
                                SettingsFile::kSection);
    for (const std::string& probe : probes)
        FUZZ_CHECK(inOnePass.Find(probe) == oneByOne.Find(probe));
    return 0;
}
