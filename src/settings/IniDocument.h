#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace zelto {

// Key names match case-insensitively, as the Windows profile functions match them.
struct CaseInsensitiveHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// One section of an INI text as the Windows private-profile functions read it, with the byte positions a
// write needs to change one line and leave every other byte as it was.
class IniDocument {
public:
    // New lines end as the content's first line does, or with newLineEnd when none has ended yet.
    IniDocument(std::string content, std::string_view section, std::string_view newLineEnd = "\n");
    // Entries point into the content, which must stay where it is.
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    const std::string& Content() const { return content_; }
    // The value of the first line of the key in the section, blanks and one pair of quotes removed.
    std::optional<std::string_view> Find(std::string_view key) const;
    // The whole text with key=value in the section: its first line replaced in place, or a new line after
    // the section's last key, or a new section at the end.
    std::string WithValue(std::string_view key, std::string_view value) const;
    // The whole text with every key=value written, built in one pass: the text WithValue gives applied once
    // per entry in order, where a key given twice ends with its last value and a key that ends with the value
    // it holds keeps its line as it is.
    std::string WithValues(std::span<const std::pair<std::string_view, std::string_view>> values) const;

private:
    struct Entry {
        std::string_view value;
        std::size_t lineStart;
        std::size_t textEnd; // where the line's text ends and its line ending begins
    };

    std::string content_;
    std::string section_;
    std::string eol_;
    bool hasSection_ = false;
    std::size_t insertAt_ = 0; // just after the section's last key line, or after its header
    std::unordered_map<std::string_view, Entry, CaseInsensitiveHash, CaseInsensitiveEqual> entries_;
};

// Whether a key can be written so that it reads back as itself, on one line, in the section.
bool IsWritableKey(std::string_view key);
// Whether a value fits on one line.
bool IsWritableValue(std::string_view value);

// The leading decimal number with an optional sign, clamped to the int range; 0 when there is none.
int LeadingInt(std::string_view text);

} // namespace zelto
