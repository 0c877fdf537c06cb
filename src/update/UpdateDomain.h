#pragma once

#include "schema/DomainEntry.h"
#include "schema/RequestOutcome.h"

#include <string>

namespace zelto {

struct EnginePorts;
class HttpSession;
class ServiceEndpoints;

// What came of one domain's exchange.
struct DomainExchange {
    RequestOutcome outcome;     // NoAnswer when nothing came back; an "ip" line without an address is OtherAnswer
    std::string line;           // the answer's first line
    std::string address;        // for Registered: the address the service registered
    bool recordWritten = false; // for Registered: false when the update record could not be written
};

// One domain's exchange with the update server, entry `number`: the request, the dial-up guard around it, the
// answer classified once, then the update record (with the outcome, in one write) for an address, or the pause
// for a refusal before the user is told of it, and the log line and tooltip.
DomainExchange UpdateDomain(EnginePorts& ports, HttpSession& session, const ServiceEndpoints& endpoints, int number,
                            const DomainEntry& entry, const std::string& address);

} // namespace zelto
