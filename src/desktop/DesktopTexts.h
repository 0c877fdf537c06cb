#pragma once

#include "update/Notices.h"

#include <string>

namespace zelto {

class SettingsFile;

// A refusal as the dialogs tell it, sending the user to the Properties dialog where it is fixed.
std::string AccountProblemText(const AccountNotice& notice);

// The message shown when a dialog's change could not be written.
std::string WriteFailedText(const SettingsFile& settings);

// One line of the exchange log after the program's name: failures and warnings marked as a compiler marks
// them, every byte a terminal or debugger would act on escaped (a server may send any bytes), and a long
// answer cut.
std::string ExchangeLogLine(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text);

} // namespace zelto
