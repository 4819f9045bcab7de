#pragma once
// The program's own texts, as code page 936 bytes.

extern const char kMainWindowTitle[];
extern const char kNotice[];
extern const char kEngineAvailableMessage[];
extern const char kNoEngineMessage[];
extern const char kMessageBoxTitle[];
extern const char kTextTooLargeMessage[];
