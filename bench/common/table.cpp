#include "table.h"

std::string Cell(const Summary& s, int decimals)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.*f [%.*f-%.*f]", decimals, s.median, decimals, s.min, decimals, s.max);
    return text;
}

void PrintRatioRow(const char* figure, const Summary& program, const Summary& baseline, const Summary& ratio,
                   double goal, int decimals)
{
    char ratioText[64];
    std::snprintf(ratioText, sizeof ratioText, "%.3fx [%.3f-%.3f]", ratio.median, ratio.min, ratio.max);
    char goalText[32] = "";
    if (goal > 0)
        std::snprintf(goalText, sizeof goalText, "<= %.2fx %s", goal, ratio.median <= goal ? "met" : "NOT MET");
    std::printf("%-34s %-26s %-26s %-26s %s\n", figure, Cell(program, decimals).c_str(),
                Cell(baseline, decimals).c_str(), ratioText, goalText);
    std::fflush(stdout);
}

void PrintGoalRow(const char* figure, const std::string& value, const char* goal, bool met)
{
    std::printf("%-34s %-80s %s %s\n", figure, value.c_str(), goal, met ? "met" : "NOT MET");
    std::fflush(stdout);
}

void PrintInfoRow(const char* figure, const std::string& value)
{
    std::printf("%-34s %s\n", figure, value.c_str());
    std::fflush(stdout);
}

void PrintHeading(const char* heading)
{
    std::printf("\n%s\n", heading);
    std::fflush(stdout);
}
