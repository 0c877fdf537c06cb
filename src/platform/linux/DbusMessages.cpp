#include "platform/linux/DbusMessages.h"

#include <cstdint>

namespace zelto {

namespace {

enum FieldCode : std::uint8_t { kPath = 1, kInterface = 2, kMember = 3, kDestination = 6, kSignature = 8 };
constexpr std::uint8_t kMethodCall = 1;
constexpr std::uint8_t kSignal = 4;
// Larger messages are not the signals asked for; the bus allows 128 MiB, the client refuses what is odd.
constexpr std::size_t kLongestMessage = 1 << 20;

// Writes in the machine's order, which the first byte of the message names.
class Writer {
public:
    void Align(std::size_t to) {
        while (bytes.size() % to != 0)
            bytes.push_back('\0');
    }
    void Byte(std::uint8_t value) { bytes.push_back(static_cast<char>(value)); }
    void Word(std::uint32_t value) {
        Align(4);
        bytes.append(reinterpret_cast<const char*>(&value), 4);
    }
    void Text(std::string_view text) {
        Word(static_cast<std::uint32_t>(text.size()));
        bytes.append(text);
        bytes.push_back('\0');
    }
    void Signature(std::string_view text) {
        Byte(static_cast<std::uint8_t>(text.size()));
        bytes.append(text);
        bytes.push_back('\0');
    }
    void Field(FieldCode code, std::string_view type, std::string_view value) {
        Align(8);
        Byte(code);
        Signature(type);
        if (type == "g")
            Signature(value);
        else
            Text(value);
    }
    std::string bytes;
};

// Reads one message with bounds checked at every step; any step out of bounds fails the whole read.
class Reader {
public:
    explicit Reader(std::string_view message) : message_(message), big_(message.front() == 'B') {}

    bool Align(std::size_t to) {
        while (at_ % to != 0)
            if (!Skip(1))
                return false;
        return true;
    }
    bool Skip(std::size_t count) {
        if (message_.size() - at_ < count)
            return false;
        at_ += count;
        return true;
    }
    std::optional<std::uint32_t> Word() {
        if (!Align(4) || message_.size() - at_ < 4)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<std::uint8_t>(message_[at_ + (big_ ? i : 3 - i)]);
            value = value << 8 | byte;
        }
        at_ += 4;
        return value;
    }
    std::optional<std::uint8_t> Byte() {
        if (message_.size() - at_ < 1)
            return std::nullopt;
        return static_cast<std::uint8_t>(message_[at_++]);
    }
    std::optional<std::string> Chars(std::size_t count) {
        if (message_.size() - at_ < count + 1)
            return std::nullopt;
        std::string text(message_.substr(at_, count));
        at_ += count + 1;
        return text;
    }
    std::optional<std::string> Text() {
        const std::optional<std::uint32_t> length = Word();
        return length ? Chars(*length) : std::nullopt;
    }
    std::optional<std::string> Signature() {
        const std::optional<std::uint8_t> length = Byte();
        return length ? Chars(*length) : std::nullopt;
    }
    std::size_t At() const { return at_; }
    void MoveTo(std::size_t at) { at_ = at; }

private:
    std::string_view message_;
    bool big_;
    std::size_t at_ = 0;
};

std::optional<std::uint32_t> HeaderWord(std::string_view bytes, std::size_t at) {
    Reader reader(bytes);
    reader.MoveTo(at);
    return reader.Word();
}

} // namespace

std::string BusMethodCall(std::string_view member, std::optional<std::string_view> argument, unsigned serial) {
    Writer body;
    if (argument)
        body.Text(*argument);
    Writer message;
    const std::uint16_t probe = 1;
    message.Byte(*reinterpret_cast<const std::uint8_t*>(&probe) == 1 ? 'l' : 'B');
    message.Byte(kMethodCall);
    message.Byte(0); // flags
    message.Byte(1); // protocol version
    message.Word(static_cast<std::uint32_t>(body.bytes.size()));
    message.Word(serial);
    message.Word(0); // the fields' length, filled in below
    const std::size_t fieldsStart = message.bytes.size();
    message.Field(kPath, "o", "/org/freedesktop/DBus");
    message.Field(kDestination, "s", "org.freedesktop.DBus");
    message.Field(kInterface, "s", "org.freedesktop.DBus");
    message.Field(kMember, "s", member);
    if (argument)
        message.Field(kSignature, "g", "s");
    const auto fieldsLength = static_cast<std::uint32_t>(message.bytes.size() - fieldsStart);
    message.bytes.replace(12, 4, reinterpret_cast<const char*>(&fieldsLength), 4);
    message.Align(8);
    return message.bytes + body.bytes;
}

std::optional<std::size_t> BusMessageLength(std::string_view bytes) {
    if (bytes.size() < 16)
        return std::nullopt;
    if ((bytes[0] != 'l' && bytes[0] != 'B') || bytes[3] != 1)
        return 0;
    const std::optional<std::uint32_t> body = HeaderWord(bytes, 4);
    const std::optional<std::uint32_t> fields = HeaderWord(bytes, 12);
    if (!body || !fields || *body > kLongestMessage || *fields > kLongestMessage)
        return 0;
    const std::size_t header = (16 + std::size_t{*fields} + 7) / 8 * 8;
    return header + *body;
}

std::optional<BusSignal> ReadBusSignal(std::string_view message) {
    const std::optional<std::size_t> length = BusMessageLength(message);
    if (!length || *length == 0 || *length != message.size() || message[1] != kSignal)
        return std::nullopt;
    Reader reader(message);
    reader.MoveTo(12);
    const std::uint32_t fieldsLength = *reader.Word();
    const std::size_t fieldsEnd = 16 + std::size_t{fieldsLength};
    BusSignal signal;
    while (reader.At() < fieldsEnd) {
        if (!reader.Align(8))
            return std::nullopt;
        const std::optional<std::uint8_t> code = reader.Byte();
        const std::optional<std::string> type = reader.Signature();
        if (!code || !type)
            return std::nullopt;
        std::optional<std::string> value;
        if (*type == "s" || *type == "o")
            value = reader.Text();
        else if (*type == "g")
            value = reader.Signature();
        else if (*type == "u")
            value = reader.Word() ? std::optional<std::string>("") : std::nullopt;
        if (!value)
            return std::nullopt;
        if (*code == kInterface)
            signal.interface = *value;
        else if (*code == kMember)
            signal.member = *value;
        else if (*code == kSignature)
            signal.signature = *value;
    }
    reader.MoveTo((fieldsEnd + 7) / 8 * 8);
    if (signal.signature.starts_with('b'))
        if (const std::optional<std::uint32_t> value = reader.Word())
            signal.firstBoolean = *value != 0;
    return signal;
}

} // namespace zelto
