#pragma once
#include "ui_runtime/window_template.h"

// The program's only window: the text to speak and the five buttons that drive speech.
extern const WindowTemplate MainWindow;
