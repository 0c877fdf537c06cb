#include "platform/windows/WinInetHttpSession.h"

#include "platform/StopSignal.h"
#include "platform/windows/WideText.h"

#include <windows.h>
#include <wininet.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace zelto {
namespace {

using namespace std::chrono_literals;

// The same first-line limit as the Linux sessions: a longer line is no answer.
constexpr std::size_t kMaxLine = 64 * 1024;
constexpr DWORD kSessionFlags = INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_ASCII;
constexpr DWORD_PTR kContext = 1;
constexpr auto kStopPoll = 50ms;

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

// The body's bytes up to its first line feed; false when the read fails or the line outgrows the limit.
bool ReadFirstLine(HINTERNET request, std::string& line) {
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!::InternetReadFile(request, buffer, sizeof buffer, &got))
            return false;
        if (got == 0)
            return true;
        const std::string_view bytes(buffer, got);
        const std::size_t end = bytes.find('\n');
        line.append(bytes.substr(0, end));
        if (line.size() > kMaxLine)
            return false;
        if (end != std::string_view::npos)
            return true;
    }
}

// One request, shared by the session and the thread that makes it.
struct Exchange {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    HttpFetch fetch;
};

void RunExchange(const std::shared_ptr<Exchange>& exchange, HINTERNET internet, const std::wstring& url) {
    HttpFetch fetch;
    HINTERNET request = ::InternetOpenUrlW(internet, url.c_str(), nullptr, 0, kRequestFlags, kContext);
    if (request != nullptr) {
        fetch.obtained = ReadFirstLine(request, fetch.firstLine);
        ::InternetCloseHandle(request);
    }
    {
        const std::lock_guard lock(exchange->mutex);
        exchange->fetch = std::move(fetch);
        exchange->finished = true;
    }
    exchange->done.notify_all();
}

class WinInetHttpSession : public HttpSession {
public:
    WinInetHttpSession(HINTERNET internet, const std::wstring& agent, HttpTimeouts timeouts, const StopSignal* stop)
        : internet_(internet), agent_(agent), timeouts_(timeouts), stop_(stop) {}
    ~WinInetHttpSession() override {
        if (internet_ != nullptr)
            ::InternetCloseHandle(internet_);
    }

    // The blocking WinINet calls run on a thread of their own, so that a stop or the total time-out ends the
    // request for the caller at once, whatever WinINet does. Closing the session's root handle then cancels
    // the request on Windows (Wine's lets it run on until the server answers or closes); the next request
    // opens another.
    HttpFetch Get(const std::string& url) override {
        if (Stopped() || (internet_ == nullptr && (internet_ = OpenInternet(agent_, timeouts_)) == nullptr))
            return {};
        const auto deadline = std::chrono::steady_clock::now() + timeouts_.total;
        auto exchange = std::make_shared<Exchange>();
        std::thread(RunExchange, exchange, internet_, Widen(url)).detach();
        std::unique_lock lock(exchange->mutex);
        while (!exchange->done.wait_for(lock, kStopPoll, [&] { return exchange->finished; })) {
            if (Stopped() || std::chrono::steady_clock::now() >= deadline) {
                ::InternetCloseHandle(std::exchange(internet_, nullptr));
                return {};
            }
        }
        return exchange->fetch;
    }

private:
    bool Stopped() const { return stop_ != nullptr && stop_->Raised(); }

    HINTERNET internet_;
    const std::wstring agent_;
    const HttpTimeouts timeouts_;
    const StopSignal* const stop_;
};

} // namespace

WinInetHttpSessionFactory::WinInetHttpSessionFactory(std::string agent, HttpTimeouts timeouts)
    : agent_(Widen(HttpAgentName(agent))), timeouts_(timeouts) {}

std::unique_ptr<HttpSession> WinInetHttpSessionFactory::Open(const StopSignal* stop, const HttpTrust& trust) {
    if (!trust.caFile.empty())
        return nullptr;
    HINTERNET internet = OpenInternet(agent_, timeouts_);
    if (internet == nullptr)
        return nullptr;
    return std::make_unique<WinInetHttpSession>(internet, agent_, timeouts_, stop);
}

} // namespace zelto
