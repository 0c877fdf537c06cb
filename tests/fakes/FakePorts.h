#pragma once

// Test doubles for every port of the engine: they record what the engine did and answer what a test set.

#include "platform/AutodialSetting.h"
#include "platform/Clock.h"
#include "platform/HostAddresses.h"
#include "platform/HttpSession.h"
#include "platform/Notices.h"
#include "platform/SoundPlayer.h"
#include "platform/StopSignal.h"
#include "update/EnginePorts.h"
#include "update/UpdateThread.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zelto::fakes {

// Scripted HTTP: answers come from a per-URL-prefix rule or a queue; every URL asked for is recorded.
class FakeHttp : public HttpSessionFactory {
public:
    // Answer for the next request whose URL contains `match` (first rule that matches wins; a rule is
    // used once when `once` is set, else for ever).
    void Answer(std::string match, HttpFetch fetch, bool once = false);
    // Shorthand: an obtained first line.
    void AnswerLine(std::string match, std::string line, bool once = false) {
        Answer(std::move(match), HttpFetch{true, std::move(line)}, once);
    }
    // Called before each answer, on the requesting thread (to block, count, or raise a stop).
    std::function<void(const std::string& url)> onRequest;
    // When set, Open fails.
    bool failOpen = false;
    // When set, a request stalls like a server that never answers, until its session's stop is raised
    // (at most 10 s); it then ends without a response.
    bool stallUntilStopped = false;

    std::unique_ptr<HttpSession> Open(const StopSignal* stop = nullptr) override;

    std::vector<std::string> Requests() const;
    int SessionsOpened() const;
    int SessionsClosed() const;

private:
    friend class FakeSession;
    struct Rule {
        std::string match;
        HttpFetch fetch;
        bool once;
    };
    HttpFetch Serve(const std::string& url, const StopSignal* stop);
    void Closed();

    mutable std::mutex mutex_;
    std::deque<Rule> rules_;
    std::vector<std::string> requests_;
    int opened_ = 0;
    int closed_ = 0;
};

// The autodial switch as a value with a type; records every write. `exists` false makes Open fail.
class FakeAutodial : public AutodialSetting {
public:
    bool exists = true;
    std::uint32_t value = 1;
    std::uint32_t type = 4;
    std::vector<std::uint32_t> writes;
    bool open = false;

    bool Open() override;
    bool Read(std::uint32_t& v, std::uint32_t& t) override;
    bool Write(std::uint32_t v, std::uint32_t t) override;
    void Close() override { open = false; }
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
    static std::time_t At(int year, int month, int day, int hour, int minute, int second);
};

class FakeNotices : public Notices {
public:
    void ShowMessage(const std::string& text) override;
    bool SetTooltipText(const std::string& text) override;
    void LogExchange(const std::string&, const std::string&) override {}
    // Called inside ShowMessage, before it returns (to hold the update thread like an open message box).
    std::function<void(const std::string&)> onMessage;

    std::vector<std::string> Messages() const;
    std::vector<std::string> Tooltips() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
    std::vector<std::string> tooltips_;
};

class FakeSound : public SoundPlayer {
public:
    bool PlaySoundCue(std::string_view name) override;
    std::vector<std::string> Played() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> played_;
};

// Records pauses without waiting; after `stopAfter` pauses it raises the stop and returns false.
class FakeSleeper : public Sleeper {
public:
    explicit FakeSleeper(StopSignal* stop = nullptr, int stopAfter = -1) : stop_(stop), stopAfter_(stopAfter) {}
    bool Sleep(std::chrono::milliseconds duration) override;
    std::function<void(std::chrono::milliseconds)> onSleep;
    std::vector<std::chrono::milliseconds> Pauses() const;

private:
    StopSignal* stop_;
    int stopAfter_;
    mutable std::mutex mutex_;
    std::vector<std::chrono::milliseconds> pauses_;
};

// Every fake, wired into one EnginePorts over a settings file the test gives.
struct FakeWorld {
    explicit FakeWorld(SettingsFile& settings) : ports{settings, http, autodial, addresses, clock, notices, sound} {}
    FakeHttp http;
    FakeAutodial autodial;
    FakeHostAddresses addresses;
    FakeClock clock;
    FakeNotices notices;
    FakeSound sound;
    EnginePorts ports;
};

} // namespace zelto::fakes
