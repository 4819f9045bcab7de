#pragma once
// The speech events of a run seen from both ends, as "id/stream" ("1/7": stream 7 began,
// "2/7": it ended): what the engine queued, in order, and what the program fetched.
#include <string>
#include <vector>

#include "voice_log.h"

std::vector<std::string> QueuedEvents(const VoiceLog& log);
std::vector<std::string> FetchedEvents(const VoiceLog& log);

// Where two event lists first part, for a failure message; empty when they are equal.
std::string FirstDifference(const std::vector<std::string>& queued, const std::vector<std::string>& fetched);

// The voice's reference count as its last AddRef or Release before this point of the log
// left it; -1 when there was none.
long VoiceReferencesBefore(const VoiceLog& log, unsigned long seq, const char* voice = "voice#1");
