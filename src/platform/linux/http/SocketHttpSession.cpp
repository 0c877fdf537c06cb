#include "platform/linux/http/SocketHttpSession.h"

#include "platform/StopSignal.h"
#include "platform/linux/http/CurlModule.h"
#include "platform/linux/http/HttpResponseParser.h"
#include "platform/linux/http/HttpUrl.h"
#include "platform/linux/http/NameLookup.h"
#include "platform/linux/http/SocketConnect.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zelto {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A first line longer than this is no answer: a server cannot make the client hold more.
constexpr std::size_t kMaxLine = 64 * 1024;
// After the first line, at most this much of the body is read to keep the connection; beyond it, it is closed.
constexpr std::uint64_t kMaxDrain = 64 * 1024;
constexpr int kMaxRedirects = 5;
// How often a wait looks at the stop signal.
constexpr auto kPollSlice = 50ms;
// A connection that answered this recently is taken as kept without a look: servers close idle connections
// after seconds, and one that closed all the same is replaced, as below. A pass of many domains spares a
// system call per request.
constexpr auto kFreshConnection = 1s;

bool IsRedirect(const HttpResponseParser& response) {
    const int status = response.Status();
    return (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) &&
           !response.Location().empty();
}

// The outcome of one request and response on the session's connection.
struct Exchange {
    bool answered = false; // a first line, or a redirect
    std::string firstLine;
    std::string location; // set for a redirect
    int status = 0;
    HttpFailure failure = HttpFailure::ConnectionBroken; // why it was not answered
};

class SocketHttpSession : public HttpSession {
public:
    SocketHttpSession(const std::string& agent, HttpTimeouts timeouts, const StopSignal* stop, HttpTrust trust,
                      std::shared_ptr<HttpSessionFactory> other)
        : agent_(agent), timeouts_(timeouts), stop_(stop), trust_(std::move(trust)), otherFactory_(std::move(other)) {}

    ~SocketHttpSession() override { Disconnect(); }

    HttpFetch Get(const std::string& url) override {
        if (Stopped())
            return HttpFetch::Failed(HttpFailure::Stopped);
        const Clock::time_point deadline = Clock::now() + timeouts_.total;
        std::string current = url;
        for (int redirects = 0;; ++redirects) {
            const std::optional<HttpUrl> parsed = ParseHttpUrl(current);
            if (!parsed)
                return GetElsewhere(current);
            Exchange exchange = Request(*parsed, deadline);
            if (!exchange.answered)
                return HttpFetch::Failed(Stopped()                  ? HttpFailure::Stopped
                                         : Clock::now() >= deadline ? HttpFailure::TimedOut
                                                                    : exchange.failure);
            if (exchange.location.empty())
                return HttpFetch::Answered(std::move(exchange.firstLine), exchange.status);
            if (redirects == kMaxRedirects)
                return HttpFetch::Failed(HttpFailure::TooManyRedirects);
            current = ResolveLocation(current, exchange.location);
        }
    }

private:
    bool Stopped() const { return stop_ && stop_->Raised(); }

    HttpFetch GetElsewhere(const std::string& url) {
        if (!other_ && otherFactory_)
            other_ = otherFactory_->Open(stop_, trust_);
        return other_ ? other_->Get(url) : HttpFetch::Failed(HttpFailure::SecureChannelFailed);
    }

    // Sends one GET and reads its answer, over the kept connection when it goes to the same server. A kept
    // connection that the server closed while idle is replaced once.
    Exchange Request(const HttpUrl& url, Clock::time_point deadline) {
        const std::string server = url.host + " " + url.port;
        const std::string request = "GET " + url.target + " HTTP/1.1\r\nHost: " + url.Authority() +
                                    "\r\nUser-Agent: " + agent_ +
                                    "\r\nAccept: */*\r\nCache-Control: no-cache\r\nPragma: no-cache\r\n\r\n";
        for (int attempt = 0; attempt < 2; ++attempt) {
            // A kept connection must be quiet: bytes or an end waiting on it mean the server has moved on.
            pollfd quiet{socket_, POLLIN, 0};
            const bool kept = socket_ >= 0 && server_ == server &&
                              (Clock::now() - answeredAt_ < kFreshConnection || ::poll(&quiet, 1, 0) == 0);
            if (!kept) {
                Disconnect();
                Exchange refused;
                if ((refused.failure = Connect(url, deadline)) != HttpFailure::None)
                    return refused;
                server_ = server;
            }
            bool silent = true; // the connection ended before the first byte of an answer
            Exchange exchange;
            if (Send(request, deadline))
                exchange = Receive(deadline, silent);
            if (exchange.answered || !kept || !silent || Stopped() || Clock::now() >= deadline)
                return exchange;
            Disconnect(); // the kept connection had ended: once more on a new one
        }
        return {};
    }

    HttpFailure Connect(const HttpUrl& url, Clock::time_point deadline) {
        const Clock::time_point connectDeadline = std::min(deadline, Clock::now() + timeouts_.connect);
        const std::vector<SocketAddress> addresses = LookUpHost(url.host, url.port, connectDeadline, stop_);
        if (addresses.empty())
            return Clock::now() >= connectDeadline ? HttpFailure::TimedOut : HttpFailure::NameNotResolved;
        int error = 0;
        socket_ = ConnectFirst(addresses, connectDeadline, stop_, std::chrono::milliseconds(250), &error);
        if (socket_ >= 0)
            return HttpFailure::None;
        if (Clock::now() >= connectDeadline || error == ETIMEDOUT)
            return HttpFailure::TimedOut;
        return error == ECONNREFUSED ? HttpFailure::ConnectionRefused : HttpFailure::ConnectionBroken;
    }

    bool Send(const std::string& request, Clock::time_point deadline) {
        for (std::size_t sent = 0; sent < request.size();) {
            const ssize_t now = ::send(socket_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (now > 0)
                sent += static_cast<std::size_t>(now);
            else if (now < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else if (now < 0 && errno == EAGAIN && !WaitFor(POLLOUT, deadline))
                return false;
        }
        return true;
    }

    Exchange Receive(Clock::time_point deadline, bool& silent) {
        HttpResponseParser response(kMaxLine);
        char buffer[16 * 1024];
        bool received = false;
        bool ended = false;
        using State = HttpResponseParser::State;
        while (response.GetState() == State::Head || response.GetState() == State::Body) {
            // A redirect's body is never needed, and after the first line only a little is read to keep the
            // connection.
            if (response.GetState() == State::Body &&
                (IsRedirect(response) || (response.LineComplete() && response.BytesAfterLine() > kMaxDrain)))
                break;
            if (!WaitFor(POLLIN, deadline))
                break;
            const ssize_t now = ::recv(socket_, buffer, sizeof buffer, 0);
            if (now > 0) {
                received = true;
                response.Feed(std::string_view(buffer, static_cast<std::size_t>(now)));
            } else if (now == 0 || (errno != EAGAIN && errno != EINTR)) {
                ended = true;
                response.FeedEnd();
            }
        }
        silent = ended && !received;
        if (!response.Reusable() || ended)
            Disconnect();
        else
            answeredAt_ = Clock::now();
        const bool redirect = response.GetState() != State::Head && IsRedirect(response);
        if (redirect)
            return {true, {}, response.Location(), response.Status()};
        // Broken framing (a flood of interim answers or trailers, more than one response) is no answer even
        // after the first line; a connection that merely ended after it still gave that line.
        Exchange unanswered;
        if (response.OverLimit())
            unanswered.failure = HttpFailure::AnswerTooLong;
        if (response.GetState() == State::Failed && !ended)
            return unanswered;
        if (response.GetState() == State::Done || response.LineComplete())
            return {true, response.FirstLine(), {}, response.Status()};
        return unanswered;
    }

    // Waits until the socket is ready for `events`; false at the deadline, on a stop, or on an error.
    bool WaitFor(short events, Clock::time_point deadline) {
        for (;;) {
            if (Stopped())
                return false;
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left <= 0ms)
                return false;
            pollfd entry{socket_, events, 0};
            const int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, kPollSlice).count()));
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

    void Disconnect() {
        if (socket_ >= 0)
            ::close(socket_);
        socket_ = -1;
        server_.clear();
    }

    std::string agent_;
    HttpTimeouts timeouts_;
    const StopSignal* stop_;
    HttpTrust trust_; // for what goes to `other_`: only it speaks TLS
    std::shared_ptr<HttpSessionFactory> otherFactory_;
    std::unique_ptr<HttpSession> other_;
    int socket_ = -1;
    std::string server_;           // host and port of the kept connection
    Clock::time_point answeredAt_; // when it last finished an answer
};

} // namespace

SocketHttpSessionFactory::SocketHttpSessionFactory(std::string agent, HttpTimeouts timeouts)
    : SocketHttpSessionFactory(agent, timeouts, std::make_shared<CurlModuleFactory>(agent, timeouts)) {}

SocketHttpSessionFactory::SocketHttpSessionFactory(std::string agent, HttpTimeouts timeouts,
                                                   std::shared_ptr<HttpSessionFactory> other)
    : agent_(HttpAgentName(agent)), timeouts_(timeouts), other_(std::move(other)) {}

std::unique_ptr<HttpSession> SocketHttpSessionFactory::Open(const StopSignal* stop, const HttpTrust& trust) {
    return std::make_unique<SocketHttpSession>(agent_, timeouts_, stop, trust, other_);
}

} // namespace zelto
