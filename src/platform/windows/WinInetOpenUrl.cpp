#include "platform/windows/WinInetOpenUrl.h"

#include "platform/windows/CertificateBundle.h"

#include <utility>

namespace zelto {
namespace {

struct UrlParts {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring target; // path and query
};

UrlParts Crack(const std::wstring& url) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(url.c_str(), 0, 0, &parts))
        return {};
    return {parts.nScheme, std::wstring(parts.lpszHostName, parts.dwHostNameLength), parts.nPort,
            std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength)};
}

// Sends the request; a server whose authority the system does not know is asked again with that verdict set
// aside, for the bundle to judge. Its name and dates are still WinINet's to check. Revocation goes with the
// authority: a private one seldom publishes a list, Wine reports an unknown authority as a failed revocation
// check, and the Linux client checks no lists either.
bool SendForBundle(HINTERNET request) {
    if (::HttpSendRequestW(request, nullptr, 0, nullptr, 0))
        return true;
    const DWORD error = ::GetLastError();
    if (error != ERROR_INTERNET_INVALID_CA && error != ERROR_INTERNET_SEC_CERT_REV_FAILED)
        return false;
    DWORD flags = 0;
    DWORD size = sizeof flags;
    ::InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
    flags |= SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_REVOCATION;
    return ::InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags) &&
           ::HttpSendRequestW(request, nullptr, 0, nullptr, 0);
}

// Opens the connection the request is to go out on with a request that carries nothing secret, and has the
// bundle judge its certificate; the connection then waits, kept alive, for the request itself.
DWORD Probe(HINTERNET connection, DWORD flags, DWORD_PTR context, const CertificateBundle& bundle,
            const std::wstring& host) {
    HINTERNET probe = ::HttpOpenRequestW(connection, L"HEAD", L"/", nullptr, nullptr, nullptr,
                                         flags | INTERNET_FLAG_SECURE | INTERNET_FLAG_KEEP_CONNECTION, context);
    const DWORD error = probe == nullptr || !SendForBundle(probe) ? ::GetLastError() : bundle.Verdict(probe, host);
    if (probe != nullptr)
        ::InternetCloseHandle(probe);
    return error;
}

} // namespace

HttpFailure FailureOf(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return HttpFailure::NameNotResolved;
    case ERROR_INTERNET_CANNOT_CONNECT:
        return HttpFailure::ConnectionRefused;
    case ERROR_INTERNET_TIMEOUT:
        return HttpFailure::TimedOut;
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    // Wine reports an authority it does not know as a failed revocation check.
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
        return HttpFailure::CertificateNotTrusted;
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        return HttpFailure::CertificateForAnotherName;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        return HttpFailure::SecureChannelFailed;
    case ERROR_INTERNET_OPERATION_CANCELLED:
        return HttpFailure::Stopped;
    default:
        break;
    }
    return HttpFailure::ConnectionBroken;
}

OpenedUrl::OpenedUrl(OpenedUrl&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)), request_(std::exchange(other.request_, nullptr)) {}

OpenedUrl& OpenedUrl::operator=(OpenedUrl&& other) noexcept {
    if (this != &other) {
        Close();
        connection_ = std::exchange(other.connection_, nullptr);
        request_ = std::exchange(other.request_, nullptr);
    }
    return *this;
}

OpenedUrl::~OpenedUrl() {
    Close();
}

void OpenedUrl::Close() {
    if (request_ != nullptr)
        ::InternetCloseHandle(std::exchange(request_, nullptr));
    if (connection_ != nullptr)
        ::InternetCloseHandle(std::exchange(connection_, nullptr));
}

OpenedUrl OpenUrl(HINTERNET internet, const std::wstring& url, DWORD flags, DWORD_PTR context,
                  const CertificateBundle* bundle) {
    const UrlParts parts = bundle != nullptr ? Crack(url) : UrlParts{};
    if (parts.scheme != INTERNET_SCHEME_HTTPS)
        return OpenedUrl(nullptr, ::InternetOpenUrlW(internet, url.c_str(), nullptr, 0, flags, context));
    HINTERNET connection = ::InternetConnectW(internet, parts.host.c_str(), parts.port, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, context);
    if (connection == nullptr)
        return {};
    // The request carries the password: it goes out only on the connection the bundle vouched for. Should
    // WinINet open another, that one must satisfy the system's store, and the answer the bundle again.
    DWORD error = Probe(connection, flags, context, *bundle, parts.host);
    OpenedUrl opened(connection,
                     error != ERROR_SUCCESS
                         ? nullptr
                         : ::HttpOpenRequestW(connection, L"GET", parts.target.c_str(), nullptr, nullptr, nullptr,
                                              flags | INTERNET_FLAG_SECURE | INTERNET_FLAG_KEEP_CONNECTION, context));
    if (error == ERROR_SUCCESS)
        error = !opened || !::HttpSendRequestW(opened.Request(), nullptr, 0, nullptr, 0)
                    ? ::GetLastError()
                    : bundle->Verdict(opened.Request(), parts.host);
    if (error == ERROR_SUCCESS)
        return opened;
    // The caller tells why from the last error, as after InternetOpenUrlW: closing the handles must not change it.
    opened = OpenedUrl();
    ::SetLastError(error);
    return {};
}

} // namespace zelto
