#pragma once
// Text in the ANSI code page, walked character by character: a double-byte
// character is never split, so its trail byte is never taken for a letter.

// Lower-cases the single-byte letters of text in place; double-byte characters stay.
void LowerCaseMbcs(char* text);

// True when needle occurs in text starting at a character boundary.
bool ContainsMbcs(const char* text, const char* needle);
