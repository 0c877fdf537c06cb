#include "schema/Refusal.h"

#include <utility>

namespace zelto {

namespace {

constexpr std::pair<Refusal, std::string_view> kWords[] = {
    {Refusal::WrongPassword, "wrongpassword"},
    {Refusal::Expired, "expired"},
    {Refusal::NoDomain, "nodomain"},
};

} // namespace

std::string_view RefusalWord(Refusal refusal) {
    for (const auto& [known, word] : kWords)
        if (known == refusal)
            return word;
    return {};
}

std::optional<Refusal> RefusalNamed(std::string_view word) {
    for (const auto& [refusal, known] : kWords)
        if (known == word)
            return refusal;
    return std::nullopt;
}

} // namespace zelto
