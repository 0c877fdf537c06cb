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

    // True when the server certificate of the answered request chains to one of the bundle's certificates
    // alone (the system's store plays no part) without a fault, and is made out to `host`.
    bool VouchesFor(HINTERNET request, const std::wstring& host) const;

private:
    HCERTSTORE store_;
};

} // namespace zelto
