#include "update/UpdateAnswer.h"

namespace zelto {

UpdateAnswer ClassifyAnswer(std::string_view line) {
    if (line == "expired")
        return UpdateAnswer::Expired;
    if (line == "nodomain")
        return UpdateAnswer::NoDomain;
    if (line == "wrongpassword")
        return UpdateAnswer::WrongPassword;
    if (line.starts_with("ip"))
        return UpdateAnswer::Registered;
    return UpdateAnswer::Ignored;
}

std::string RegisteredAddress(std::string_view line) {
    return line.starts_with("ip") ? std::string(line.substr(2)) : std::string{};
}

} // namespace zelto
