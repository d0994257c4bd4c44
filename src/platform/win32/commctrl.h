// The common controls, under the name of the Windows header that declares them: the program
// includes "commctrl.h" for the status window, and gets the real one in the Windows build.
#pragma once

#include "windows.h"
