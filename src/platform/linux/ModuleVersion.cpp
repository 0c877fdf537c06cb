#include "platform/linux/ProgramModule.h"

// Linked into each module of the program; the loader compares it with its own version.
extern "C" __attribute__((visibility("default"))) const char zelto_module_version[] = ZELTO_VERSION;
