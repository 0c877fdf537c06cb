// Sends a console control event to a console program as the console does on Windows: a thread of the
// program's own that runs the system's control routine, which calls the program's handlers. Wine's console
// can only raise Ctrl+C, so this is the way to Ctrl+Break, the console's close, log-off and shut-down.
//   console-event c|break|close|logoff|shutdown PROGRAM [ARGUMENT]...
// Starts the program with this helper's standard output and error, sends the event when a line (or the end)
// arrives on standard input, and prints how the program ended: "ended CODE in MS ms", or "running after
// 5000 ms" (then it is ended).

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

int wmain(int argc, wchar_t** argv) {
    const std::map<std::wstring, DWORD> events = {{L"c", CTRL_C_EVENT},
                                                  {L"break", CTRL_BREAK_EVENT},
                                                  {L"close", CTRL_CLOSE_EVENT},
                                                  {L"logoff", CTRL_LOGOFF_EVENT},
                                                  {L"shutdown", CTRL_SHUTDOWN_EVENT}};
    const auto event = argc >= 3 ? events.find(argv[1]) : events.end();
    // The routine lies in kernelbase.dll, which every process maps at the same address.
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    if (event == events.end() || routine == nullptr)
        return 2;

    std::wstring line;
    for (int i = 2; i < argc; ++i)
        line += std::wstring(i > 2 ? L" \"" : L"\"") + argv[i] + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetHandleInformation(startup.hStdOutput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    ::SetHandleInformation(startup.hStdError, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start the program: error %lu\n", ::GetLastError());
        return 1;
    }

    char go = 0;
    DWORD read = 0;
    ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &go, 1, &read, nullptr);
    const ULONGLONG sent = ::GetTickCount64();
    const HANDLE thread =
        ::CreateRemoteThread(process.hProcess, nullptr, 0, routine,
                             reinterpret_cast<void*>(static_cast<ULONG_PTR>(event->second)), 0, nullptr);
    if (thread == nullptr)
        std::printf("cannot send the event: error %lu\n", ::GetLastError());
    if (::WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
        std::printf("running after 5000 ms\n");
        ::TerminateProcess(process.hProcess, 1);
        return 1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    std::printf("ended %lu in %llu ms\n", code, ::GetTickCount64() - sent);
    return 0;
}
