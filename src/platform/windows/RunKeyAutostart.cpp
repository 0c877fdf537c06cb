#include "platform/windows/RunKeyAutostart.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <vector>

namespace zelto {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"Zelto Premium";
constexpr const wchar_t* kDesktopProgram = L"zelto-premium.exe";

std::string Reason(LONG error) {
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = text != nullptr ? text : L"error " + std::to_wstring(error);
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L'.'))
        reason.pop_back();
    return Narrow(reason);
}

std::filesystem::path ThisProgram() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size())
            return std::filesystem::path(std::wstring(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string RunKeyAutostart::Place() const {
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Zelto Premium";
}

// A quote in the path would end the argument early: no command line could carry it.
Autostart::Outcome RunKeyAutostart::Enable(const std::optional<std::filesystem::path>& settings, std::string& problem) {
    std::wstring command = L"\"" + (ThisProgram().parent_path() / kDesktopProgram).native() + L"\"";
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
    problem = Reason(result);
    return Outcome::Failed;
}

Autostart::Outcome RunKeyAutostart::Disable(bool& removed, std::string& problem) {
    const LONG result = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    removed = result == ERROR_SUCCESS;
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return Outcome::Done;
    problem = Reason(result);
    return Outcome::Failed;
}

} // namespace zelto
