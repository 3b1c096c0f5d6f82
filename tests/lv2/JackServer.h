#pragma once
// A JACK server of a test's own, on the dummy driver.
//
// JACK registers running servers in a machine-wide table of eight entries, and forgets
// one whose server died without its clean-up only when a server of the same name
// starts. Tests that named their servers afresh each run filled it for good; these
// take their names from a small pool instead, so that each reclaims what an earlier
// run left, and skip a name another test's server is using.

#include "tests/lv2/ChildProcess.h"

#include <string>

// Starts jackd in `jack` and waits (bounded) until it serves; its name into *name. False
// with the reason in *why when no server could be started.
bool StartJackServer(BackgroundChild* jack, const std::string& logPrefix, std::string* name, std::string* why);
