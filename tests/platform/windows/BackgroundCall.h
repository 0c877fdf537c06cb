#pragma once

// A call run on a thread of its own while the test watches it. The test polls for its end rather than wait on
// a future: the MinGW thread library's condition variables, beneath std::future, can lose a timed waiter.

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

namespace zelto::wintest {

template <typename Result> class BackgroundCall {
public:
    template <typename Call> explicit BackgroundCall(Call call) : state_(std::make_shared<State>()) {
        thread_ = std::thread([state = state_, call = std::move(call)]() mutable {
            state->result = call();
            state->done = true;
        });
    }
    // A call still running when the test ends is left to the process's end; it keeps its own state.
    ~BackgroundCall() {
        if (state_->done)
            thread_.join();
        else
            thread_.detach();
    }
    BackgroundCall(const BackgroundCall&) = delete;
    BackgroundCall& operator=(const BackgroundCall&) = delete;

    // Whether the call returns within the given time.
    bool EndsWithin(std::chrono::milliseconds limit) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!state_->done && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return state_->done;
    }
    // What the call returned; only once it has.
    const Result& Get() const { return state_->result; }

private:
    struct State {
        std::atomic<bool> done{false};
        Result result{};
    };
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace zelto::wintest
