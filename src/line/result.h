#pragma once
// The outcome of an operation that either is done or failed for a reason of type Fault.
//
// There is no way to make one that claims success by default: success is Result::done(), a
// failure is made from its fault. Example:
//   line::Result<WriteFault> written = port.write(frame);
//   if (!written.ok()) report(written.fault());
#include <optional>
#include <utility>

namespace line {

template <typename Fault>
class [[nodiscard]] Result {
public:
    static Result done() { return Result(); }
    Result(Fault fault) : m_fault(std::move(fault)) {} // NOLINT: a fault is a failed result

    bool ok() const { return !m_fault.has_value(); }
    // Only for a result that is not ok().
    const Fault& fault() const { return *m_fault; }

private:
    Result() = default;
    std::optional<Fault> m_fault;
};

} // namespace line
