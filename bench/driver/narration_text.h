#pragma once
// Narration of an exact size in code page 936 bytes, mostly Chinese, in lines of 80
// bytes: real narrations have line breaks, and an edit box wraps one huge unbroken line
// very slowly on some systems.
#include <cstddef>
#include <string>

std::string NarrationOfBytes(std::size_t bytes);
