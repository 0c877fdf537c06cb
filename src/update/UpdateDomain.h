#pragma once

#include "platform/HttpSession.h"
#include "schema/RequestOutcome.h"

#include <functional>
#include <string>
#include <utility>

namespace zelto {

struct EnginePorts;
enum class UpdateAnswer;

// One domain's exchange with the update server: request, dial-up guard, answer, messages, tooltip and the
// update record. Returns the answer's meaning (Ignored also when no response came; see obtained).
struct DomainExchange {
    bool obtained = false;
    std::string line;
    // For an "ip" answer: false when the update record could not be written to the settings file.
    bool recordWritten = false;
    HttpFailure failure = HttpFailure::None; // why there was no answer, or ErrorStatus
    int status = 0;
};

// A key and its value that the caller stores in the same replacement of the file as the update record, from
// the exchange that registered: the pass's one write of the file then carries both.
using WrittenWithRecord = std::function<std::pair<std::string, std::string>(const DomainExchange&)>;

DomainExchange UpdateDomain(EnginePorts& ports, HttpSession& session, const std::string& firstLevel,
                            const std::string& secondLevel, const std::string& password, const std::string& address,
                            const WrittenWithRecord& withRecord = {});

// What came of one exchange; `meaning` is its answer's, when one came.
RequestOutcome OutcomeOf(const DomainExchange& exchange, UpdateAnswer meaning, std::time_t now);

} // namespace zelto
