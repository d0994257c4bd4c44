// The program's view of the platform: Win32's types, resources and functions.
#pragma once

#include "wintypes.h"
#include "winres.h"
#include "winapi.h"
