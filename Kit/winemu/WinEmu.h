#pragma once
// The Windows-API emulation: handles, drawing contexts, windows, dialogs, fonts,
// text output, Sleep and GetTickCount.

#include "winemu/WinEmu_DC.h"
#include "winemu/WinEmu_Dialog.h"
#include "winemu/WinEmu_Font.h"
#include "winemu/WinEmu_Time.h"
#include "winemu/WinEmu_Types.h"
#include "winemu/WinEmu_Window.h"
