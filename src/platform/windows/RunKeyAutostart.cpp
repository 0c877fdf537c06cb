#include "platform/windows/RunKeyAutostart.h"

#include "platform/windows/SystemError.h"

#include <windows.h>

namespace zelto {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"Zelto Premium";
constexpr const wchar_t* kDesktopProgram = L"zelto-premium.exe";

} // namespace

std::string RunKeyAutostart::Place() const {
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Zelto Premium";
}

// A quote in the path would end the argument early: no command line could carry it.
Autostart::Outcome RunKeyAutostart::Enable(const std::optional<std::filesystem::path>& settings, std::string& problem) {
    std::wstring command = L"\"" + (ThisProgramPath().parent_path() / kDesktopProgram).native() + L"\"";
    if (settings) {
        const std::wstring path = std::filesystem::absolute(*settings).native();
        if (path.find(L'"') != std::wstring::npos)
            return Outcome::PathNotCarried;
        command += L" --settings \"" + path + L"\"";
    }
    const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    const LONG result = ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName, REG_SZ, command.c_str(), bytes);
    if (result == ERROR_SUCCESS)
        return Outcome::Done;
    problem = SystemErrorText(static_cast<unsigned long>(result));
    return Outcome::Failed;
}

Autostart::Outcome RunKeyAutostart::Disable(bool& removed, std::string& problem) {
    const LONG result = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    removed = result == ERROR_SUCCESS;
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return Outcome::Done;
    problem = SystemErrorText(static_cast<unsigned long>(result));
    return Outcome::Failed;
}

} // namespace zelto
