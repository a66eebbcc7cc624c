#pragma once

#include <algorithm>
#include <vector>

// The middle sample (the mean of the middle two for an even count): one slow run on a busy
// machine moves it less than it moves the mean.
inline double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}
