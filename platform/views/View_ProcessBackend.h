#pragma once
// The back end for what needs no open view: message boxes and opening web
// addresses or folders. The host that runs the process sets it; until then a
// headless back end answers every message box with "dismissed" and opens nothing
// (so OpenURL reports false).
//
// threads: main only.

#include "views/View_Backend.h"

ViewBackend& ViewProcessBackend();
// Not owned; null restores the headless one.
void ViewSetProcessBackend(ViewBackend* backend);
