#include "platform/linux/http/CurlHttpSession.h"

#include "platform/StopSignal.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string_view>

namespace zelto {

namespace {

// A first line or a head longer than this is no answer: a server cannot make the client hold more.
constexpr std::size_t kMaxLine = 64 * 1024;
constexpr std::size_t kMaxHead = 64 * 1024;
// How often a transfer in flight looks at the stop signal.
constexpr int kPollMilliseconds = 50;

bool InitialiseCurl() {
    static std::once_flag once;
    static bool initialised = false;
    std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return initialised;
}

bool IsHttps(std::string_view url) {
    constexpr std::string_view kScheme = "https://";
    return url.size() >= kScheme.size() && std::equal(kScheme.begin(), kScheme.end(), url.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

// The verify results of a certificate made out for another host or address: OpenSSL's
// X509_V_ERR_HOSTNAME_MISMATCH and X509_V_ERR_IP_ADDRESS_MISMATCH, and what curl's own host check leaves,
// X509_V_OK or the placeholder 1 it stores until the chain's result is known.
constexpr long kOpenSslHostnameMismatch = 62;
constexpr long kOpenSslAddressMismatch = 64;
constexpr long kCurlHostCheckPlaceholder = 1;

// Why a transfer ended without an answer, from curl's code and the details it keeps.
HttpFailure FailureOf(CURLcode result, CURL* easy) {
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return HttpFailure::NameNotResolved;
    case CURLE_COULDNT_CONNECT: {
        long error = 0;
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &error);
        return error == ECONNREFUSED ? HttpFailure::ConnectionRefused : HttpFailure::ConnectionBroken;
    }
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::TimedOut;
    case CURLE_PEER_FAILED_VERIFICATION: {
        long verified = 0;
        curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verified);
        const bool otherName = verified == 0 || verified == kCurlHostCheckPlaceholder ||
                               verified == kOpenSslHostnameMismatch || verified == kOpenSslAddressMismatch;
        return otherName ? HttpFailure::CertificateForAnotherName : HttpFailure::CertificateNotTrusted;
    }
    case CURLE_SSL_CACERT_BADFILE:
        return HttpFailure::CertificateNotTrusted;
    case CURLE_SSL_CONNECT_ERROR:
        return HttpFailure::SecureChannelFailed;
    case CURLE_TOO_MANY_REDIRECTS:
        return HttpFailure::TooManyRedirects;
    case CURLE_UNSUPPORTED_PROTOCOL:
        // The URL asked for was taken: a redirect led where the session may not follow, as to plain http
        // from https.
        return HttpFailure::RedirectRefused;
    default:
        break;
    }
    return HttpFailure::ConnectionBroken;
}

class CurlHttpSession : public HttpSession {
public:
    CurlHttpSession(const StopSignal* stop) : stop_(stop) {}

    ~CurlHttpSession() override {
        if (easy_)
            curl_easy_cleanup(easy_);
        if (multi_)
            curl_multi_cleanup(multi_);
        curl_slist_free_all(headers_);
    }

    bool Initialise(const std::string& agent, const HttpTimeouts& timeouts, const HttpTrust& trust) {
        easy_ = curl_easy_init();
        multi_ = curl_multi_init();
        if (!easy_ || !multi_)
            return false;
        for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
            curl_slist* more = curl_slist_append(headers_, header);
            if (!more)
                return false;
            headers_ = more;
        }
        // Direct access whatever the proxy variables say: an empty proxy overrides the environment.
        bool ok = curl_easy_setopt(easy_, CURLOPT_PROXY, "") == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, 5L) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count())) ==
                      CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts.total.count())) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlHttpSession::OnBody) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlHttpSession::OnHead) == CURLE_OK &&
                  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this) == CURLE_OK;
        // A private service's bundle replaces the system's store rather than adding to it.
        if (!trust.caFile.empty())
            ok = ok && curl_easy_setopt(easy_, CURLOPT_CAINFO, trust.caFile.c_str()) == CURLE_OK &&
                 curl_easy_setopt(easy_, CURLOPT_CAPATH, nullptr) == CURLE_OK;
#if LIBCURL_VERSION_NUM >= 0x075700
        // A cancelled request must not wait for a name lookup still running in curl's resolver thread.
        ok = ok && curl_easy_setopt(easy_, CURLOPT_QUICK_EXIT, 1L) == CURLE_OK;
#endif
        return ok;
    }

    HttpFetch Get(const std::string& url) override {
        if (Stopped())
            return HttpFetch::Failed(HttpFailure::Stopped);
        reading_ = Reading{};
        // What was asked for over TLS is never handed on in clear.
        const char* redirects = IsHttps(url) ? "https" : "http,https";
        if (curl_easy_setopt(easy_, CURLOPT_URL, url.c_str()) != CURLE_OK ||
            curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, redirects) != CURLE_OK ||
            curl_multi_add_handle(multi_, easy_) != CURLM_OK)
            return HttpFetch::Failed(HttpFailure::ConnectionBroken);
        bool done = false;
        CURLcode result = CURLE_OK;
        // The multi interface lets a stop end the request while it connects or stalls, not only between
        // progress callbacks.
        while (!done && !Stopped()) {
            int running = 0;
            if (curl_multi_perform(multi_, &running) != CURLM_OK)
                break;
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
                    result = message->data.result;
                    done = true;
                }
            }
            if (!done && curl_multi_poll(multi_, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK)
                break;
        }
        curl_multi_remove_handle(multi_, easy_);
        if (!done)
            return HttpFetch::Failed(Stopped() ? HttpFailure::Stopped : HttpFailure::ConnectionBroken);
        long status = 0;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
        if (reading_.complete || (result == CURLE_OK && !reading_.tooLong))
            return HttpFetch::Answered(std::move(reading_.line), static_cast<int>(status));
        return HttpFetch::Failed(reading_.tooLong ? HttpFailure::AnswerTooLong : FailureOf(result, easy_));
    }

private:
    struct Reading {
        std::string line;
        bool complete = false; // the line feed has arrived
        bool tooLong = false;
        curl_off_t received = 0;
        std::size_t headBytes = 0;
    };

    bool Stopped() const {
        return stop_ && stop_->Raised();
    }

    // Every head of the request (interim answers and redirects too) counts against the one limit, so that an
    // endless head is named as the socket session names it, not as a broken connection at curl's own limit.
    static size_t OnHead(char*, size_t size, size_t count, void* context) {
        Reading& reading = static_cast<CurlHttpSession*>(context)->reading_;
        reading.headBytes += size * count;
        if (reading.headBytes > kMaxHead) {
            reading.tooLong = true;
            return 0;
        }
        return size * count;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* context) {
        auto* self = static_cast<CurlHttpSession*>(context);
        Reading& reading = self->reading_;
        const size_t bytes = size * count;
        if (reading.complete)
            return 0;
        reading.received += static_cast<curl_off_t>(bytes);
        const void* lineFeed = std::memchr(data, '\n', bytes);
        const size_t take = lineFeed ? static_cast<size_t>(static_cast<const char*>(lineFeed) - data) : bytes;
        if (reading.line.size() + take > kMaxLine) {
            reading.tooLong = true;
            return 0;
        }
        reading.line.append(data, take);
        if (!lineFeed)
            return bytes;
        reading.complete = true;
        // Nothing beyond the first line is read. When the body ends with this block the transfer may finish
        // normally, which keeps the connection for the session's next request; otherwise it is cut here.
        curl_off_t length = -1;
        if (curl_easy_getinfo(self->easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
            length == reading.received)
            return bytes;
        return 0;
    }

    const StopSignal* stop_;
    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    curl_slist* headers_ = nullptr;
    Reading reading_;
};

} // namespace

CurlHttpSessionFactory::CurlHttpSessionFactory(std::string agent, HttpTimeouts timeouts)
    : agent_(HttpAgentName(agent)), timeouts_(timeouts) {}

std::unique_ptr<HttpSession> CurlHttpSessionFactory::Open(const StopSignal* stop, const HttpTrust& trust) {
    if (!InitialiseCurl())
        return nullptr;
    auto session = std::make_unique<CurlHttpSession>(stop);
    if (!session->Initialise(agent_, timeouts_, trust))
        return nullptr;
    return session;
}

} // namespace zelto
