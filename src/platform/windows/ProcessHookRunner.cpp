#include "platform/windows/ProcessHookRunner.h"

#include "platform/HookRuns.h"
#include "platform/windows/SystemError.h"
#include "platform/windows/WideText.h"
#include "settings/windows/FileAccess.h"

#include <windows.h>

#include <algorithm>

namespace zelto {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& word) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The client's environment with the run's variables set, as a UTF-16 block.
std::wstring EnvironmentBlock(const HookRun& run) {
    std::vector<std::string> inherited;
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1)
            inherited.push_back(Narrow(entry));
        ::FreeEnvironmentStringsW(strings);
    }
    std::wstring block;
    for (const std::string& variable : HookEnvironment(std::move(inherited), run))
        block.append(Widen(variable)).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

HookOutcome Supervise(const HookRun& run, HANDLE process, HANDLE pipe, HookOutputLines& lines,
                      const std::stop_token& stop) {
    const Clock::time_point deadline = Clock::now() + run.timeout;
    for (;;) {
        DWORD available = 0;
        while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[1024];
            DWORD got = 0;
            if (!::ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0)
                break;
            lines.Feed(std::string_view(buffer, got));
        }
        if (::WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
            DWORD available2 = 0;
            if (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available2, nullptr) && available2 > 0)
                continue; // what it printed last
            lines.Flush();
            DWORD code = 0;
            ::GetExitCodeProcess(process, &code);
            return {code == 0 ? HookEnd::Succeeded : HookEnd::Failed, static_cast<int>(code), {}, {}};
        }
        if (Clock::now() >= deadline || stop.stop_requested()) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, INFINITE);
            return {HookEnd::TimedOut, 0, {}, {}};
        }
    }
}

std::optional<HookOutcome> NotStarted(DWORD error) {
    return HookOutcome{HookEnd::NotStarted, static_cast<int>(error), {}, SystemErrorText(error)};
}

bool Replaceable(const std::filesystem::path& file, std::optional<HookOutcome>& refusal) {
    if (ReplaceableByOthers(file))
        refusal = HookOutcome{HookEnd::NotTrusted, 0, Narrow(file.native()), {}};
    return refusal.has_value();
}

} // namespace

std::optional<HookOutcome> HookRefusal(const std::filesystem::path& executable) {
    const DWORD attributes = ::GetFileAttributesW(executable.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NotStarted(::GetLastError());
    std::optional<HookOutcome> refusal;
    if (!Replaceable(executable, refusal) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        refusal = NotStarted(ERROR_ACCESS_DENIED); // what starting a folder says
    return refusal;
}

void ProcessHookRunner::EndAll(std::chrono::milliseconds grace) {
    threads_.EndAll(grace);
}

void ProcessHookRunner::Start(const HookRun& run, OutputLine output, Ended ended) {
    std::optional<HookOutcome> refusal;
    if (Replaceable(run.settingsFile, refusal) || (refusal = HookRefusal(run.executable))) {
        ended(*refusal);
        return;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ended(*NotStarted(::GetLastError()));
        return;
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = Quoted(run.executable.native());
    for (const std::string& argument : run.arguments)
        commandLine += L" " + Quoted(Widen(argument));
    std::wstring environment = EnvironmentBlock(run);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    // Input at its end from the start: a missing handle may leave the command reading the client's console.
    const HANDLE nothing =
        ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdInput = nothing;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(run.executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                          CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(), nullptr,
                                          &startup, &process);
    const DWORD startError = started ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE)
        ::CloseHandle(nothing);
    if (!started) {
        ::CloseHandle(readEnd);
        ended(*NotStarted(startError));
        return;
    }
    ::CloseHandle(process.hThread);
    threads_.Add([run, handle = process.hProcess, readEnd, output = std::move(output),
                  ended = std::move(ended)](const std::stop_token& stop) {
        HookOutputLines lines(output);
        const HookOutcome outcome = Supervise(run, handle, readEnd, lines, stop);
        ::CloseHandle(readEnd);
        ::CloseHandle(handle);
        ended(outcome);
    });
}

} // namespace zelto
