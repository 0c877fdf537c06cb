#pragma once

#include <string>
#include <string_view>

namespace zelto {

class SettingsFile;

// Why a value for updateserver, website or cafile was refused; each is what a read of the file would get
// wrong, so nothing is written for it.
enum class ServiceValueProblem {
    None,
    TooLong,       // a read returns only the first 68 characters
    BadScheme,     // updateserver: only http:// and https:// (website: none, its pages add their own)
    BadHost,       // not a host name or address with an optional port 1-65535
    CaFileMissing, // cafile: no readable file there
    CaFileNotPem,  // cafile: the file holds no PEM certificate
    NotAbsolute,   // hook: a relative path would depend on the folder the client was started in
    NotAFile,      // hook: nothing to run there
    WriteFailed,
};

// updateserver: "[http://|https://]host[:port][/]"; "" puts back the built-in server.
ServiceValueProblem SetUpdateServer(SettingsFile& settings, std::string_view value);
// website: "host[:port]"; "" puts back the built-in site.
ServiceValueProblem SetWebSite(SettingsFile& settings, std::string_view value);
// cafile: a readable PEM bundle of certificates, stored as an absolute path; "" for the system's trusted
// certificates.
ServiceValueProblem SetCaFile(SettingsFile& settings, std::string_view path);

// hook: the absolute path of an executable file; "" for none.
ServiceValueProblem SetHook(SettingsFile& settings, std::string_view path);

// The words for a refusal, naming the key.
std::string ServiceValueProblemText(ServiceValueProblem problem, std::string_view key);

} // namespace zelto
