// Where the settings live on Windows: %APPDATA%\Zelto Premium\ZeltoPre.INI, and until that file exists, the
// original client's file in the Windows folder, or its copy where Windows redirected the original's writes.

#include "settings/windows/WindowsSettingsLocation.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsHome.h"

#include <windows.h>
// after windows.h, which it needs
#include <knownfolders.h>
#include <shlobj.h>

#include <cwchar>
#include <system_error>

namespace zelto {
namespace {

namespace fs = std::filesystem;

fs::path KnownFolder(REFKNOWNFOLDERID id, const wchar_t* variable) {
    PWSTR found = nullptr;
    fs::path folder;
    if (::SHGetKnownFolderPath(id, 0, nullptr, &found) == S_OK)
        folder = found;
    ::CoTaskMemFree(found);
    if (folder.empty()) {
        const wchar_t* value = ::_wgetenv(variable);
        folder = value != nullptr ? value : L"";
    }
    return folder;
}

fs::path WindowsFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? fs::path(buffer) : fs::path();
}

fs::path Comparable(const fs::path& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path.lexically_normal() : canonical;
}

bool Exists(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

fs::path DefaultSettingsPath() {
    return KnownFolder(FOLDERID_RoamingAppData, L"APPDATA") / L"Zelto Premium" / SettingsFile::kFileName;
}

fs::path UserStateFolder() {
    return KnownFolder(FOLDERID_LocalAppData, L"LOCALAPPDATA") / L"Zelto Premium";
}

std::optional<fs::path> SystemServiceSettingsForRoot() {
    return std::nullopt;
}

// Only the default location takes over the original's file: one named with --settings is the user's own.
fs::path StartingContentFor(const fs::path& path) {
    if (::_wcsicmp(Comparable(path).c_str(), Comparable(DefaultSettingsPath()).c_str()) != 0)
        return {};
    const fs::path redirected =
        KnownFolder(FOLDERID_LocalAppData, L"LOCALAPPDATA") / L"VirtualStore" / L"Windows" / SettingsFile::kFileName;
    if (Exists(redirected))
        return redirected;
    const fs::path windows = WindowsFolder();
    return windows.empty() ? fs::path() : windows / SettingsFile::kFileName;
}

} // namespace zelto
