#include "settings/IniDocument.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace zelto {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// A value that would lose blanks or quotes on reading is written inside double quotes, which reading removes.
std::string Stored(std::string_view value) {
    if (!value.empty() && (Unquote(value) != value || Trim(value) != value)) {
        // Appended: a text put in front of a string makes g++ 12 at -O3 warn of an impossible overlap.
        std::string quoted(1, '"');
        quoted += value;
        quoted += '"';
        return quoted;
    }
    return std::string(value);
}

} // namespace

std::size_t CaseInsensitiveHash::operator()(std::string_view text) const {
    std::uint64_t hash = 14695981039346656037ULL;
    for (char c : text) {
        hash = (hash ^ static_cast<unsigned char>(Lower(c))) * 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash);
}

bool CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

IniDocument::IniDocument(std::string content, std::string_view section, std::string_view newLineEnd)
    : content_(std::move(content)), section_(section), eol_(newLineEnd) {
    const std::string_view text = content_;
    std::size_t pos = 0;
    // A UTF-8 byte order mark written by an editor is not part of the first line.
    if (text.starts_with("\xEF\xBB\xBF")) {
        pos = 3;
    }
    // About one entry per 20 bytes; growing the table as it fills would rehash it several times.
    entries_.reserve(text.size() / 20);
    bool eolKnown = false;
    bool inSection = false;
    bool sectionDone = false;
    while (pos < text.size()) {
        const std::size_t newline = text.find('\n', pos);
        const std::size_t lineEnd = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t textEnd = newline == std::string_view::npos ? text.size() : newline;
        if (textEnd > pos && text[textEnd - 1] == '\r') {
            --textEnd;
        }
        if (!eolKnown && newline != std::string_view::npos) {
            eol_ = textEnd < newline ? "\r\n" : "\n";
            eolKnown = true;
        }
        const std::string_view line = Trim(text.substr(pos, textEnd - pos));
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            // Only the first section of the name counts, as with the profile functions.
            if (inSection) {
                sectionDone = true;
            }
            inSection = !sectionDone && CaseInsensitiveEqual{}(name, section_);
            if (inSection) {
                hasSection_ = true;
                insertAt_ = lineEnd;
            }
        } else if (inSection && !line.starts_with(';')) {
            const std::size_t equals = line.find('=');
            if (equals != std::string_view::npos) {
                const std::string_view key = Trim(line.substr(0, equals));
                entries_.try_emplace(key, Entry{Unquote(Trim(line.substr(equals + 1))), pos, textEnd});
                insertAt_ = lineEnd;
            }
        }
        pos = lineEnd;
    }
}

std::optional<std::string_view> IniDocument::Find(std::string_view key) const {
    const auto it = entries_.find(Trim(key));
    if (it == entries_.end()) {
        return std::nullopt;
    }
    return it->second.value;
}

std::string IniDocument::WithValue(std::string_view key, std::string_view value) const {
    std::string line = std::string(key) + "=" + Stored(value);
    const auto it = entries_.find(key);
    std::string out;
    out.reserve(content_.size() + line.size() + section_.size() + 8);
    if (it != entries_.end()) {
        out.append(content_, 0, it->second.lineStart);
        out += line;
        out.append(content_, it->second.textEnd);
        return out;
    }
    const bool atEnd = !hasSection_;
    const std::size_t at = atEnd ? content_.size() : insertAt_;
    out.append(content_, 0, at);
    // The last line of a file may have no line ending; the new line must not join it. A lone carriage return
    // there is half of one: completed, it stays the line's end, where another would become part of its value.
    if (at > 0 && content_[at - 1] != '\n') {
        out += content_[at - 1] == '\r' ? "\n" : eol_;
    }
    if (atEnd) {
        out += "[" + section_ + "]" + eol_;
    }
    out += line + eol_;
    out.append(content_, at);
    return out;
}

std::string IniDocument::WithValues(std::span<const std::pair<std::string_view, std::string_view>> values) const {
    // Each key once, where it was first given, spelt and valued as it was last given.
    std::vector<std::pair<std::string_view, std::string_view>> unique;
    std::unordered_map<std::string_view, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual> slot;
    for (const auto& entry : values) {
        const auto [it, added] = slot.try_emplace(entry.first, unique.size());
        if (added) {
            unique.push_back(entry);
        } else {
            unique[it->second] = entry;
        }
    }
    // A present key's first line is replaced in place; the others are added after the section's last key
    // line, which ends after every key line of the section.
    std::vector<std::pair<const Entry*, std::string>> replaced;
    std::vector<std::string> added;
    for (const auto& [key, value] : unique) {
        std::string line(key);
        line += '=';
        line += Stored(value);
        if (const auto it = entries_.find(key); it != entries_.end()) {
            if (it->second.value != value) {
                replaced.emplace_back(&it->second, std::move(line));
            }
        } else {
            added.push_back(std::move(line));
        }
    }
    std::sort(replaced.begin(), replaced.end(),
              [](const auto& a, const auto& b) { return a.first->lineStart < b.first->lineStart; });
    std::string out;
    out.reserve(content_.size() + 80 * unique.size() + section_.size());
    std::size_t copied = 0;
    for (const auto& [entry, line] : replaced) {
        out.append(content_, copied, entry->lineStart - copied);
        out += line;
        copied = entry->textEnd;
    }
    const std::size_t at = hasSection_ ? insertAt_ : content_.size();
    out.append(content_, copied, at - copied);
    if (!added.empty()) {
        std::string_view eol = eol_;
        if (at > 0 && content_[at - 1] != '\n') {
            const bool loneCr = content_[at - 1] == '\r';
            out += loneCr ? "\n" : eol_;
            // A text without any line feed takes its line end from the first one written: the completed CR's.
            if (loneCr && content_.find('\n') == std::string::npos) {
                eol = "\r\n";
            }
        }
        if (!hasSection_) {
            out += '[';
            out += section_;
            out += ']';
            out += eol_;
        }
        for (std::size_t i = 0; i < added.size(); ++i) {
            out += added[i];
            out += i == 0 ? std::string_view(eol_) : eol;
        }
    }
    out.append(content_, at);
    return out;
}

bool IsWritableKey(std::string_view key) {
    return !key.empty() && Trim(key) == key && key.find_first_of(std::string_view("=\r\n\0", 4)) == key.npos &&
           key.front() != ';' && key.front() != '[';
}

bool IsWritableValue(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == value.npos;
}

int LeadingInt(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Accumulated as a magnitude that stops growing past the int range, so no digit count can overflow.
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<int>::max()) + 1;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        magnitude = std::min<std::int64_t>(magnitude * 10 + (c - '0'), kLimit);
    }
    if (negative) {
        return static_cast<int>(-magnitude);
    }
    return static_cast<int>(std::min<std::int64_t>(magnitude, std::numeric_limits<int>::max()));
}

} // namespace zelto
