#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

namespace zelto {

class CertificateBundle;

// An answered request, and the connection handle opened for it when there is one; both close with it.
class OpenedUrl {
public:
    OpenedUrl() = default;
    OpenedUrl(HINTERNET connection, HINTERNET request) : connection_(connection), request_(request) {}
    OpenedUrl(OpenedUrl&& other) noexcept;
    OpenedUrl& operator=(OpenedUrl&& other) noexcept;
    ~OpenedUrl();

    HINTERNET Request() const { return request_; }
    explicit operator bool() const { return request_ != nullptr; }

private:
    void Close();

    HINTERNET connection_ = nullptr;
    HINTERNET request_ = nullptr;
};

// Opens a URL as InternetOpenUrlW does. With a bundle, an "https://" server is trusted on the bundle alone:
// WinINet's own verdict on an unknown authority is set aside, and the certificate is checked against the
// bundle before the answer is read; an answer the bundle does not vouch for is none. Without an answer, the
// thread's last error says why, in WinINet's codes. WinINet shows no
// certificate before a request is sent, so the request (with its password) reaches a server the system
// trusts, or whose certificate is made out to the right name, before the bundle refuses it.
OpenedUrl OpenUrl(HINTERNET internet, const std::wstring& url, DWORD flags, DWORD_PTR context,
                  const CertificateBundle* bundle);

} // namespace zelto
