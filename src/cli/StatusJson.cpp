#include "cli/StatusCommand.h"

#include "config/PauseText.h"
#include "config/StatusReport.h"
#include "schema/DomainPause.h"
#include "update/ExchangeFailure.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <ctime>

namespace zelto {

namespace {

using Json = nlohmann::ordered_json;

// Local time to the second, ISO 8601 without a zone, as the registration's time is given.
std::string LocalIsoTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// The length of the UTF-8 sequence at the front of `text`, or 0 when it is not a well-formed one (overlong
// forms, surrogates and code points past U+10FFFF are not).
std::size_t Utf8Sequence(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xbf; // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xbf)
            return 0;
    return length;
}

// Windows-1252's characters for 0x80-0x9f; its five unassigned bytes keep their C1 code points.
constexpr char16_t kWindows1252High[32] = {0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
                                           0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f,
                                           0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
                                           0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

// Settings texts are bytes: the Windows client writes them in the system's ANSI code page, this one as
// typed. A text that is UTF-8 stays as it is; any other is read as Windows-1252, which gives every byte a
// character, so that JSON (always UTF-8) carries what the file holds instead of failing on it.
std::string Text(std::string_view bytes) {
    bool utf8 = true;
    for (std::size_t i = 0, n; utf8 && i < bytes.size(); i += n)
        utf8 = (n = Utf8Sequence(bytes.substr(i))) != 0;
    if (utf8)
        return std::string(bytes);
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte >= 0x80 && byte < 0xa0 ? kWindows1252High[byte - 0x80] : char32_t{byte});
    }
    return out;
}

Json TextOrNull(const std::string& text) {
    return text.empty() ? Json(nullptr) : Json(Text(text));
}

const char* MethodName(AddressMethod method) {
    switch (method) {
    case AddressMethod::Server:
        return "server";
    case AddressMethod::Client:
        return "client";
    case AddressMethod::Fixed:
        return "fixed";
    case AddressMethod::Both:
        break;
    }
    return "both";
}

Json Registration(const StatusReport& report) {
    if (report.registration.address.empty())
        return nullptr;
    Json registration{{"address", Text(report.registration.address)}, {"time", nullptr}};
    if (report.registeredExactly) {
        registration["time"] = LocalIsoTime(*report.registeredExactly);
    } else if (report.registeredAt) {
        const RegistrationHour& at = *report.registeredAt;
        char when[32];
        std::snprintf(when, sizeof when, "%04d-%02d-%02dT%02d:00", at.year, at.month, at.day, at.hour);
        registration["time"] = when;
    }
    return registration;
}

Json LastOutcome(const std::optional<RequestOutcome>& outcome) {
    if (!outcome)
        return nullptr;
    const std::string why = FailureText(outcome->failure, outcome->status);
    return {{"result", RequestResultKey(outcome->result)},
            {"reason", why.empty() ? Json(nullptr) : Json(why)},
            {"time", LocalIsoTime(outcome->when)}};
}

Json Hook(const StatusReport& report) {
    if (report.hook.empty())
        return nullptr;
    Json lastRun = nullptr;
    if (const std::optional<HookRecord>& run = report.hookRun) {
        const bool exited = run->outcome.end == HookEnd::Succeeded || run->outcome.end == HookEnd::Failed;
        lastRun = {{"time", LocalIsoTime(run->started)},
                   {"result", HookEndWord(run->outcome.end)},
                   {"exit_status", exited ? Json(run->outcome.status) : Json(nullptr)},
                   {"text", Text(HookEndText(run->outcome))}};
    }
    return {{"path", Text(report.hook)}, {"last_run", lastRun}};
}

Json Wait(const std::optional<FailureWait>& wait) {
    if (!wait)
        return nullptr;
    return {{"failures", wait->failures},
            {"last_failure", LastOutcome(wait->last)},
            {"next_try", LocalIsoTime(wait->until)}};
}

Json Unrecorded(const std::optional<UnrecordedRegistration>& registration) {
    if (!registration)
        return nullptr;
    return {{"address", Text(registration->address)},
            {"time", LocalIsoTime(registration->when)},
            {"reason", Text(registration->reason)}};
}

} // namespace

std::string StatusJson(const StatusReport& report) {
    Json domains = Json::array();
    for (const DomainStatus& domain : report.domains) {
        domains.push_back({{"number", domain.number},
                           {"name", Text(domain.Name())},
                           {"domain", Text(domain.entry.domain)},
                           {"top_level", Text(domain.entry.topLevel)},
                           {"complete", domain.entry.Complete()},
                           {"paused", domain.pause.has_value()},
                           {"pause_reason", domain.pause ? Json(PauseReasonWord(domain.pause->reason)) : Json(nullptr)},
                           {"paused_since", domain.pause ? Json(LocalIsoTime(domain.pause->since)) : Json(nullptr)},
                           {"last_outcome", LastOutcome(domain.lastOutcome)},
                           {"copy_of", domain.copyOf ? Json(*domain.copyOf) : Json(nullptr)}});
    }
    Json ignored = Json::array();
    for (const std::string& address : report.ignored)
        ignored.push_back(Text(address));
    const std::u8string path = report.file.u8string(), readFrom = report.readFrom.u8string();
    const Json status{
        {"settings_file", Text(std::string(path.begin(), path.end()))},
        {"read_from", Text(std::string(readFrom.begin(), readFrom.end()))},
        {"settings_file_exists", report.fileExists},
        {"readable_by_others", report.readableByOthers},
        {"update_server", Text(report.updateServerUrl)},
        {"scheme", report.secure ? "https" : "http"},
        {"ca_file", TextOrNull(report.caFile)},
        {"web_site", Text(report.webSite)},
        {"address_method", report.storedMethod ? Json(MethodName(report.method)) : Json(nullptr)},
        {"fixed_address", report.fixedAddress},
        {"fixed_address_unreachable", report.fixedAddressUnreachable},
        {"ignored_addresses", ignored},
        {"last_registration", Registration(report)},
        {"unrecorded_registration", Unrecorded(report.unrecorded)},
        {"hook", Hook(report)},
        {"failure_wait", Wait(report.failureWait)},
        {"domains", domains},
    };
    // Pure ASCII, with \u escapes: UTF-8 whatever code page a console or pipe would convert text to.
    return status.dump(2, ' ', true);
}

} // namespace zelto
