#include "update/AddressFilter.h"

#include "schema/ClientSettings.h"

#include <algorithm>
#include <array>

namespace zelto {

namespace {

struct ReservedTest {
    std::string_view literal;
    std::size_t leading; // how many leading characters of the address are compared; 0: the whole text
};

// Tried in this order; the first match decides.
constexpr std::array<ReservedTest, 20> kReservedRanges{{
    {"127.0.0.1", 0}, {"10.", 3},     {"172.16.", 7}, {"172.17.", 7}, {"172.18.", 7}, {"172.19.", 7}, {"172.20.", 7},
    {"172.21.", 7},   {"172.22.", 7}, {"172.23.", 7}, {"172.24.", 7}, {"172.25.", 7}, {"172.26.", 7}, {"172.27.", 7},
    {"172.28.", 7},   {"172.29.", 7}, {"172.30.", 7}, {"172.31.", 7}, {"192.168", 7}, {"169.254", 7},
}};

} // namespace

bool IsReservedAddress(std::string_view address) {
    return std::any_of(kReservedRanges.begin(), kReservedRanges.end(), [address](const ReservedTest& test) {
        return test.leading == 0 ? address == test.literal : address.substr(0, test.leading) == test.literal;
    });
}

bool IsIgnoredAddress(const SettingsFile& settings, std::string_view address) {
    const std::vector<std::string> ignored = ClientSettingsView(settings).IgnoredAddresses();
    return std::find(ignored.begin(), ignored.end(), address) != ignored.end();
}

std::vector<std::string> FilterAddressList(const SettingsFile& settings, const std::vector<std::string>& addresses) {
    if (addresses.empty())
        return {};
    const std::vector<std::string> ignored = ClientSettingsView(settings).IgnoredAddresses();
    std::vector<std::string> ordinary;
    std::vector<std::string> reserved;
    for (const std::string& address : addresses) {
        // The ignore test comes first: an ignored address is dropped even when it is reserved.
        if (std::find(ignored.begin(), ignored.end(), address) != ignored.end())
            continue;
        (IsReservedAddress(address) ? reserved : ordinary).push_back(address);
    }
    ordinary.insert(ordinary.end(), reserved.begin(), reserved.end());
    return ordinary;
}

} // namespace zelto
