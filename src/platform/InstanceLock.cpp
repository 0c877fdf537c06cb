#include "platform/InstanceLock.h"
#include "platform/InstanceRecord.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace zelto {

namespace {

constexpr std::string_view kDesktop = "desktop";
constexpr std::string_view kHeadless = "headless";

} // namespace

// Beside the file the path finally names, so that every spelling of it (a link, a relative path, "..")
// meets at one lock file.
std::filesystem::path InstanceLock::LockPath(const std::filesystem::path& settings) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(std::filesystem::absolute(settings, error), error);
    if (error)
        path = settings;
    path += ".run";
    return path;
}

std::string FormatInstanceRecord(long long pid, ClientKind kind) {
    return std::to_string(pid) + " " + std::string(kind == ClientKind::Desktop ? kDesktop : kHeadless) + "\n";
}

InstanceHolder ParseInstanceRecord(std::string_view text) {
    InstanceHolder holder;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), holder.pid);
    if (error != std::errc() || holder.pid <= 0)
        return {};
    std::string_view rest = text.substr(static_cast<std::size_t>(end - text.data()));
    if (rest.starts_with(' '))
        rest.remove_prefix(1);
    if (rest.starts_with(kDesktop))
        holder.kind = ClientKind::Desktop;
    else if (rest.starts_with(kHeadless))
        holder.kind = ClientKind::Headless;
    return holder;
}

} // namespace zelto
