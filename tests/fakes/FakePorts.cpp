#include "fakes/FakePorts.h"

namespace zelto::fakes {

class FakeSession : public HttpSession {
public:
    FakeSession(FakeHttp& owner, const StopSignal* stop) : owner_(owner), stop_(stop) {}
    ~FakeSession() override { ++owner_.closed_; }
    HttpFetch Get(const std::string& url) override { return owner_.Serve(url, stop_); }

private:
    FakeHttp& owner_;
    const StopSignal* stop_;
};

void FakeHttp::Answer(std::string match, HttpFetch fetch, bool once) {
    const std::lock_guard lock(mutex_);
    rules_.push_back({std::move(match), std::move(fetch), once});
}

std::unique_ptr<HttpSession> FakeHttp::Open(const StopSignal* stop, const HttpTrust& trust) {
    if (failOpen)
        return nullptr;
    ++opened_;
    trusts_.Add(trust);
    return std::make_unique<FakeSession>(*this, stop);
}

HttpFetch FakeHttp::Serve(const std::string& url, const StopSignal* stop) {
    requests_.Add(url);
    if (onRequest)
        onRequest(url);
    if (stop && silent) {
        stop->WaitFor(std::chrono::minutes(5)); // longer than any test may take
        return HttpFetch::Failed(HttpFailure::Stopped);
    }
    if (stop && stop->Raised())
        return {};
    const std::lock_guard lock(mutex_);
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

void PostedTasks::Post(std::function<void()> task) {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    posted_.notify_all();
}

bool PostedTasks::RunNext() {
    std::function<void()> task;
    {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, std::chrono::seconds(10), [this] { return !tasks_.empty(); }))
            return false;
        task = std::move(tasks_.front());
        tasks_.pop_front();
    }
    task();
    return true;
}

} // namespace zelto::fakes
