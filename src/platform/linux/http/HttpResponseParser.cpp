#include "platform/linux/http/HttpResponseParser.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zelto {

namespace {

// Chunk-size lines and trailers are short; a longer one is not HTTP.
constexpr std::size_t kMaxFramingLine = 4096;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Calls `each` with every trimmed, non-empty element of a comma-separated header value.
template <typename Each> void ForEachToken(std::string_view list, Each each) {
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view token = Trim(list.substr(0, comma));
        if (!token.empty())
            each(token);
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
}

// A decimal or hexadecimal number of at most 15 digits, so no sum of them can overflow.
bool ParseNumber(std::string_view text, int base, std::uint64_t& value) {
    if (text.empty() || text.size() > 15)
        return false;
    value = 0;
    for (char c : text) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                              ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                              : -1;
        if (digit < 0)
            return false;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return true;
}

} // namespace

void HttpResponseParser::Feed(std::string_view bytes) {
    while (!bytes.empty() && state_ != State::Failed) {
        if (state_ == State::Done) {
            // Nothing was asked for: a server that sends more is not one to send another request to.
            Fail();
        } else if (state_ == State::Head) {
            FeedHead(bytes);
        } else if (framing_ == Framing::Chunked) {
            FeedChunked(bytes);
        } else {
            const std::size_t take = framing_ == Framing::Length
                                         ? static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, bytes.size()))
                                         : bytes.size();
            TakeBody(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (framing_ == Framing::Length && (remaining_ -= take) == 0 && state_ == State::Body)
                state_ = State::Done;
        }
    }
}

void HttpResponseParser::FeedEnd() {
    if (state_ == State::Body && framing_ == Framing::UntilClose)
        state_ = State::Done;
    else if (state_ != State::Done)
        Fail();
}

void HttpResponseParser::FeedHead(std::string_view& bytes) {
    // The head ends with an empty line; a lone LF ends lines as well as CRLF.
    // Interim answers count against the one limit, so that a flood of them ends as surely as one long head.
    const std::size_t limit = headLimit_ - std::min(headSeen_, headLimit_);
    const std::size_t before = pending_.size();
    pending_.append(bytes.substr(0, std::min(bytes.size(), limit + 4 - std::min(before, limit + 4))));
    std::size_t end = std::string::npos;
    std::size_t endLength = 0;
    for (std::size_t at = before > 3 ? before - 3 : 0; at < pending_.size(); ++at) {
        if (pending_[at] != '\n')
            continue;
        const std::size_t next = at + 1;
        if (next < pending_.size() && pending_[next] == '\n') {
            end = at + 1;
            endLength = 1;
        } else if (next + 1 < pending_.size() && pending_[next] == '\r' && pending_[next + 1] == '\n') {
            end = at + 1;
            endLength = 2;
        }
        if (end != std::string::npos)
            break;
    }
    // The limit counts the head without its blank line, which may take two more bytes to arrive.
    if (end == std::string::npos || end > limit) {
        if (end != std::string::npos || pending_.size() >= limit + 2)
            FailOverLimit();
        bytes = {};
        return;
    }
    const std::size_t used = end + endLength - before;
    bytes.remove_prefix(used);
    const std::string head = pending_.substr(0, end);
    pending_.clear();
    if (!ParseHead(head))
        return Fail();
    if (status_ >= 100 && status_ < 200) {
        if (status_ == 101)
            return Fail();
        location_.clear();
        lengthSeen_ = encoded_ = chunkedLast_ = false;
        headSeen_ += end + endLength;
        return; // an interim answer: the real one follows
    }
    state_ = State::Body;
    if (status_ == 204 || status_ == 304)
        framing_ = Framing::None;
    if (framing_ == Framing::None || (framing_ == Framing::Length && remaining_ == 0))
        state_ = State::Done;
    // A length beside a transfer coding, or a coding HTTP/1.0 does not know, leaves in doubt where this
    // answer ends for whoever else reads the connection: it carries no further request.
    if (framing_ == Framing::UntilClose || (encoded_ && (lengthSeen_ || !http11_)))
        keepAlive_ = false;
}

bool HttpResponseParser::ParseHead(std::string_view head) {
    const std::size_t lineEnd = head.find('\n');
    const std::string_view statusLine = Trim(head.substr(0, lineEnd));
    // "HTTP/1.1 200 OK": the version, then a three-digit status.
    if (statusLine.size() < 12 || statusLine.substr(0, 5) != "HTTP/" || statusLine[8] != ' ')
        return false;
    const std::string_view version = statusLine.substr(5, 3);
    if (version != "1.0" && version != "1.1")
        return false;
    std::uint64_t status = 0;
    if (!ParseNumber(statusLine.substr(9, 3), 10, status) || status < 100 || status > 999 ||
        (statusLine.size() > 12 && statusLine[12] != ' '))
        return false;
    status_ = static_cast<int>(status);
    http11_ = version == "1.1";
    keepAlive_ = http11_;
    std::string_view rest = lineEnd == std::string_view::npos ? std::string_view{} : head.substr(lineEnd + 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 || line.front() == ' ' || line.front() == '\t')
            return false; // folded and nameless headers are obsolete; their meaning would be guessed
        if (!ReadHeader(line.substr(0, colon), Trim(line.substr(colon + 1))))
            return false;
    }
    // A transfer coding decides over a length: chunked ends by itself, any other coding runs to the close.
    if (encoded_)
        framing_ = chunkedLast_ ? Framing::Chunked : Framing::UntilClose;
    else
        framing_ = lengthSeen_ ? Framing::Length : Framing::UntilClose;
    return true;
}

bool HttpResponseParser::ReadHeader(std::string_view name, std::string_view value) {
    if (EqualsNoCase(name, "Content-Length")) {
        std::uint64_t length = 0;
        // Two different lengths leave the end of the body unknown.
        if (!ParseNumber(value, 10, length) || (lengthSeen_ && length != remaining_))
            return false;
        lengthSeen_ = true;
        remaining_ = length;
    } else if (EqualsNoCase(name, "Transfer-Encoding")) {
        encoded_ = true;
        ForEachToken(value, [&](std::string_view token) { chunkedLast_ = EqualsNoCase(token, "chunked"); });
    } else if (EqualsNoCase(name, "Connection")) {
        ForEachToken(value, [&](std::string_view token) {
            if (EqualsNoCase(token, "close"))
                keepAlive_ = false;
            else if (EqualsNoCase(token, "keep-alive") && !http11_)
                keepAlive_ = true;
        });
    } else if (EqualsNoCase(name, "Location")) {
        location_ = value;
    }
    return true;
}

bool HttpResponseParser::TakeFramingLine(std::string_view& bytes) {
    const std::size_t lineFeed = bytes.find('\n');
    const std::size_t take = lineFeed == std::string_view::npos ? bytes.size() : lineFeed + 1;
    pending_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (pending_.size() > kMaxFramingLine)
        Fail();
    return lineFeed != std::string_view::npos && state_ != State::Failed;
}

void HttpResponseParser::FeedChunked(std::string_view& bytes) {
    switch (chunkPart_) {
    case ChunkPart::Size: {
        if (!TakeFramingLine(bytes))
            return;
        const std::string_view line = Trim(std::string_view(pending_).substr(0, pending_.size() - 1));
        const bool ok = ParseNumber(Trim(line.substr(0, line.find(';'))), 16, remaining_);
        pending_.clear();
        if (!ok)
            return Fail();
        chunkPart_ = remaining_ == 0 ? ChunkPart::Trailer : ChunkPart::Data;
        return;
    }
    case ChunkPart::Data: {
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, bytes.size()));
        TakeBody(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if ((remaining_ -= take) == 0)
            chunkPart_ = ChunkPart::DataEnd;
        return;
    }
    case ChunkPart::DataEnd: {
        if (!TakeFramingLine(bytes))
            return;
        const bool ok = pending_ == "\r\n" || pending_ == "\n";
        pending_.clear();
        if (!ok)
            return Fail();
        chunkPart_ = ChunkPart::Size;
        return;
    }
    case ChunkPart::Trailer: {
        if (!TakeFramingLine(bytes))
            return;
        const bool last = pending_ == "\r\n" || pending_ == "\n";
        // Trailer lines are a head after the body, held to the same limit.
        headSeen_ += pending_.size();
        pending_.clear();
        if (headSeen_ > headLimit_)
            return FailOverLimit();
        if (last)
            state_ = State::Done;
        return;
    }
    }
}

void HttpResponseParser::TakeBody(std::string_view data) {
    if (lineComplete_) {
        afterLine_ += data.size();
        return;
    }
    const void* lineFeed = std::memchr(data.data(), '\n', data.size());
    const std::size_t take =
        lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - data.data()) : data.size();
    if (firstLine_.size() + take > lineLimit_)
        return FailOverLimit();
    firstLine_.append(data.substr(0, take));
    if (lineFeed) {
        lineComplete_ = true;
        afterLine_ += data.size() - take - 1;
    }
}

} // namespace zelto
