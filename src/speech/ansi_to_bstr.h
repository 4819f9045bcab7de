#pragma once
#include <windows.h>
#include <oleauto.h>

// Converts ANSI text (the system code page) to a BSTR; null text gives a null BSTR.
// Raises TextConversionError when the conversion fails.
BSTR AnsiToBstr(const char* text);
