#include "board/outcome.h"

#include "board/overloaded.h"

namespace board {

const char* problemKind(const Problem& problem)
{
    return std::visit(Overloaded {
                          [](const AreaUnusable&) { return "area-unusable"; },
                          [](const PortUnavailable&) { return "port-unavailable"; },
                          [](const SendFailed& failed) {
                              return failed.fault.why == line::WriteFailure::Busy ? "line-busy" : "send-failed";
                          },
                          [](const LineLost&) { return "line-lost"; },
                          [](const PortClosedInPause&) { return "port-closed"; },
                          [](const TestWaiting&) { return "test-waiting"; },
                          [](const NoAnswer&) { return "no-answer"; },
                          [](const FontMissing&) { return "font-missing"; },
                          [](const ContentUnusable&) { return "content-unusable"; },
                          [](const ClockInvalid&) { return "clock-invalid"; },
                          [](const SaveFailed&) { return "save-failed"; },
                          [](const Withdrawn&) { return "withdrawn"; },
                      },
                      problem);
}

} // namespace board
