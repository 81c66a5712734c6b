#pragma once
// The installer's part of the editor, done by the host as a plug-in's installer
// would have done it: a data root without the editor's folder gets the folder,
// its settings file (panel size "normal", the welcome notice not yet shown) and
// a "Patches" folder holding a bank of INIT programs and one of INIT performances,
// so that the first request from the unit has a bank to land in. A folder that
// exists is left as it is.
// threads: main

#include <string>

// The editor's data folder under `root` (with a trailing "/").
std::string EditorDataFolder(const std::string& root);
// True when the folder was there or is now made; false with `error` set.
// `installed` says whether this call made it.
bool InstallEditorDataFolder(const std::string& root, bool& installed, std::string& error);
