#include "win32/DesktopClient.h"

#include "desktop/DesktopStart.h"
#include "win32/ClientApp.h"
#include "win32/HandOver.h"
#include "win32/MessageBox.h"

namespace zelto::win32 {

namespace {

// The start's questions, answered with Win32.
class Win32DesktopStart : public DesktopStartView {
public:
    Win32DesktopStart(const std::filesystem::path& settings, const PlatformPorts& platform)
        : m_settingsPath(settings), m_platform(platform) {}

    bool HandOver() override { return HandOverToRunningClient(m_settingsPath); }

    void Tell(const std::string& text) override { ShowWarningMessage(nullptr, text); }

    int Run(SettingsFile& settings) override {
        CClientApp app(settings, m_platform);
        if (!app.InitInstance())
            return 1;
        app.Run();
    }

private:
    std::filesystem::path m_settingsPath;
    const PlatformPorts& m_platform;
};

} // namespace

int RunDesktopClient(const std::filesystem::path& settings, const PlatformPorts& platform) {
    Win32DesktopStart start(settings, platform);
    return StartDesktop(settings, start);
}

} // namespace zelto::win32
