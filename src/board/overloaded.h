#pragma once
// Lets std::visit take one lambda per alternative: a problem kind nobody words is a compile error.
namespace board {

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};

} // namespace board
