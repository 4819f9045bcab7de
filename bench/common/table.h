#pragma once
// The benchmark's table, one row per figure, printed as the figures come in.
#include <cstdio>
#include <string>

#include "samples.h"

// "median [min-max]" with the given number of decimals.
std::string Cell(const Summary& s, int decimals = 1);

// A figure measured for the program and the baseline, with the ratio and its goal.
// A goal of 0 means none; met is judged on the median ratio.
void PrintRatioRow(const char* figure, const Summary& program, const Summary& baseline, const Summary& ratio,
                   double goal, int decimals = 1);

// A figure with a goal of its own (not a ratio): met when the median is at most the goal.
void PrintGoalRow(const char* figure, const std::string& value, const char* goal, bool met);

// A row that only informs.
void PrintInfoRow(const char* figure, const std::string& value);

void PrintHeading(const char* heading);
