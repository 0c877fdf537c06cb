#pragma once

#include "platform/HttpSession.h"

#include <string>

namespace zelto {

// The words for why an exchange failed, the one place they are chosen: the log lines and the status report
// both say them. "" for an exchange that was answered with a success status.
std::string FailureText(HttpFailure failure, int status);

// What the log says after the URL when nothing came back: "no answer (connection refused)".
std::string NoAnswerText(HttpFailure failure);

} // namespace zelto
