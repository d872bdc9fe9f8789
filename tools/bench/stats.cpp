// Order statistics of a set of samples.
#include "stats.h"

#include <algorithm>
#include <cmath>

double Percentile(std::vector<double> samples, double percent)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    if (percent == 50 && samples.size() % 2 == 0)
        return (samples[samples.size() / 2 - 1] + samples[samples.size() / 2]) / 2;
    size_t rank = size_t(std::ceil(percent / 100 * samples.size()));
    return samples[rank == 0 ? 0 : rank - 1];
}
