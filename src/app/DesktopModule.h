#pragma once

// The one entry point of the desktop module (libzelto-desktop.so), looked up by name after dlopen, so the
// command line runs without Qt unless the tray client starts. `agent` is the name every request carries.
extern "C" int zelto_run_desktop_client(const char* settingsPath, const char* agent, int argc, char** argv);

namespace zelto {

// The module's file name and the entry's symbol name, shared by the module and its loader.
inline constexpr const char* kDesktopModuleName = "libzelto-desktop.so";
inline constexpr const char* kDesktopEntryName = "zelto_run_desktop_client";

} // namespace zelto
