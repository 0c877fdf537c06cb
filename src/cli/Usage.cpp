#include "cli/Usage.h"

#include "cli/UsageWords.h"
#include "settings/SettingsHome.h"

namespace zelto {

namespace {

std::string Synopsis(const std::string& program) {
    const std::string p = "  " + program + " [--settings PATH] ";
    return "Usage:\n" + p + "--headless\n" + p + "--once [--force]\n" + p +
           "domain add|remove|password DOMAIN TOPLEVEL\n" + p + "domain clear|list\n" + p +
           "ignore add|remove ADDRESS\n" + p + "ignore list\n" + p + "method server|client|both\n" + p +
           "method fixed ADDRESS\n" + p + "server URL|default\n" + p + "website HOST|default\n" + p +
           "cafile FILE|none\n" + p + "hook set PATH|clear|show\n" + p + "force-update\n" + p + "status [--json]\n" +
           p + "check\n" + p + "--autostart on|off\n" + "  " + program + " --help | --version\n";
}

} // namespace

std::string HelpText(const std::string& program) {
    const UsageWords& words = PlatformUsageWords();
    return program + " " ZELTO_VERSION " - Zelto Premium dynamic DNS client\n\n" + Synopsis(program) + "\n" +
           std::string(words.withoutCommand) + R"(

  --settings PATH  the settings file (default: )" +
           DefaultSettingsPath().string() + R"()
  --headless       keep the domains registered )" +
           std::string(words.stoppedBy) + R"(;
                   account problems go to stderr, the tooltip text and one line
                   per request (password shown as ***) to stdout
  --once           make one pass when one is due (a new address, a new clock
                   hour, behind NAT the service's address check, not while
                   waiting after failures), then exit: 0 when every request
                   was answered with an address or none was due, 1 otherwise
                   (also when no domain is configured); fit for a timer every
                   few minutes
  --once --force   register every domain now, whatever is due
  domain add       add a domain: DOMAIN is the name label (example), TOPLEVEL the
                   top-level label (com); the password, 6 to 8 characters, is
                   read from standard input (see Passwords)
  domain remove    remove the first entry matching the two labels and the
                   password exactly; the password is read the same way
  domain password  give the entries with these two labels a new password, read
                   from standard input like domain add's
  domain clear     forget every domain
  domain list      the loaded domains
  ignore add       an address that detection must never report
  ignore remove    remove the first entry equal to ADDRESS
  ignore list      the ignored addresses, one a line
  method           how the address is found: on the server side, on the client
                   side, both, or a fixed ADDRESS
  server           the update server: [http://|https://]host[:port]; https
                   sends the passwords over TLS; default: the built-in server
  website          the service's web site, host[:port]; default: the built-in one
  cafile           a PEM bundle that replaces the system's trusted certificates
                   for an https server; none: the system's again
  hook             set: run the executable PATH (absolute) once after each pass
                   that registered an address other than before, with the new
                   and the previous address as arguments and ZELTO_ADDRESS,
                   ZELTO_PREVIOUS_ADDRESS, ZELTO_DOMAINS in its environment; no
                   shell, input closed, output to the log (4 KiB), ended after
                   30 s; refused unless it and the settings file )" +
           std::string(words.hookOwners) + R"( and others
                   cannot write them; clear, show
  force-update     ask the service to initialise every domain
  status           the settings file, domains, method, fixed and ignored
                   addresses, the last registration and the service (never a
                   password); --json: the same as one JSON object
  check            one line and the exit code of a monitoring plugin: 0 OK
                   (registered this or the previous clock hour), 1 WARNING
                   (older or none), 2 CRITICAL (no domain), 3 UNKNOWN (the
                   settings file cannot be read)
  --autostart      on: start the desktop client )" +
           std::string(words.autostartAt) + R"( (with this --settings
                   file, when one is given); off: no longer
  --help           this text
  --version        the version number

Passwords: domain add, remove and password read the password as one line from
standard input, at a "Password: " prompt without echo from a terminal, silently
from a pipe or a file (domain add example com < password-file). A password
given as an argument after TOPLEVEL still works ("-" means standard input),
but every user of the machine sees it in the process list, and the shell keeps
it in its history.

ADDRESS is four decimal fields 0-255 joined by dots. Leading zeros are read as
decimal and dropped, as the dialog's address box does: 010.001.0.1 is 10.1.0.1.

The lines of --headless and --once start with the local time; )" +
           std::string(words.logLines) + R"(
A request that got no answer says why: the name was not resolved, connection
refused, timed out, too many redirects, a redirect from https to plain http,
an answer too long, the server's certificate is not trusted or is for another
name; an answer with an HTTP error status names it.

)" + std::string(words.otherFiles) +
           (words.otherFiles.empty() ? "" : "\n") + R"(Exit codes: 0 done, 1 refused or failed, 2 usage error.
)";
}

int UsageError(Console& console, const std::string& problem) {
    console.err << console.program << ": " << PrintableText(problem) << '\n'
                << Synopsis(console.program) << "Try '" << console.program << " --help' for more.\n"
                << flush;
    return kExitUsage;
}

} // namespace zelto
