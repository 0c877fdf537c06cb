#pragma once

namespace zelto {

// Keeps the passwords this process holds out of core dumps, and its memory out of reach of other processes
// of the same user (ptrace, /proc/PID/mem). Called first thing in main; says on standard error when it
// cannot.
void DisableCoreDumps();

} // namespace zelto
