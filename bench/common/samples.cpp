#include "samples.h"

#include <algorithm>
#include <cmath>

Summary Summarise(std::vector<double> samples)
{
    Summary s;
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    std::size_t n = samples.size();
    s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    s.min = samples.front();
    s.max = samples.back();
    return s;
}

Summary PairedRatios(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (b[i] != 0)
            ratios.push_back(a[i] / b[i]);
    }
    return Summarise(ratios);
}

double FittedExponent(const std::vector<double>& x, const std::vector<double>& y)
{
    std::size_t n = std::min(x.size(), y.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double lx = std::log(x[i]), ly = std::log(y[i]);
        sx += lx;
        sy += ly;
        sxx += lx * lx;
        sxy += lx * ly;
    }
    double denominator = n * sxx - sx * sx;
    return denominator != 0 ? (n * sxy - sx * sy) / denominator : 0;
}

double FittedSlope(const std::vector<double>& x, const std::vector<double>& y)
{
    std::size_t n = std::min(x.size(), y.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    double denominator = n * sxx - sx * sx;
    return denominator != 0 ? (n * sxy - sx * sy) / denominator : 0;
}
