#pragma once

namespace httplib {
struct Request;
}

namespace zelto::emulator {

// Ends the connection a request came on without a byte of answer: the one thing the HTTP library cannot be
// asked to do, and what a crashed service looks like to the client. False when the connection is not found.
bool CloseWithoutAnswer(const httplib::Request& request);

} // namespace zelto::emulator
