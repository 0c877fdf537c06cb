// Plays a user at a console for the console program's test, in the two ways Wine's own console cannot
// (it raises only Ctrl+C, and has no code page of its own without a window):
//   console-helper event c|close PROGRAM [ARGUMENT]...
//     starts the program, sends the event when a line (or the end) arrives on standard input, as the console
//     does: a thread of the program's own runs the system's control routine, which calls its handlers.
//     Prints "ended CODE", or "running after 5000 ms" (then it is ended), as the console would end it.
//   console-helper type CODEPAGE TEXT PROGRAM [ARGUMENT]...
//     makes a console of that code page (Wine needs a display for it), types TEXT and Enter at it as a
//     user's keys would, and starts the program reading that console; exits with its exit code (99: still
//     running after 30 s, then ended).
// The program writes to this helper's standard output and error.

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr DWORD kLongestRunMs = 30000;

PROCESS_INFORMATION Start(int argc, wchar_t** argv, HANDLE input) {
    std::wstring line;
    for (int i = 0; i < argc; ++i)
        line += std::wstring(i > 0 ? L" \"" : L"\"") + argv[i] + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    for (const HANDLE handle : {startup.hStdOutput, startup.hStdError})
        ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        process.hProcess = nullptr;
    return process;
}

int SendEvent(const std::wstring& name, int argc, wchar_t** argv) {
    const std::map<std::wstring, DWORD> events = {{L"c", CTRL_C_EVENT}, {L"close", CTRL_CLOSE_EVENT}};
    const auto event = events.find(name);
    // The routine lies in kernelbase.dll, which every process maps at the same address.
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    if (event == events.end() || routine == nullptr)
        return 2;
    const PROCESS_INFORMATION process = Start(argc, argv, nullptr);
    if (process.hProcess == nullptr)
        return 5;
    char go = 0;
    DWORD read = 0;
    ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &go, 1, &read, nullptr);
    if (::CreateRemoteThread(process.hProcess, nullptr, 0, routine,
                             reinterpret_cast<void*>(static_cast<ULONG_PTR>(event->second)), 0, nullptr) == nullptr)
        std::printf("cannot send the event: error %lu\n", ::GetLastError());
    if (::WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
        std::printf("running after 5000 ms\n");
        ::TerminateProcess(process.hProcess, 1);
        return 1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    std::printf("ended %lu\n", code);
    return 0;
}

int TypeLine(UINT page, const std::wstring& text, int argc, wchar_t** argv) {
    // A console of its own, whatever this helper was started with; the output stays where it was.
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    ::FreeConsole();
    if (!::AllocConsole() || !::SetConsoleCP(page) || !::SetConsoleOutputCP(page))
        return 3;
    ::SetStdHandle(STD_OUTPUT_HANDLE, out);
    ::SetStdHandle(STD_ERROR_HANDLE, err);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE input = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherited, OPEN_EXISTING, 0, nullptr);
    std::vector<INPUT_RECORD> keys;
    for (const wchar_t c : text + L"\r") {
        INPUT_RECORD key{};
        key.EventType = KEY_EVENT;
        key.Event.KeyEvent.wRepeatCount = 1;
        key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
        key.Event.KeyEvent.uChar.UnicodeChar = c;
        for (const BOOL down : {TRUE, FALSE}) {
            key.Event.KeyEvent.bKeyDown = down;
            keys.push_back(key);
        }
    }
    DWORD written = 0;
    if (input == INVALID_HANDLE_VALUE ||
        !::WriteConsoleInputW(input, keys.data(), static_cast<DWORD>(keys.size()), &written))
        return 4;
    const PROCESS_INFORMATION process = Start(argc, argv, input);
    if (process.hProcess == nullptr)
        return 5;
    DWORD code = 99;
    if (::WaitForSingleObject(process.hProcess, kLongestRunMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    else
        ::TerminateProcess(process.hProcess, code);
    return static_cast<int>(code);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"event" && argc >= 4)
        return SendEvent(argv[2], argc - 3, argv + 3);
    if (mode == L"type" && argc >= 5)
        return TypeLine(static_cast<UINT>(std::stoul(argv[2])), argv[3], argc - 4, argv + 4);
    return 2;
}
