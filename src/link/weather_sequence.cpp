#include "link/weather_sequence.h"

namespace boardlink {

WeatherStop runWeatherSequence(const WeatherSteps& steps)
{
    if (!steps.sendTemperatures())
        return WeatherStop::Temperatures;
    steps.pause(kWeatherPauseMs);
    if (!steps.sendDots())
        return WeatherStop::Dots;
    return WeatherStop::None;
}

} // namespace boardlink
