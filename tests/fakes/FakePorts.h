#pragma once

// Test doubles for every port of the engine: they record what the engine did and answer what a test set.

#include "platform/AutodialSetting.h"
#include "platform/Clock.h"
#include "platform/EventRelay.h"
#include "platform/HostAddresses.h"
#include "platform/HttpSession.h"
#include "platform/SoundPlayer.h"
#include "platform/StopSignal.h"
#include "update/EnginePorts.h"
#include "update/Notices.h"
#include "update/UpdateCycle.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zelto::fakes {

// A list that any thread may add to and read, and wait on.
template <class T> class Recorded {
public:
    std::size_t Add(T item) {
        const std::lock_guard lock(mutex_);
        items_.push_back(std::move(item));
        added_.notify_all();
        return items_.size();
    }
    std::vector<T> Get() const {
        const std::lock_guard lock(mutex_);
        return items_;
    }
    // Until it holds `count` items or `timeout` has passed; the items then.
    std::vector<T> WaitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(30)) const {
        std::unique_lock lock(mutex_);
        added_.wait_for(lock, timeout, [&] { return items_.size() >= count; });
        return items_;
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable added_;
    std::vector<T> items_;
};

// Scripted HTTP: answers come from per-URL rules; every URL asked for is recorded.
class FakeHttp : public HttpSessionFactory {
public:
    // Answer for the next request whose URL contains `match` (first rule that matches wins; a rule is
    // used once when `once` is set, else for ever).
    void Answer(std::string match, HttpFetch fetch, bool once = false);
    void AnswerLine(std::string match, std::string line, bool once = false) {
        Answer(std::move(match), HttpFetch{true, std::move(line)}, once);
    }
    // Called before each answer, on the requesting thread.
    std::function<void(const std::string& url)> onRequest;
    bool failOpen = false; // when set, Open fails
    // A service that never answers: each request of a session opened with a stop waits for that stop and
    // gets no answer.
    std::atomic<bool> silent = false;

    std::unique_ptr<HttpSession> Open(const StopSignal* stop = nullptr, const HttpTrust& trust = {}) override;
    std::vector<std::string> Requests() const { return requests_.Get(); }
    int SessionsOpened() const { return opened_; }
    int SessionsClosed() const { return closed_; }
    std::vector<HttpTrust> TrustOpened() const { return trusts_.Get(); } // of every session, in order

private:
    friend class FakeSession;
    struct Rule {
        std::string match;
        HttpFetch fetch;
        bool once;
    };
    HttpFetch Serve(const std::string& url, const StopSignal* stop);

    std::mutex mutex_;
    std::deque<Rule> rules_;
    Recorded<std::string> requests_;
    Recorded<HttpTrust> trusts_;
    std::atomic<int> opened_ = 0, closed_ = 0;
};

// The autodial switch as a value with a type; records every write. `exists` false makes Open fail;
// `holders` counts the requests holding it off, other processes' included.
class FakeAutodial : public AutodialSetting {
public:
    bool exists = true, open = false;
    std::uint32_t value = 1, type = 4;
    int holders = 0;
    std::vector<std::uint32_t> writes;

    bool Open() override { return open = exists; }
    bool Read(std::uint32_t& v, std::uint32_t& t) override { return open && (v = value, t = type, true); }
    bool Write(std::uint32_t v, std::uint32_t t) override {
        return open && (value = v, type = t, writes.push_back(v), true);
    }
    void Close() override { open = false; }
    bool Held() override { return holders > 0; }
    bool Join() override { return open && ++holders > 0; }
    void Leave() override { --holders; }
    std::optional<std::uint32_t> copy;
    bool KeepCopy() override { return open && (copy = value, true); }
    void DropCopy() override { copy.reset(); }
    void RestoreKeptCopy() override {
        if (copy && holders == 0)
            writes.push_back(value = *std::exchange(copy, std::nullopt));
    }
};

class FakeHostAddresses : public HostAddresses {
public:
    std::vector<std::string> addresses;
    std::vector<std::string> List() override { return addresses; }
};

// A settable clock; FakeClock::At builds a local time (the test sets TZ).
class FakeClock : public Clock {
public:
    std::time_t now = 0;
    std::time_t Now() const override { return now; }
    static std::time_t At(int year, int month, int day, int hour, int minute, int second) {
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
};

class FakeNotices : public Notices {
public:
    void ShowMessage(const std::string& text) override {
        messages_.Add(text);
        if (onMessage)
            onMessage(text);
    }
    // Recorded as a message: "expired example.com http://www.zelto.com/register.htm".
    void ShowAccountProblem(const AccountNotice& n) override {
        ShowMessage(std::string(RefusalWord(n.refusal)) + " " + n.domain + "." + n.topLevel + " " + n.registrationPage);
    }
    bool SetTooltipText(const std::string& text) override { return tooltips_.Add(text); }
    void LogExchange(const std::string&, ExchangeOutcome outcome, const std::string&) override {
        outcomes_.Add(outcome);
    }
    // Called inside ShowMessage, before it returns (to hold the update thread like an open message box).
    std::function<void(const std::string&)> onMessage;

    std::vector<std::string> Messages() const { return messages_.Get(); }
    std::vector<std::string> WaitForMessages(std::size_t count) const { return messages_.WaitFor(count); }
    std::vector<std::string> Tooltips() const { return tooltips_.Get(); }
    std::vector<std::string> WaitForTooltips(std::size_t count) const { return tooltips_.WaitFor(count); }
    std::vector<ExchangeOutcome> Outcomes() const { return outcomes_.Get(); }
    std::vector<ExchangeOutcome> WaitForOutcomes(std::size_t count) const { return outcomes_.WaitFor(count); }

private:
    Recorded<std::string> messages_, tooltips_;
    Recorded<ExchangeOutcome> outcomes_;
};

class FakeSound : public SoundPlayer {
public:
    bool PlaySoundCue(std::string_view name) override { return played_.Add(std::string(name)); }
    std::vector<std::string> Played() const { return played_.Get(); }
    std::vector<std::string> WaitForPlayed(std::size_t count) const { return played_.WaitFor(count); }

private:
    Recorded<std::string> played_;
};

// Records pauses without waiting; after `stopAfter` pauses it raises the stop and returns false. `onSleep`
// runs within each pause, `onSlept` at its end with the time it lasted: all of it, or none when a wake came
// during `onSleep` to a pause that can be woken.
class FakeSleeper : public Sleeper {
public:
    explicit FakeSleeper(StopSignal* stop = nullptr, std::size_t stopAfter = 0) : stop_(stop), stopAfter_(stopAfter) {}
    bool Sleep(std::chrono::milliseconds duration) override {
        Pause(duration);
        woken_ = false;
        return End(duration);
    }
    StopSignal::WaitEnd SleepUntilWoken(std::chrono::milliseconds duration) override {
        Pause(duration);
        const bool woken = woken_.exchange(false);
        if (!End(woken ? std::chrono::milliseconds(0) : duration))
            return StopSignal::WaitEnd::Stopped;
        return woken ? StopSignal::WaitEnd::Woken : StopSignal::WaitEnd::TimeUp;
    }
    void Wake() override { woken_ = true; }
    std::function<void(std::chrono::milliseconds)> onSleep, onSlept;
    std::vector<std::chrono::milliseconds> Pauses() const { return pauses_.Get(); }

private:
    void Pause(std::chrono::milliseconds duration) {
        count_ = pauses_.Add(duration);
        if (onSleep)
            onSleep(duration);
    }
    bool End(std::chrono::milliseconds slept) {
        if (onSlept)
            onSlept(slept);
        if (stop_ && stopAfter_ > 0 && count_ >= stopAfter_)
            stop_->Raise();
        return !(stop_ && stop_->Raised());
    }

    StopSignal* stop_;
    std::size_t stopAfter_;
    std::size_t count_ = 0;
    Recorded<std::chrono::milliseconds> pauses_;
    std::atomic<bool> woken_{false};
};

// Events the test announces, passed to whoever listens.
class FakeSystemEvents : public SystemEvents {
public:
    void Listen(Listener listener) override { relay_.Set(std::move(listener)); }
    void Unlisten() override { relay_.Clear(); }
    void Announce(SystemEvent event) override { relay_.Deliver(event); }

private:
    EventRelay relay_;
};

// The GUI thread's task queue of a skin: tasks posted from any thread run when the test lets them.
class PostedTasks {
public:
    void Post(std::function<void()> task);
    // Waits for the next task (ten seconds at most) and runs it; false when none came.
    bool RunNext();

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};

// Every fake, wired into one EnginePorts over a settings file the test gives.
struct FakeWorld {
    explicit FakeWorld(SettingsFile& settings)
        : ports{settings, {http, autodial, addresses, clock, sound, nullptr, &events}, notices} {}
    FakeHttp http;
    FakeAutodial autodial;
    FakeHostAddresses addresses;
    FakeClock clock;
    FakeNotices notices;
    FakeSound sound;
    FakeSystemEvents events;
    EnginePorts ports;
};

} // namespace zelto::fakes
