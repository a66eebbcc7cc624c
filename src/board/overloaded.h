#pragma once
// Lets std::visit take one lambda per alternative: a problem kind nobody words is a compile error.
namespace board {

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};

// Spelled out for compilers without deduction for aggregates.
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace board
