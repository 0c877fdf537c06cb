// The answer path: a first line as the HTTP session hands it over, through FetchFirstLine, ClassifyAnswer and
// RegisteredAddress; and the request side: percent-encoding of the values and the password mask of logs.

#include "FuzzCheck.h"
#include "platform/HttpSession.h"
#include "settings/SettingsFile.h"
#include "update/FetchFirstLine.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateAnswer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

namespace {

using namespace zelto;

class ScriptedSession : public HttpSession {
public:
    explicit ScriptedSession(HttpFetch fetch) : fetch_(std::move(fetch)) {}
    HttpFetch Get(const std::string&) override { return fetch_; }

private:
    HttpFetch fetch_;
};

int Hex(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The inverse of PercentEncode; "!" marks text that no encoding produces.
std::string Decode(const std::string& encoded) {
    std::string plain;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            plain += encoded[i];
            continue;
        }
        if (i + 2 >= encoded.size())
            return "!";
        const int high = Hex(encoded[i + 1]);
        const int low = Hex(encoded[i + 2]);
        if (high < 0 || low < 0)
            return "!";
        plain += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return plain;
}

bool Unreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

void CheckAnswer(const std::string& firstLine) {
    ScriptedSession session({true, firstLine});
    const FirstLine answer = FetchFirstLine(session, "http://127.0.0.1/");
    std::string expected = firstLine;
    std::erase(expected, '\r');
    FUZZ_CHECK(answer.obtained && answer.line == expected);

    const UpdateAnswer meaning = ClassifyAnswer(answer.line);
    const auto refused = [&](Refusal refusal) {
        return meaning.result == RequestResult::Refused && meaning.refusal == refusal;
    };
    FUZZ_CHECK(refused(Refusal::Expired) == (answer.line == "expired"));
    FUZZ_CHECK(refused(Refusal::NoDomain) == (answer.line == "nodomain"));
    FUZZ_CHECK(refused(Refusal::WrongPassword) == (answer.line == "wrongpassword"));
    FUZZ_CHECK((meaning.result == RequestResult::Registered) == answer.line.starts_with("ip"));
    if (meaning.result == RequestResult::Registered)
        FUZZ_CHECK("ip" + meaning.address == answer.line);

    ScriptedSession silent({false, firstLine});
    const FirstLine none = FetchFirstLine(silent, "http://127.0.0.1/");
    FUZZ_CHECK(!none.obtained && none.line.empty());
}

void CheckEncoding(const std::string& value) {
    const std::string encoded = PercentEncode(value);
    FUZZ_CHECK(std::all_of(encoded.begin(), encoded.end(), [](char c) { return Unreserved(c) || c == '%'; }));
    FUZZ_CHECK(Decode(encoded) == value);
}

void CheckMask(const std::string& first, const std::string& second, const std::string& password,
               const std::string& address) {
    const SettingsFile settings("/nonexistent/zelto-fuzz/ZeltoPre.INI");
    const ServiceEndpoints endpoints(settings);
    const std::string url = endpoints.UpdateUrl(first, second, password, address);
    std::string masked = "http://" + endpoints.UpdateServer() + "/premium/update.asp?first=" + PercentEncode(first) +
                         "&second=" + PercentEncode(second) + "&password=***";
    if (!address.empty())
        masked += "&ip_address=" + PercentEncode(address);
    FUZZ_CHECK(MaskPassword(url) == masked);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string line = input.ConsumeRandomLengthString(256);
    // The session hands over the bytes before the first line feed.
    CheckAnswer(line.substr(0, line.find('\n')));
    CheckEncoding(line);

    const std::string first = input.ConsumeRandomLengthString(70);
    const std::string second = input.ConsumeRandomLengthString(70);
    const std::string password = input.ConsumeRandomLengthString(10);
    const std::string address = input.ConsumeRandomLengthString(20);
    CheckMask(first, second, password, address);

    // Any text at all: masking never fails and masking twice changes nothing more.
    const std::string url = input.ConsumeRemainingBytesAsString();
    const std::string once = MaskPassword(url);
    FUZZ_CHECK(MaskPassword(once) == once);
    return 0;
}
