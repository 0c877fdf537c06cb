// Starts a command line on a console of its own, in a process group of its own, sends it Ctrl+Break once it
// has run for the given time, and prints how long it then took to end, in ms, and its exit code.
// Usage: console-break MS COMMAND-LINE

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    ::FreeConsole();
    ::AllocConsole(); // shared with the program, as a console window is with what runs in it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = argv[2];
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                          &startup, &process))
        return 3;
    ::Sleep(static_cast<DWORD>(_wtoi(argv[1])));
    const ULONGLONG sent = ::GetTickCount64();
    ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process.dwProcessId);
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 999);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%llu %lu\n", ::GetTickCount64() - sent, code);
    DWORD written = 0;
    ::WriteFile(out, text, static_cast<DWORD>(length), &written, nullptr);
    return 0;
}
