#pragma once
// Serving: what vorfjp-web does once its options are read and checked. By then main has refused
// an address beyond this computer without a stored password.
#include "webd/web_options.h"

namespace webd {

// Builds the board side over the board engine, listens where options say (WebService) and
// serves until the process is ended. Returns the exit status (ExitStatus): kUnavailable when
// the address cannot be bound.
int runService(const WebOptions& options);

} // namespace webd
