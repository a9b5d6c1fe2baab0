#pragma once
// The middle figure of a bench's runs: one noisy run moves it less than the mean.
#include <algorithm>
#include <vector>

// The mean of the two middle runs for an even count; 0 without runs.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}
