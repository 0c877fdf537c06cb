#include "platform/linux/DesktopEntryAutostart.h"

#include "settings/posix/XdgFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace zelto {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEntryName = "zelto-premium.desktop";

// Written when no desktop entry is installed, as when the client runs from its build folder.
constexpr const char* kOwnEntry = "[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Zelto Premium Client\n"
                                  "Comment=Keep your Zelto Premium host names pointing at this machine\n"
                                  "Exec=zelto-premium\n"
                                  "TryExec=zelto-premium\n"
                                  "Icon=zelto-premium\n"
                                  "Terminal=false\n"
                                  "Categories=Network;\n";

std::string ErrnoText() {
    return std::strerror(errno);
}

std::vector<fs::path> DataFolders() {
    std::vector<fs::path> folders{XdgBaseFolder("XDG_DATA_HOME", ".local/share")};
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(list, folder, ':');) {
        if (fs::path(folder).is_absolute())
            folders.emplace_back(folder);
    }
    return folders;
}

// PATH as one quoted argument of an Exec line: the quoting rules first, then the escapes of a string value
// (which double every backslash), and "%" doubled so it is not a field code.
std::optional<std::string> ExecArgument(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return std::nullopt;
        if (c == '\\')
            quoted += "\\\\\\\\";
        else if (c == '"' || c == '`' || c == '$')
            quoted += std::string("\\\\") + c;
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    return quoted + "\"";
}

// PATH as a string value: only the backslash needs its escape in an absolute path without control characters.
std::string StringValue(const std::string& path) {
    std::string value;
    for (const char c : path)
        value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

// The entry with the Exec and TryExec keys of its [Desktop Entry] group set to the running program, so that a
// copy run from a build folder, which is not on PATH, starts at login as well.
std::string WithProgram(const std::string& entry, const std::string& command, const std::string& program) {
    std::istringstream lines(entry);
    std::string result;
    std::string group;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with('['))
            group = line;
        std::string key = line.substr(0, line.find('='));
        while (key.ends_with(' '))
            key.pop_back();
        if (group == "[Desktop Entry]" && key.size() < line.size()) {
            if (key == "Exec")
                line = "Exec=" + command;
            else if (key == "TryExec")
                line = "TryExec=" + program;
        }
        result += line + '\n';
    }
    return result;
}

fs::path EntryPath() {
    return XdgBaseFolder("XDG_CONFIG_HOME", ".config") / "autostart" / kEntryName;
}

std::optional<std::string> InstalledDesktopEntry() {
    for (const fs::path& folder : DataFolders()) {
        std::ifstream in(folder / "applications" / kEntryName, std::ios::binary);
        std::ostringstream text;
        if (in && text << in.rdbuf())
            return text.str();
    }
    return std::nullopt;
}

// Writes beside the target and renames, so a login never finds half an entry.
bool WriteEntry(const fs::path& path, const std::string& text, std::string& problem) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) {
        problem = error.message();
        return false;
    }
    const fs::path temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!(out << text) || !out.flush()) {
            problem = ErrnoText();
            out.close();
            fs::remove(temp, error);
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        problem = ErrnoText();
        fs::remove(temp, error);
        return false;
    }
    return true;
}

} // namespace

std::string DesktopEntryAutostart::Place() const {
    return EntryPath().string();
}

Autostart::Outcome DesktopEntryAutostart::Enable(const std::optional<fs::path>& settings, std::string& problem) {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        problem = "the running program is not known: " + error.message();
        return Outcome::Failed;
    }
    std::optional<std::string> command = ExecArgument(program.string());
    if (!command) {
        problem = "the program's path holds a control character";
        return Outcome::Failed;
    }
    if (settings) {
        const std::optional<std::string> argument = ExecArgument(fs::absolute(*settings).lexically_normal().string());
        if (!argument)
            return Outcome::PathNotCarried;
        *command += " --settings " + *argument;
    }
    const std::string entry = WithProgram(InstalledDesktopEntry().value_or(kOwnEntry), *command, StringValue(program));
    return WriteEntry(EntryPath(), entry, problem) ? Outcome::Done : Outcome::Failed;
}

Autostart::Outcome DesktopEntryAutostart::Disable(bool& removed, std::string& problem) {
    std::error_code error;
    removed = fs::remove(EntryPath(), error);
    if (!error)
        return Outcome::Done;
    problem = error.message();
    return Outcome::Failed;
}

} // namespace zelto
