#pragma once

// The current text of a control, whole, as a block from RtAlloc that the caller
// gives back with RtFree; null when the pair names no live control.
char* RtGetControlText(int windowId, int controlId);
