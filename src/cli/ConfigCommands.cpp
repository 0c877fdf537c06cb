#include "cli/ConfigCommands.h"

#include "cli/PasswordInput.h"
#include "cli/Usage.h"
#include "config/AddressMethod.h"
#include "config/DomainList.h"
#include "config/IgnoreList.h"
#include "platform/SettingsText.h"
#include "schema/SettingsProblem.h"
#include "settings/SettingsFile.h"

#include <optional>
#include <unistd.h>

namespace zelto {

namespace {

int WriteFailed(const SettingsFile& settings, Console& console) {
    const SettingsError problem = settings.LastError();
    const std::string text = problem ? SettingsProblemText(problem) : "could not write " + settings.Path().string();
    console.err << console.program << ": " << PrintableText(text) << '\n' << flush;
    return kExitRefused;
}

// Usage errors never quote a word of the command line: any of them may be a password typed in the wrong
// place, and the message may end up in a log that others read.
std::optional<AddressFields> AddressArgument(const std::string& text, Console& console) {
    std::optional<AddressFields> address = ParseAddressText(text);
    if (!address)
        UsageError(console, "ADDRESS must be four decimal fields 0-255 joined by dots");
    return address;
}

// The words of a command line are typed text; the settings file holds them in its own bytes.
bool StoreArgument(const std::string& typed, std::string& stored, Console& console) {
    StoredText text = ToStoredText(typed);
    if (!text.unstorable.empty()) {
        console.err << console.program << ": " << PrintableText(UnstorableCharacterText(text.unstorable)) << '\n'
                    << flush;
        return false;
    }
    stored = std::move(text.bytes);
    return true;
}

} // namespace

const char* MethodDescription(AddressMethod method) {
    switch (method) {
    case AddressMethod::Server:
        return "server (Detect IP from Server Side)";
    case AddressMethod::Client:
        return "client (Detect IP on Client Side)";
    case AddressMethod::Fixed:
        return "fixed (Use this IP Address)";
    case AddressMethod::Both:
        break;
    }
    return "both (Detect IP Address from both Client and Server side)";
}

std::vector<std::string> IgnoredAddresses(const SettingsFile& settings) {
    const std::string text = BuildIgnoreListText(settings);
    std::vector<std::string> addresses;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        addresses.push_back(text.substr(start, end - start));
    return addresses;
}

int RunDomainCommand(SettingsFile& settings, const Arguments& args, Console& console) {
    const std::string action = args.empty() ? std::string() : args[0];
    DomainOutcome outcome;
    if (action == "add" || action == "remove" || action == "password") {
        // A new command takes no password as an argument: only old scripts need that.
        if (action == "password" ? args.size() != 3 : args.size() != 3 && args.size() != 4)
            return UsageError(console, "domain " + action + " takes DOMAIN TOPLEVEL" +
                                           (action == "password" ? "" : " [PASSWORD]"));
        DomainInput input;
        if (!StoreArgument(args[1], input.domain, console) || !StoreArgument(args[2], input.topLevel, console))
            return kExitRefused;
        if (args.size() == 4 && args[3] != "-") {
            if (!StoreArgument(args[3], input.password, console))
                return kExitRefused;
        } else {
            // A password from a pipe or file is taken as its bytes, like the settings file's own; one typed at
            // the terminal is typed text, like the arguments.
            PasswordLine line = ReadPassword(STDIN_FILENO, console.err);
            if (line.outcome != PasswordRead::Read) {
                console.err << console.program << ": " << PasswordProblem(line) << '\n' << flush;
                return kExitRefused;
            }
            if (!line.typed)
                input.password = std::move(line.text);
            else if (!StoreArgument(ConsoleTypedText(line.text), input.password, console))
                return kExitRefused;
        }
        outcome = action == "add"      ? AddDomain(settings, input)
                  : action == "remove" ? RemoveDomain(settings, input)
                                       : ChangeDomainPassword(settings, input);
    } else if (action == "clear" || action == "list") {
        if (args.size() != 1)
            return UsageError(console, "domain " + action + " takes no more arguments");
        if (action == "list") {
            console.out << PrintableText(BuildDomainListText(settings)) << '\n' << flush;
            return kExitDone;
        }
        outcome = ClearDomains(settings);
    } else {
        return UsageError(console, "domain takes add, remove, password, clear or list");
    }

    console.out << PrintableText(outcome.status) << '\n' << flush;
    if (outcome.writeFailed)
        return WriteFailed(settings, console);
    if (outcome.notFound) {
        console.err << console.program << ": no domain entry is " << PrintableText(args[1] + "." + args[2])
                    << (action == "remove" ? " with that password\n" : "\n") << flush;
    }
    return outcome.carriedOut ? kExitDone : kExitRefused;
}

int RunIgnoreCommand(SettingsFile& settings, const Arguments& args, Console& console) {
    const std::string action = args.empty() ? std::string() : args[0];
    if (action == "list") {
        if (args.size() != 1)
            return UsageError(console, "ignore list takes no more arguments");
        for (const std::string& address : IgnoredAddresses(settings))
            console.out << PrintableText(address) << '\n';
        console.out << flush;
        return kExitDone;
    }
    if (action != "add" && action != "remove")
        return UsageError(console, "ignore takes add, remove or list");
    if (args.size() != 2)
        return UsageError(console, "ignore " + action + " takes one ADDRESS");
    const std::optional<AddressFields> address = AddressArgument(args[1], console);
    if (!address)
        return kExitUsage;
    const std::string text = address->ToText();

    if (action == "add") {
        if (!AddIgnoredAddress(settings, *address))
            return WriteFailed(settings, console);
        console.out << "Added " << text << " to the ignore list.\n" << flush;
        return kExitDone;
    }
    switch (RemoveIgnoredAddress(settings, *address)) {
    case IgnoreRemoval::Removed:
        console.out << "Removed " << text << " from the ignore list.\n" << flush;
        return kExitDone;
    case IgnoreRemoval::NotFound:
        console.err << console.program << ": " << text << " is not in the ignore list\n" << flush;
        return kExitRefused;
    case IgnoreRemoval::WriteFailed:
        break;
    }
    return WriteFailed(settings, console);
}

int RunMethodCommand(SettingsFile& settings, const Arguments& args, Console& console) {
    const std::string choice = args.empty() ? std::string() : args[0];
    AddressMethod method;
    AddressFields fixed;
    if (choice == "server" || choice == "client" || choice == "both") {
        if (args.size() != 1)
            return UsageError(console, "method " + choice + " takes no address");
        method = choice == "server"   ? AddressMethod::Server
                 : choice == "client" ? AddressMethod::Client
                                      : AddressMethod::Both;
    } else if (choice == "fixed") {
        if (args.size() != 2)
            return UsageError(console, "method fixed takes one ADDRESS");
        const std::optional<AddressFields> address = AddressArgument(args[1], console);
        if (!address)
            return kExitUsage;
        method = AddressMethod::Fixed;
        fixed = *address;
    } else {
        return UsageError(console, "method takes server, client, both or fixed ADDRESS");
    }
    switch (SaveAddressMethod(settings, method, fixed)) {
    case AddressSave::Saved:
        break;
    case AddressSave::Unreachable:
        console.err << console.program << ": " << UnreachableAddressText(fixed) << '\n' << flush;
        return kExitRefused;
    case AddressSave::WriteFailed:
        return WriteFailed(settings, console);
    }
    console.out << "Address method: " << MethodDescription(method);
    if (method == AddressMethod::Fixed)
        console.out << ", " << fixed.ToText();
    console.out << '\n' << flush;
    return kExitDone;
}

} // namespace zelto
