#pragma once
// The order of the weather send, wherever the frames go: the temperatures, a pause of one second,
// then the weather dots. The dots are built only after the pause, so they show the text as it is
// then.
#include <functional>

namespace boardlink {

inline constexpr int kWeatherPauseMs = 1000;

struct WeatherSteps {
    std::function<bool()> sendTemperatures; // false: nothing more is sent
    std::function<void(int ms)> pause;
    std::function<bool()> sendDots;
};

enum class WeatherStop { None, Temperatures, Dots };

// Runs the three steps in order and says at which send it stopped, if it did.
WeatherStop runWeatherSequence(const WeatherSteps& steps);

} // namespace boardlink
