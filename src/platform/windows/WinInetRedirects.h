#pragma once

#include "platform/windows/WinInetOpenUrl.h"

#include <string>

namespace zelto {

// Opens a URL as OpenUrl does, but follows redirects itself by the Linux client's rules, since
// WinINet's own following has no limit: at most 5; only 301, 302, 303, 307 and 308 with a Location; only to
// http or https, and from https only to https. Each hop asks for what its Location says and nothing more,
// so the update URL with its password reaches no other host. An answer whose head outgrows 64 KiB is none,
// as with the Linux sessions. Returns the final answer, or none with `failure` set to why.
OpenedUrl OpenUrlFollowingRedirects(HINTERNET internet, const std::wstring& url, DWORD flags, DWORD_PTR context,
                                    const CertificateBundle* bundle, HttpFailure& failure);

} // namespace zelto
