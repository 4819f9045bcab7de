#pragma once
// A narration far longer than an edit box holds by default (32,767 characters), in code
// page 936 bytes. It has line breaks, as real narrations do: an edit box wraps one huge
// unbroken line very slowly on some systems.
#include <string>

std::string LongNarration(int minimumCharacters);
