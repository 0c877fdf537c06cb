#pragma once

#include <windows.h>

#include <wincrypt.h>
#include <wininet.h>

#include <filesystem>
#include <string>

namespace zelto {

// The certificates of a PEM bundle ("cafile"), the only authorities an "https://" server is then trusted on.
class CertificateBundle {
public:
    // An empty bundle when the file cannot be read or holds no certificate: it then vouches for no one.
    explicit CertificateBundle(const std::filesystem::path& pemFile);
    ~CertificateBundle();
    CertificateBundle(const CertificateBundle&) = delete;
    CertificateBundle& operator=(const CertificateBundle&) = delete;

    // Whether the bundle vouches for the server certificate of the answered request, in WinINet's terms:
    // ERROR_SUCCESS when it chains to one of the bundle's certificates alone (the system's store plays no
    // part) without a fault and is made out to `host`; ERROR_INTERNET_INVALID_CA when the chain does not hold,
    // ERROR_INTERNET_SEC_CERT_CN_INVALID when the name does not match.
    unsigned long Verdict(HINTERNET request, const std::wstring& host) const;

private:
    HCERTSTORE store_;
};

} // namespace zelto
