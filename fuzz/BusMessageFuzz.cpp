// The system bus's bytes as they arrive: any input is read within its bounds, and the message the client
// writes reads back as written once its type says signal.

#include "FuzzCheck.h"
#include "platform/linux/DbusMessages.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>

namespace {

using namespace zelto;

constexpr char kSignalType = 4;

void CheckAnyBytes(const std::string& bytes) {
    const std::optional<std::size_t> length = BusMessageLength(bytes);
    FUZZ_CHECK(length.has_value() == (bytes.size() >= 16));
    if (!length || *length == 0 || *length > bytes.size())
        return;
    if (const std::optional<BusSignal> signal = ReadBusSignal(std::string_view(bytes).substr(0, *length)))
        FUZZ_CHECK(!signal->firstBoolean || signal->signature.starts_with('b'));
}

void CheckRoundTrip(const std::string& member, const std::optional<std::string>& argument, unsigned serial) {
    std::string message = BusMethodCall(member, argument, serial);
    FUZZ_CHECK(BusMessageLength(message) == message.size());
    FUZZ_CHECK(!ReadBusSignal(message));

    message[1] = kSignalType;
    const std::optional<BusSignal> signal = ReadBusSignal(message);
    FUZZ_CHECK(signal && signal->interface == "org.freedesktop.DBus" && signal->member == member);
    FUZZ_CHECK(signal->signature == (argument ? "s" : "") && !signal->firstBoolean);
    // Any message cut short is waited for, never read.
    const std::size_t cut = serial % message.size();
    FUZZ_CHECK(!ReadBusSignal(std::string_view(message).substr(0, cut)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string member = input.ConsumeRandomLengthString(64);
    std::optional<std::string> argument;
    if (input.ConsumeBool())
        argument = input.ConsumeRandomLengthString(64);
    CheckRoundTrip(member, argument, input.ConsumeIntegral<unsigned>());
    CheckAnyBytes(input.ConsumeRemainingBytesAsString());
    return 0;
}
