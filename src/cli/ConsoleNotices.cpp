#include "cli/ConsoleNotices.h"

#include <cstdio>

namespace zelto {

std::string PrintableText(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            printable += escaped;
        } else {
            printable += c;
        }
    }
    return printable;
}

void ConsoleNotices::ShowMessage(const std::string& text) {
    WriteLine(console_.err, console_.program + ": " + text);
}

bool ConsoleNotices::SetTooltipText(const std::string& text) {
    WriteLine(console_.out, text);
    return true;
}

void ConsoleNotices::LogExchange(const std::string& maskedUrl, const std::string& outcome) {
    WriteLine(console_.out, maskedUrl + " -> " + outcome);
}

void ConsoleNotices::WriteLine(std::ostream& stream, const std::string& line) {
    std::lock_guard lock(mutex_);
    stream << PrintableText(line) << '\n' << std::flush;
}

} // namespace zelto
