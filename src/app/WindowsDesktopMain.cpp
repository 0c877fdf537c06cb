// zelto-premium.exe: the desktop program, the settings file and the Windows adapters handed to the
// application object.
#include "app/WindowsPlatform.h"
#include "platform/windows/WideText.h"
#include "settings/SettingsHome.h"
#include "win32/DesktopClient.h"
#include "win32/MessageBox.h"
#include "win32/WaveSoundPlayer.h"

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace {

constexpr int kUsageError = 2;

// "--settings PATH" is the one argument; nullopt for anything else.
std::optional<std::filesystem::path> SettingsPathFromCommandLine() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return std::nullopt;
    std::optional<std::filesystem::path> path = zelto::DefaultSettingsPath();
    if (argc == 3 && std::wstring_view(argv[1]) == L"--settings" && *argv[2] != L'\0')
        path = std::filesystem::path(argv[2]);
    else if (argc != 1)
        path = std::nullopt;
    LocalFree(argv);
    return path;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace zelto;
    using namespace zelto::win32;
    const std::optional<std::filesystem::path> settingsPath = SettingsPathFromCommandLine();
    if (!settingsPath) {
        ShowWarningMessage(nullptr, "Usage: " + Narrow(ApplicationName()) + " [--settings PATH]");
        return kUsageError;
    }
    // The application's name, the executable's base name, is also the agent name of every request.
    WindowsPlatform platform(Narrow(ApplicationName()), std::make_unique<WaveSoundPlayer>());
    return RunDesktopClient(*settingsPath, platform.Ports());
}
