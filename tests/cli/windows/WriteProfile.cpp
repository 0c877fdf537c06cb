// Writes settings with the ANSI profile function the original client used, so that a test gets the bytes it
// wrote: text in the system's code page. Usage: write-profile FILE KEY VALUE [KEY VALUE]...

#include <windows.h>

int main(int argc, char** argv) {
    for (int i = 2; i + 1 < argc; i += 2)
        if (!WritePrivateProfileStringA("Zelto Systems Premium", argv[i], argv[i + 1], argv[1]))
            return 1;
    return argc % 2 == 0 ? 0 : 2;
}
