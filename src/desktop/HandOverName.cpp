#include "desktop/HandOverName.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace zelto {

std::string HandOverName(const std::filesystem::path& settings) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(settings, error), error);
    if (error)
        full = settings.lexically_normal();
    std::string text = full.generic_string();
#ifdef _WIN32
    // Windows paths differ in case alone for the same file.
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
#endif
    // FNV-1a: a short, stable name that carries no part of the user's path.
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ULL;
    char name[40];
    std::snprintf(name, sizeof name, "zelto-premium-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

} // namespace zelto
