#pragma once
#include <windows.h>

// The user's interface language, read the way each Windows family keeps it.
LANGID GetUserUiLanguage();
