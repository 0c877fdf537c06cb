// A command for the hook runner's tests: its first argument says what it does.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "hang") == 0) {
        std::printf("started\n");
        std::fflush(stdout);
        Sleep(60000);
    }
    if (std::strcmp(mode, "fail") == 0) {
        std::fprintf(stderr, "oops\n");
        return 3;
    }
    const char* address = std::getenv("ZELTO_ADDRESS");
    std::printf("%s|%s|%s\r\n", mode, argc > 2 ? argv[2] : "-", address ? address : "-");
    std::printf("in:%d\n", std::getchar());
    return 0;
}
