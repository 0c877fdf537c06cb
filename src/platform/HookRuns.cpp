#include "platform/HookRuns.h"

#include <algorithm>

namespace zelto {

void HookOutputLines::Feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (used_ >= kMaxOutput)
            return;
        ++used_;
        if (c == '\n')
            Flush();
        else if (c != '\r')
            line_ += c;
    }
}

void HookOutputLines::Flush() {
    if (!line_.empty())
        output_(line_);
    line_.clear();
}

std::vector<std::string> HookEnvironment(std::vector<std::string> inherited, const HookRun& run) {
    std::erase_if(inherited, [&run](const std::string& variable) {
        return std::ranges::any_of(run.environment,
                                   [&variable](const auto& set) { return variable.starts_with(set.first + "="); });
    });
    for (const auto& [name, value] : run.environment)
        inherited.push_back(name + "=" + value);
    return inherited;
}

void HookThreads::Add(std::function<void(std::stop_token)> watch) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    const std::lock_guard lock(mutex_);
    std::erase_if(runs_, [](const Run& run) { return run.done->load(); });
    runs_.push_back({done, std::jthread([watch = std::move(watch), done](std::stop_token stop) {
                         watch(stop);
                         *done = true;
                     })});
}

void HookThreads::EndAll(std::chrono::milliseconds grace) {
    const std::lock_guard lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    const auto going = [this] { return std::ranges::any_of(runs_, [](const Run& run) { return !run.done->load(); }); };
    while (going() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    runs_.clear(); // requests a stop of each, which ends its command, and joins it
}

} // namespace zelto
