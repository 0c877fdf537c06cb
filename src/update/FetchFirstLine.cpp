#include "update/FetchFirstLine.h"

#include "platform/HttpSession.h"

#include <algorithm>

namespace zelto {

FirstLine FetchFirstLine(HttpSession& session, const std::string& url) {
    HttpFetch fetch = session.Get(url);
    if (!fetch.obtained)
        return {false, {}, fetch.failure, 0};
    std::erase(fetch.firstLine, '\r');
    return {true, std::move(fetch.firstLine), fetch.failure, fetch.status};
}

} // namespace zelto
