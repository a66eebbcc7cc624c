#pragma once
// Exit statuses of vorfjp-send, after sysexits.h, so that scripts and timers can tell the cases.
// Here because each problem of the board is worded with its status (operator_text.h).
namespace board::exits {

enum ExitStatus : int {
    kDone = 0,
    kUsage = 64,           // EX_USAGE: a wrong option, value or command
    kContentUnusable = 65, // EX_DATAERR: the content file cannot be read or does not fit a frame
    kUnavailable = 69,     // EX_UNAVAILABLE: the port cannot be opened or reached; no weather font or drawing module
    kLineFailed = 74,      // EX_IOERR: a write failed or the line was lost
    kNoAnswer = 75,        // EX_TEMPFAIL: the board did not answer in time
};

} // namespace board::exits
