#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelto {

// Reads one HTTP/1.x response as it arrives, in pieces of any size: the status, the Location header, whether
// the connection may carry another request, and the first line of the body (chunked, sized, or up to the
// close). Interim 1xx responses are skipped.
// A response framed both by length and by transfer coding, or with a coding on HTTP/1.0, is not Reusable.
class HttpResponseParser {
public:
    enum class State {
        Head,   // the status line and headers are still coming
        Body,   // the body is still coming
        Done,   // the response is complete
        Failed, // not HTTP, malformed framing, a head or first line over the limit, or more than one response
    };

    // Heads over headLimit bytes in all (interim answers, the final head and the trailer lines together), or
    // a first line over lineLimit, fail the response.
    explicit HttpResponseParser(std::size_t lineLimit, std::size_t headLimit = 64 * 1024)
        : lineLimit_(lineLimit), headLimit_(headLimit) {}

    // Takes the next bytes from the connection.
    void Feed(std::string_view bytes);
    // The connection reached its end: completes a body that runs up to the close, and fails anything else
    // still incomplete.
    void FeedEnd();

    State GetState() const { return state_; }
    // Failed because the head or the first line outgrew its limit.
    bool OverLimit() const { return overLimit_; }
    int Status() const { return status_; }
    const std::string& Location() const { return location_; }
    // The body's bytes before its first line feed; all of it when it has none.
    const std::string& FirstLine() const { return firstLine_; }
    // The first line feed of the body has arrived.
    bool LineComplete() const { return lineComplete_; }
    // Body bytes received after the first line's line feed.
    std::uint64_t BytesAfterLine() const { return afterLine_; }
    // Done, and the server lets the connection carry the next request.
    bool Reusable() const { return state_ == State::Done && keepAlive_; }

private:
    enum class Framing { None, Length, Chunked, UntilClose };
    enum class ChunkPart { Size, Data, DataEnd, Trailer };

    void FeedHead(std::string_view& bytes);
    bool ParseHead(std::string_view head);
    bool ReadHeader(std::string_view name, std::string_view value);
    void FeedChunked(std::string_view& bytes);
    // Reads a CRLF- or LF-ended line of chunk framing into pending_; false while it is incomplete.
    bool TakeFramingLine(std::string_view& bytes);
    void TakeBody(std::string_view data);
    void Fail() { state_ = State::Failed; }
    void FailOverLimit() {
        Fail();
        overLimit_ = true;
    }

    std::size_t lineLimit_;
    std::size_t headLimit_;
    State state_ = State::Head;
    bool overLimit_ = false;
    std::string pending_;      // an incomplete head or chunk framing line
    std::size_t headSeen_ = 0; // bytes of interim heads and trailer lines so far
    int status_ = 0;
    bool http11_ = false;
    bool keepAlive_ = false;
    std::string location_;
    Framing framing_ = Framing::UntilClose;
    bool lengthSeen_ = false;
    bool encoded_ = false;        // a Transfer-Encoding header came
    bool chunkedLast_ = false;    // and its last coding is chunked
    std::uint64_t remaining_ = 0; // of the sized body, or of the current chunk
    ChunkPart chunkPart_ = ChunkPart::Size;
    std::string firstLine_;
    bool lineComplete_ = false;
    std::uint64_t afterLine_ = 0;
};

} // namespace zelto
