#pragma once
// The Windows-API emulation: handles, drawing contexts, windows, dialogs, fonts,
// text output, Sleep and GetTickCount.

#include "WinEmu_DC.h"
#include "WinEmu_Dialog.h"
#include "WinEmu_Font.h"
#include "WinEmu_Time.h"
#include "WinEmu_Types.h"
#include "WinEmu_Window.h"
