#pragma once

#include <string>

namespace zelto {

class HttpSession;

struct FirstLine {
    bool obtained = false; // false: no response
    std::string line;      // the first line, every carriage return dropped
};

// The one way the client makes an HTTP request and reads its answer line.
FirstLine FetchFirstLine(HttpSession& session, const std::string& url);

} // namespace zelto
