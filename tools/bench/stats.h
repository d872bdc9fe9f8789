// Order statistics of a set of samples.
#pragma once
#include <vector>

// Nearest-rank percentile (0-100) of `samples`; 0 when there are none.
double Percentile(std::vector<double> samples, double percent);
inline double Median(const std::vector<double>& samples) { return Percentile(samples, 50); }
