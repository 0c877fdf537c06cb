#include "platform/windows/RunKeyAutostart.h"

#include "platform/windows/SystemError.h"

#include <windows.h>

namespace zelto {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"Zelto Premium";
constexpr const wchar_t* kDesktopProgram = L"zelto-premium.exe";

} // namespace

std::optional<std::wstring> RunKeyAutostart::Command(const std::optional<std::filesystem::path>& settings) {
    std::wstring command = L"\"" + (ThisProgramPath().parent_path() / kDesktopProgram).native() + L"\"";
    if (settings) {
        const std::wstring path = std::filesystem::absolute(*settings).native();
        if (path.find(L'"') != std::wstring::npos)
            return std::nullopt;
        command += L" --settings \"" + path + L"\"";
    }
    return command;
}

bool RunKeyAutostart::Enable(const std::wstring& command, std::string& problem) {
    const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    const LONG result = ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName, REG_SZ, command.c_str(), bytes);
    if (result != ERROR_SUCCESS)
        problem = SystemErrorText(static_cast<unsigned long>(result));
    return result == ERROR_SUCCESS;
}

bool RunKeyAutostart::Disable(bool& removed, std::string& problem) {
    const LONG result = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    removed = result == ERROR_SUCCESS;
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return true;
    problem = SystemErrorText(static_cast<unsigned long>(result));
    return false;
}

std::optional<std::wstring> RunKeyAutostart::Current() {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return value;
}

} // namespace zelto
