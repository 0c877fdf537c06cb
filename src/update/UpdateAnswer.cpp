#include "update/UpdateAnswer.h"

#include <algorithm>

namespace zelto {

UpdateAnswer ClassifyAnswer(std::string_view line) {
    if (const std::optional<Refusal> refusal = RefusalNamed(line))
        return {RequestResult::Refused, *refusal, {}};
    if (line.starts_with("ip"))
        return {RequestResult::Registered, Refusal::WrongPassword, std::string(line.substr(2))};
    return {};
}

bool IsRecordableAddress(std::string_view address) {
    if (address.empty())
        return true;
    if (std::count(address.begin(), address.end(), '.') != 3)
        return false;
    for (std::size_t start = 0; start <= address.size();) {
        const std::size_t end = std::min(address.find('.', start), address.size());
        const std::string_view part = address.substr(start, end - start);
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part.front() == '0') ||
            part.find_first_not_of("0123456789") != std::string_view::npos || std::stoi(std::string(part)) > 255)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace zelto
