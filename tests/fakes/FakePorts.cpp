#include "fakes/FakePorts.h"

#include <algorithm>
#include <thread>

namespace zelto::fakes {

class FakeSession : public HttpSession {
public:
    FakeSession(FakeHttp& owner, const StopSignal* stop) : owner_(owner), stop_(stop) {}
    ~FakeSession() override { owner_.Closed(); }
    HttpFetch Get(const std::string& url) override { return owner_.Serve(url, stop_); }

private:
    FakeHttp& owner_;
    const StopSignal* stop_;
};

void FakeHttp::Answer(std::string match, HttpFetch fetch, bool once) {
    std::lock_guard lock(mutex_);
    rules_.push_back({std::move(match), std::move(fetch), once});
}

std::unique_ptr<HttpSession> FakeHttp::Open(const StopSignal* stop) {
    std::lock_guard lock(mutex_);
    if (failOpen)
        return nullptr;
    ++opened_;
    return std::make_unique<FakeSession>(*this, stop);
}

HttpFetch FakeHttp::Serve(const std::string& url, const StopSignal* stop) {
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(url);
    }
    if (onRequest)
        onRequest(url);
    if (stallUntilStopped && stop) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!stop->Raised() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (stop && stop->Raised())
        return {};
    std::lock_guard lock(mutex_);
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (url.find(it->match) == std::string::npos)
            continue;
        HttpFetch fetch = it->fetch;
        if (it->once)
            rules_.erase(it);
        return fetch;
    }
    return {};
}

void FakeHttp::Closed() {
    std::lock_guard lock(mutex_);
    ++closed_;
}

std::vector<std::string> FakeHttp::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int FakeHttp::SessionsOpened() const {
    std::lock_guard lock(mutex_);
    return opened_;
}

int FakeHttp::SessionsClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

bool FakeAutodial::Open() {
    open = exists;
    return exists;
}

bool FakeAutodial::Read(std::uint32_t& v, std::uint32_t& t) {
    if (!open)
        return false;
    v = value;
    t = type;
    return true;
}

bool FakeAutodial::Write(std::uint32_t v, std::uint32_t t) {
    if (!open)
        return false;
    value = v;
    type = t;
    writes.push_back(v);
    return true;
}

std::time_t FakeClock::At(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

void FakeNotices::ShowMessage(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(text);
    }
    if (onMessage)
        onMessage(text);
}

bool FakeNotices::SetTooltipText(const std::string& text) {
    std::lock_guard lock(mutex_);
    tooltips_.push_back(text);
    return true;
}

std::vector<std::string> FakeNotices::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> FakeNotices::Tooltips() const {
    std::lock_guard lock(mutex_);
    return tooltips_;
}

bool FakeSound::PlaySoundCue(std::string_view name) {
    std::lock_guard lock(mutex_);
    played_.emplace_back(name);
    return true;
}

std::vector<std::string> FakeSound::Played() const {
    std::lock_guard lock(mutex_);
    return played_;
}

bool FakeSleeper::Sleep(std::chrono::milliseconds duration) {
    int count;
    {
        std::lock_guard lock(mutex_);
        pauses_.push_back(duration);
        count = static_cast<int>(pauses_.size());
    }
    if (onSleep)
        onSleep(duration);
    if (stop_ && stopAfter_ >= 0 && count >= stopAfter_)
        stop_->Raise();
    return !(stop_ && stop_->Raised());
}

std::vector<std::chrono::milliseconds> FakeSleeper::Pauses() const {
    std::lock_guard lock(mutex_);
    return pauses_;
}

} // namespace zelto::fakes
