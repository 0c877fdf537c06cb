#include "platform/windows/WinInetRedirects.h"

namespace zelto {
namespace {

constexpr int kMaxRedirects = 5;
constexpr DWORD kMaxHead = 64 * 1024;

// WinINet has taken in the whole head by now (the session gives up on one that floods memory before it gets
// here): its size, asked for before its content, decides.
bool HeadTooLong(HINTERNET request) {
    DWORD size = 0; // in bytes of UTF-16
    ::HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    return size / sizeof(wchar_t) > kMaxHead;
}

bool IsRedirect(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return false;
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::wstring LocationOf(HINTERNET request) {
    DWORD size = 0; // in bytes
    ::HttpQueryInfoW(request, HTTP_QUERY_LOCATION, nullptr, &size, nullptr);
    std::wstring location(size / sizeof(wchar_t) + 1, L'\0');
    if (size == 0 || !::HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr))
        return {};
    location.resize(size / sizeof(wchar_t));
    return location;
}

std::wstring Resolve(const std::wstring& base, const std::wstring& location) {
    std::wstring url(INTERNET_MAX_URL_LENGTH * 4, L'\0');
    DWORD length = static_cast<DWORD>(url.size());
    if (!::InternetCombineUrlW(base.c_str(), location.c_str(), url.data(), &length, ICU_NO_ENCODE))
        return {};
    url.resize(length);
    return url;
}

INTERNET_SCHEME SchemeOf(const std::wstring& url) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1; // ask for the scheme
    return ::InternetCrackUrlW(url.c_str(), 0, 0, &parts) ? parts.nScheme : INTERNET_SCHEME_UNKNOWN;
}

bool MayFollow(const std::wstring& from, const std::wstring& to) {
    const INTERNET_SCHEME target = SchemeOf(to);
    if (SchemeOf(from) == INTERNET_SCHEME_HTTPS)
        return target == INTERNET_SCHEME_HTTPS;
    return target == INTERNET_SCHEME_HTTP || target == INTERNET_SCHEME_HTTPS;
}

OpenedUrl Refuse(HttpFailure why, HttpFailure& failure) {
    failure = why;
    return {};
}

} // namespace

OpenedUrl OpenUrlFollowingRedirects(HINTERNET internet, const std::wstring& url, DWORD flags, DWORD_PTR context,
                                    const CertificateBundle* bundle, HttpFailure& failure) {
    std::wstring current = url;
    for (int redirects = 0;; ++redirects) {
        OpenedUrl opened = OpenUrl(internet, current, flags | INTERNET_FLAG_NO_AUTO_REDIRECT, context, bundle);
        if (!opened)
            return Refuse(FailureOf(::GetLastError()), failure);
        if (HeadTooLong(opened.Request()))
            return Refuse(HttpFailure::AnswerTooLong, failure);
        const std::wstring location = IsRedirect(opened.Request()) ? LocationOf(opened.Request()) : std::wstring();
        if (location.empty())
            return opened;
        opened = OpenedUrl();
        if (redirects == kMaxRedirects)
            return Refuse(HttpFailure::TooManyRedirects, failure);
        const std::wstring next = Resolve(current, location);
        if (next.empty() || !MayFollow(current, next))
            return Refuse(HttpFailure::RedirectRefused, failure);
        current = next;
    }
}

} // namespace zelto
