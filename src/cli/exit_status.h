#pragma once
// vorfjp-send's exit statuses, kept beside the board's words for its problems.
#include "board/exit_status.h"

namespace cli {

using namespace board::exits;

} // namespace cli
