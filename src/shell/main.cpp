#include "cli/CommandLine.h"
#include "platform/linux/CoreDumps.h"
#include "shell/DesktopLoader.h"

int main(int argc, char** argv) {
    zelto::DisableCoreDumps();
    return zelto::RunCommandLine(argc, argv, &zelto::LoadAndRunDesktopClient);
}
