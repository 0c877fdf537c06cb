#include "cli/CommandLine.h"
#include "shell/DesktopClient.h"

int main(int argc, char** argv) {
    return zelto::RunCommandLine(argc, argv, &zelto::RunDesktopClient);
}
