#include "cli/CommandLine.h"
#include "shell/DesktopLoader.h"

int main(int argc, char** argv) {
    return zelto::RunCommandLine(argc, argv, &zelto::LoadAndRunDesktopClient);
}
