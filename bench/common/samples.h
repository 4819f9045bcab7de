#pragma once
// Repeated measurements and what the benchmark reports of them: the median with the
// smallest and largest run, ratios of paired runs, and the exponent of a power law.
#include <vector>

struct Summary {
    double median = 0;
    double min = 0;
    double max = 0;
};

Summary Summarise(std::vector<double> samples);

// Ratios of runs made in pairs (a[i] / b[i]), summarised; pairs with b[i] == 0 are skipped.
Summary PairedRatios(const std::vector<double>& a, const std::vector<double>& b);

// The slope of y over x by least squares: the cost of one more unit of x.
double FittedSlope(const std::vector<double>& x, const std::vector<double>& y);

// The slope of log(y) over log(x) by least squares: 1 for cost linear in x.
double FittedExponent(const std::vector<double>& x, const std::vector<double>& y);
