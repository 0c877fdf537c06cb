#include "platform/windows/ProcessHookRunner.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>

namespace zelto {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kMaxOutput = 4096;

// Owned by this user, the administrators or the system: nobody else could have put it there. (Who else may
// write it is the folder's and the file's access list; the owner is the check that travels with the file.)
bool Trusted(const std::filesystem::path& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool trusted = ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || ::IsWellKnownSid(owner, WinLocalSystemSid);
    HANDLE token = nullptr;
    if (!trusted && ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        alignas(TOKEN_USER) BYTE buffer[256];
        DWORD size = 0;
        if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
            trusted = ::EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) != FALSE;
        ::CloseHandle(token);
    }
    ::LocalFree(descriptor);
    return trusted;
}

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
    std::wstring block;
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
            const std::wstring_view variable(entry);
            bool replaced = false;
            for (const auto& [name, value] : run.environment)
                replaced = replaced || variable.starts_with(Widen(name + "="));
            if (!replaced)
                block.append(variable).push_back(L'\0');
        }
        ::FreeEnvironmentStringsW(strings);
    }
    for (const auto& [name, value] : run.environment)
        block.append(Widen(name + "=" + value)).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

void Feed(std::string_view bytes, std::string& line, std::size_t& used, const HookRunner::OutputLine& output) {
    for (const char c : bytes) {
        if (used >= kMaxOutput)
            return;
        ++used;
        if (c == '\r')
            continue;
        if (c != '\n') {
            line += c;
        } else if (!line.empty()) {
            output(line);
            line.clear();
        }
    }
}

HookOutcome Supervise(const HookRun& run, HANDLE process, HANDLE pipe, const HookRunner::OutputLine& output,
                      const std::stop_token& stop) {
    const Clock::time_point deadline = Clock::now() + run.timeout;
    std::string line;
    std::size_t used = 0;
    for (;;) {
        DWORD available = 0;
        while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[1024];
            DWORD got = 0;
            if (!::ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0)
                break;
            Feed(std::string_view(buffer, got), line, used, output);
        }
        if (::WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
            DWORD available2 = 0;
            if (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available2, nullptr) && available2 > 0)
                continue; // what it printed last
            if (!line.empty())
                output(line);
            DWORD code = 0;
            ::GetExitCodeProcess(process, &code);
            return {code == 0 ? HookEnd::Succeeded : HookEnd::Failed, static_cast<int>(code), {}};
        }
        if (Clock::now() >= deadline || stop.stop_requested()) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, INFINITE);
            return {HookEnd::TimedOut, 0, {}};
        }
    }
}

} // namespace

ProcessHookRunner::~ProcessHookRunner() {
    EndAll(0ms);
}

void ProcessHookRunner::EndAll(std::chrono::milliseconds grace) {
    const std::lock_guard lock(mutex_);
    const Clock::time_point deadline = Clock::now() + grace;
    const auto going = [&] {
        return std::any_of(runs_.begin(), runs_.end(), [](const Run& r) { return !r.done->load(); });
    };
    while (going() && Clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    runs_.clear();
}

void ProcessHookRunner::Start(const HookRun& run, OutputLine output, Ended ended) {
    for (const std::filesystem::path& file : {run.settingsFile, run.executable}) {
        if (!Trusted(file)) {
            ended({HookEnd::NotTrusted, 0, Narrow(file.native())});
            return;
        }
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ended({HookEnd::NotStarted, static_cast<int>(::GetLastError()), {}});
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
    startup.hStdInput = nullptr; // closed
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(run.executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                          CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(), nullptr,
                                          &startup, &process);
    ::CloseHandle(writeEnd);
    if (!started) {
        ::CloseHandle(readEnd);
        ended({HookEnd::NotStarted, static_cast<int>(::GetLastError()), {}});
        return;
    }
    ::CloseHandle(process.hThread);
    auto done = std::make_shared<std::atomic<bool>>(false);
    const std::lock_guard lock(mutex_);
    std::erase_if(runs_, [](const Run& r) { return r.done->load(); });
    runs_.push_back({done, std::jthread([run, handle = process.hProcess, readEnd, output = std::move(output),
                                         ended = std::move(ended), done](std::stop_token stop) {
                         const HookOutcome outcome = Supervise(run, handle, readEnd, output, stop);
                         ::CloseHandle(readEnd);
                         ::CloseHandle(handle);
                         ended(outcome);
                         *done = true;
                     })});
}

} // namespace zelto
