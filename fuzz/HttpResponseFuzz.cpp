// The socket session's reading of what a server sends: a response fed whole, in two pieces, and in small
// pieces must read the same, within the limits; and the URLs it is given or redirected to.

#include "FuzzCheck.h"
#include "platform/linux/http/HttpResponseParser.h"
#include "platform/linux/http/HttpUrl.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

using namespace zelto;

constexpr std::size_t kLineLimit = 64;
constexpr std::size_t kHeadLimit = 256;

auto Read(std::string_view response, std::size_t piece, std::size_t split, bool close) {
    HttpResponseParser parser(kLineLimit, kHeadLimit);
    if (piece == 0) {
        parser.Feed(response.substr(0, split));
        parser.Feed(response.substr(split));
    } else {
        for (std::size_t at = 0; at < response.size(); at += piece)
            parser.Feed(response.substr(at, piece));
    }
    if (close)
        parser.FeedEnd();
    const bool hasLine = parser.GetState() == HttpResponseParser::State::Done || parser.LineComplete();
    FUZZ_CHECK(parser.FirstLine().size() <= kLineLimit);
    FUZZ_CHECK(parser.FirstLine().find('\n') == std::string::npos);
    FUZZ_CHECK(parser.GetState() != HttpResponseParser::State::Done ||
               (parser.Status() >= 200 && parser.Status() <= 999));
    // A failed response's status and headers are never used, and depend on how far it got.
    const bool failed = parser.GetState() == HttpResponseParser::State::Failed;
    return std::make_tuple(parser.GetState(), hasLine ? parser.FirstLine() : std::string(),
                           failed ? 0 : parser.Status(), failed ? std::string() : parser.Location(), parser.Reusable());
}

void CheckUrl(const std::string& text) {
    const std::optional<HttpUrl> url = ParseHttpUrl(text);
    if (!url)
        return;
    FUZZ_CHECK(!url->target.empty() && url->target.front() == '/');
    FUZZ_CHECK(std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; }));
    const std::optional<HttpUrl> again = ParseHttpUrl("http://" + url->Authority() + url->target);
    FUZZ_CHECK(again && again->host == url->host && again->port == url->port && again->target == url->target);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool close = input.ConsumeBool();
    const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 7);
    const std::string base = input.ConsumeRandomLengthString(80);
    const std::string location = input.ConsumeRandomLengthString(80);
    const std::string response = input.ConsumeRemainingBytesAsString();
    const std::size_t split = response.size() / 2;
    const auto whole = Read(response, 0, response.size(), close);
    FUZZ_CHECK(Read(response, 0, split, close) == whole);
    FUZZ_CHECK(Read(response, piece, 0, close) == whole);

    CheckUrl(base);
    CheckUrl(ResolveLocation(base, location));
    return 0;
}
