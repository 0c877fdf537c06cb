#pragma once

#include "platform/HttpSession.h"

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
// WinINet's own verdict on an unknown authority is set aside for a first request that carries nothing of the
// URL, and the request itself goes out only once the bundle vouched for that connection's certificate;
// the answer's certificate is judged again. Without an answer, the thread's last error says why, in WinINet's
// codes. WinINet shows no certificate before a request is sent and cannot be stopped from sending it once
// the connection is up: should it open a new connection for the request rather than take the kept-alive
// one, the request goes out on the strength of the system's store alone before the bundle refuses it.
OpenedUrl OpenUrl(HINTERNET internet, const std::wstring& url, DWORD flags, DWORD_PTR context,
                  const CertificateBundle* bundle);

// Why WinINet gave no answer, from the error code of its last call.
HttpFailure FailureOf(DWORD error);

} // namespace zelto
