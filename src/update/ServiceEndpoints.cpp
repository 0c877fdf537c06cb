#include "update/ServiceEndpoints.h"

#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"

#include <cctype>

namespace zelto {

namespace {

// Removes `scheme` from the front of `text`, in any letter case; false when it is not there.
bool TakeScheme(std::string& text, std::string_view scheme) {
    if (text.size() < scheme.size())
        return false;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != scheme[i])
            return false;
    text.erase(0, scheme.size());
    return true;
}

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

} // namespace

ServiceEndpoints::ServiceEndpoints(const SettingsFile& settings) {
    const SettingsFile::Lock lock(settings);
    const ClientSettingsView view(settings);
    authority_ = view.UpdateServer();
    secure_ = TakeScheme(authority_, "https://");
    if (!secure_)
        TakeScheme(authority_, "http://");
    if (authority_.ends_with('/'))
        authority_.pop_back();
    caFile_ = view.CaFile();
    webSite_ = view.WebSite();
}

std::string ServiceEndpoints::UpdateServer() const {
    return authority_;
}

bool ServiceEndpoints::UpdateServerSecure() const {
    return secure_;
}

std::string ServiceEndpoints::UpdateServerBase() const {
    return (secure_ ? "https://" : "http://") + authority_;
}

std::string ServiceEndpoints::UpdateServerUrl() const {
    return UpdateServerBase() + "/";
}

HttpTrust ServiceEndpoints::UpdateServerTrust() const {
    return HttpTrust{caFile_};
}

std::string ServiceEndpoints::WebSite() const {
    return webSite_;
}

std::string ServiceEndpoints::UpdateUrl(const std::string& firstLevel, const std::string& secondLevel,
                                        const std::string& password, const std::string& address) const {
    std::string url = UpdateServerBase() + "/premium/update.asp?first=" + PercentEncode(firstLevel) +
                      "&second=" + PercentEncode(secondLevel) + "&password=" + PercentEncode(password);
    if (!address.empty())
        url += "&ip_address=" + PercentEncode(address);
    return url;
}

std::string ServiceEndpoints::InitializeUrl(const std::string& firstLevel, const std::string& secondLevel,
                                            const std::string& password) const {
    return UpdateServerBase() + "/premium/initialize.asp?first=" + PercentEncode(firstLevel) +
           "&second=" + PercentEncode(secondLevel) + "&password=" + PercentEncode(password);
}

std::string ServiceEndpoints::IpCheckUrl() const {
    return UpdateServerBase() + "/premium/ipcheck.asp";
}

std::string ServiceEndpoints::WebInterfacePage() const {
    return "https://" + WebSite() + "/premium/manage_dns.asp";
}

std::string ServiceEndpoints::HomePage() const {
    return "http://" + WebSite();
}

std::string ServiceEndpoints::RegistrationPage() const {
    return "http://" + WebSite() + "/register.htm";
}

std::string PercentEncode(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(value.size());
    for (unsigned char c : value) {
        if (Unreserved(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string MaskPassword(std::string_view url) {
    std::string masked(url);
    constexpr std::string_view kName = "password=";
    for (std::size_t separator = masked.find('?'); separator != std::string::npos;
         separator = masked.find('&', separator + 1)) {
        std::size_t name = separator + 1;
        if (masked.compare(name, kName.size(), kName) != 0)
            continue;
        std::size_t value = name + kName.size();
        std::size_t end = masked.find_first_of("&#", value);
        masked.replace(value, end == std::string::npos ? std::string::npos : end - value, "***");
    }
    return masked;
}

} // namespace zelto
