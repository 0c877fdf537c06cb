#include "platform/windows/WinInetHttpSession.h"

#include "platform/StopSignal.h"
#include "platform/windows/CertificateBundle.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinInetRedirects.h"

#include <psapi.h>
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <memory>
#include <utility>

namespace zelto {
namespace {

// The same first-line limit as the Linux sessions: a longer line is no answer.
constexpr std::size_t kMaxLine = 64 * 1024;
constexpr DWORD kSessionFlags = INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_ASCII;
constexpr DWORD_PTR kContext = 1;
constexpr DWORD kStopPollMs = 50;
// WinINet takes in a whole head before it hands the request back, whatever its size, and Wine reports no
// receive along the way: while a flood arrives, the memory it fills is the one measure there is. A request
// that grows the process by more than this is given up as an answer too long.
constexpr std::size_t kMaxGrowth = 32 * 1024 * 1024;

// The process's committed private memory (Windows names it both PrivateUsage and PagefileUsage; Wine fills in
// only the latter); 0 when the system does not tell, which sets no limit.
std::size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PagefileUsage;
}

void SetTimeout(HINTERNET handle, DWORD option, std::chrono::milliseconds value) {
    DWORD ms = static_cast<DWORD>(value.count());
    ::InternetSetOptionW(handle, option, &ms, sizeof ms);
}

HINTERNET OpenInternet(const std::wstring& agent, HttpTimeouts timeouts) {
    HINTERNET internet = ::InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, kSessionFlags);
    if (internet != nullptr) {
        SetTimeout(internet, INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connect);
        SetTimeout(internet, INTERNET_OPTION_SEND_TIMEOUT, timeouts.total);
        SetTimeout(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.total);
    }
    return internet;
}

enum class LineRead { Whole, Failed, TooLong };

// The body's bytes up to its first line feed.
LineRead ReadFirstLine(HINTERNET request, std::string& line) {
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!::InternetReadFile(request, buffer, sizeof buffer, &got))
            return LineRead::Failed;
        if (got == 0)
            return LineRead::Whole;
        const std::string_view bytes(buffer, got);
        const std::size_t end = bytes.find('\n');
        line.append(bytes.substr(0, end));
        if (line.size() > kMaxLine)
            return LineRead::TooLong;
        if (end != std::string_view::npos)
            return LineRead::Whole;
    }
}

// The final HTTP status of an opened request; 0 when WinINet does not tell.
int StatusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return 0;
    return static_cast<int>(status);
}

// One request, shared by the session and the thread that makes it. The session reads the answer only once
// the thread has ended; a request the session gave up on is freed by its thread.
struct Exchange {
    HINTERNET internet;
    std::wstring url;
    std::shared_ptr<const CertificateBundle> bundle;
    HttpFetch fetch;
};

DWORD WINAPI RunExchange(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Exchange>> owner(static_cast<std::shared_ptr<Exchange>*>(parameter));
    Exchange& exchange = **owner;
    HttpFailure failure = HttpFailure::ConnectionBroken;
    const OpenedUrl opened = OpenUrlFollowingRedirects(exchange.internet, exchange.url, kRequestFlags, kContext,
                                                       exchange.bundle.get(), failure);
    if (!opened) {
        exchange.fetch = HttpFetch::Failed(failure);
        return 0;
    }
    std::string line;
    const LineRead read = ReadFirstLine(opened.Request(), line);
    exchange.fetch =
        read == LineRead::Whole
            ? HttpFetch::Answered(std::move(line), StatusOf(opened.Request()))
            : HttpFetch::Failed(read == LineRead::TooLong ? HttpFailure::AnswerTooLong : HttpFailure::ConnectionBroken);
    return 0;
}

class WinInetHttpSession : public HttpSession {
public:
    WinInetHttpSession(HINTERNET internet, const std::wstring& agent, HttpTimeouts timeouts, const StopSignal* stop,
                       std::shared_ptr<const CertificateBundle> bundle)
        : internet_(internet), agent_(agent), timeouts_(timeouts), stop_(stop), bundle_(std::move(bundle)) {}
    ~WinInetHttpSession() override {
        if (internet_ != nullptr)
            ::InternetCloseHandle(internet_);
    }

    // The blocking WinINet calls run on a thread of their own, so that a stop or the total time-out ends the
    // request for the caller at once, whatever WinINet does. Closing the session's root handle then cancels
    // the request on Windows (Wine's lets it run on until the server answers or closes); the next request
    // opens another. The wait is on the thread itself, with the system's own calls: a finished request
    // leaves no thread behind, and no MinGW condition variable, which can lose a timed waiter, is involved.
    HttpFetch Get(const std::string& url) override {
        if (Stopped())
            return HttpFetch::Failed(HttpFailure::Stopped);
        if (internet_ == nullptr && (internet_ = OpenInternet(agent_, timeouts_)) == nullptr)
            return HttpFetch::Failed(HttpFailure::ConnectionBroken);
        const auto deadline = std::chrono::steady_clock::now() + timeouts_.total;
        const std::size_t before = PrivateBytes();
        auto exchange = std::make_shared<Exchange>(Exchange{internet_, Widen(url), bundle_, {}});
        auto* threadOwner = new std::shared_ptr<Exchange>(exchange);
        HANDLE thread = ::CreateThread(nullptr, 0, RunExchange, threadOwner, 0, nullptr);
        if (thread == nullptr) {
            delete threadOwner;
            return HttpFetch::Failed(HttpFailure::ConnectionBroken);
        }
        DWORD waited;
        bool flooded = false;
        while ((waited = ::WaitForSingleObject(thread, kStopPollMs)) == WAIT_TIMEOUT) {
            flooded = before != 0 && PrivateBytes() > before + kMaxGrowth;
            if (flooded || Stopped() || std::chrono::steady_clock::now() >= deadline)
                break;
        }
        ::CloseHandle(thread);
        if (waited != WAIT_OBJECT_0) {
            ::InternetCloseHandle(std::exchange(internet_, nullptr));
            return HttpFetch::Failed(Stopped() ? HttpFailure::Stopped
                                     : flooded ? HttpFailure::AnswerTooLong
                                               : HttpFailure::TimedOut);
        }
        return std::move(exchange->fetch);
    }

private:
    bool Stopped() const { return stop_ != nullptr && stop_->Raised(); }

    HINTERNET internet_;
    const std::wstring agent_;
    const HttpTimeouts timeouts_;
    const StopSignal* const stop_;
    const std::shared_ptr<const CertificateBundle> bundle_; // null: the system's trust
};

} // namespace

WinInetHttpSessionFactory::WinInetHttpSessionFactory(std::string agent, HttpTimeouts timeouts)
    : agent_(Widen(HttpAgentName(agent))), timeouts_(timeouts) {}

std::unique_ptr<HttpSession> WinInetHttpSessionFactory::Open(const StopSignal* stop, const HttpTrust& trust) {
    auto bundle = trust.caFile.empty() ? nullptr : std::make_shared<const CertificateBundle>(Widen(trust.caFile));
    HINTERNET internet = OpenInternet(agent_, timeouts_);
    if (internet == nullptr)
        return nullptr;
    return std::make_unique<WinInetHttpSession>(internet, agent_, timeouts_, stop, std::move(bundle));
}

} // namespace zelto
