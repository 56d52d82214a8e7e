#pragma once
// The figure below which `fraction` of the samples lie, taken from the sorted
// samples without interpolation: 0.5 the median, 1.0 the largest. Zero for no
// samples.

#include <algorithm>
#include <cstddef>
#include <vector>

template <typename Sample>
Sample percentile(std::vector<Sample> samples, double fraction) {
    if (samples.empty()) return Sample{};
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1))];
}
