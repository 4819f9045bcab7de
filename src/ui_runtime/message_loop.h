#pragma once

// Pumps messages until none of the windows loaded from templates exists any more.
void RtRunMessageLoop();
