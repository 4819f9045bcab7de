#pragma once
// The parts of a click that are not the program's: the conversion any narrator makes
// (ANSI to a BSTR) and the engine's own Speak, each timed alone in the driver's process.
#include <string>

#include "samples.h"

Summary ConversionMs(const std::string& ansiText, int runs);

// Speak on a voice created in the driver's process (the test voice where it is
// registered), with the text already converted; every request is purged at once.
Summary VoiceSpeakMs(const std::string& ansiText, int runs);
