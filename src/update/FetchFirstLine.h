#pragma once

#include "platform/HttpSession.h"

#include <string>

namespace zelto {

struct FirstLine {
    bool obtained = false;                   // false: no response
    std::string line;                        // the first line, every carriage return dropped
    HttpFailure failure = HttpFailure::None; // why there was no response, or ErrorStatus
    int status = 0;                          // the HTTP status of a response
};

// The one way the client makes an HTTP request and reads its answer line.
FirstLine FetchFirstLine(HttpSession& session, const std::string& url);

} // namespace zelto
