// What the command line and the dialogs accept: address texts (ParseAddressText and back) and domain entries
// (AddDomain's validation on a real settings file). An accepted address prints as itself without leading
// zeros and parses back to the same fields; an accepted domain reads back exactly as given and is counted; a
// refused one writes nothing.

#include "FuzzCheck.h"
#include "config/AddressText.h"
#include "config/DomainList.h"
#include "settings/SettingsFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace zelto;

fs::path SettingsPath() {
    static const fs::path path = [] {
        const char* shm = "/dev/shm";
        const fs::path base = fs::is_directory(shm) ? fs::path(shm) : fs::temp_directory_path();
        const fs::path folder = base / ("zelto-fuzz-domains-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        return folder / "ZeltoPre.INI";
    }();
    return path;
}

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void CheckAddress(const std::string& text) {
    const std::optional<AddressFields> fields = ParseAddressText(text);
    if (!fields)
        return;
    for (int part : fields->part)
        FUZZ_CHECK(part >= 0 && part <= 255);
    const std::string printed = fields->ToText();
    FUZZ_CHECK(ParseAddressText(printed) == fields);
    FUZZ_CHECK(printed.size() <= text.size());
    std::istringstream parts(printed);
    std::string part;
    while (std::getline(parts, part, '.'))
        FUZZ_CHECK(part == "0" || part.front() != '0');
}

void CheckFields(FuzzedDataProvider& input) {
    AddressFields fields;
    for (int& part : fields.part)
        part = input.ConsumeIntegralInRange(0, 255);
    FUZZ_CHECK(ParseAddressText(fields.ToText()) == fields);
}

void CheckAddDomain(const DomainInput& entry, int startCount) {
    const fs::path path = SettingsPath();
    fs::remove(path);
    SettingsFile settings(path);
    FUZZ_CHECK(settings.WriteInt("numofdomains", startCount));
    const std::string before = Bytes(path);

    const DomainOutcome outcome = AddDomain(settings, entry);
    FUZZ_CHECK(!outcome.writeFailed);
    if (!outcome.carriedOut) {
        FUZZ_CHECK(Bytes(path) == before);
        return;
    }
    const int n = startCount + 1;
    FUZZ_CHECK(n <= ClientSettingsView::kMaxDomains);
    FUZZ_CHECK(settings.ReadInt("numofdomains", 0) == n);
    FUZZ_CHECK(settings.ReadText(IndexedKey("second_level", n)) == entry.domain);
    FUZZ_CHECK(settings.ReadText(IndexedKey("first_level", n)) == entry.topLevel);
    FUZZ_CHECK(settings.ReadText(IndexedKey("password", n)) == entry.password);
    // What the update request sends is what was typed; nothing of it may break the request line.
    for (const std::string* text : {&entry.domain, &entry.topLevel, &entry.password})
        FUZZ_CHECK(text->find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    // The list ends with the new entry, less the commas and blanks that end the list text.
    std::string shown = entry.domain + "." + entry.topLevel;
    shown.erase(shown.find_last_not_of(", ") + 1);
    FUZZ_CHECK(outcome.status.find(shown + " loaded.") != std::string::npos);

    // The entry added can be removed again by the same three values.
    const DomainOutcome removed = RemoveDomain(settings, entry);
    FUZZ_CHECK(removed.carriedOut);
    FUZZ_CHECK(settings.ReadInt("numofdomains", 0) == startCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    CheckAddress(input.ConsumeRandomLengthString(24));
    CheckFields(input);
    DomainInput entry;
    entry.domain = input.ConsumeRandomLengthString(80);
    entry.topLevel = input.ConsumeRandomLengthString(80);
    entry.password = input.ConsumeRandomLengthString(12);
    // Now and then at the edge of a full list, whose every entry costs reads.
    const int startCount = input.ConsumeIntegralInRange(0, 15) == 0
                               ? ClientSettingsView::kMaxDomains - input.ConsumeIntegralInRange(0, 1)
                               : input.ConsumeIntegralInRange(0, 3);
    CheckAddDomain(entry, startCount);
    return 0;
}
