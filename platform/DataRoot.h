#pragma once
// Where applications keep their data. The host may set the root for every plug-in
// it loads (the test host and the tests always do), a relative one taken from the
// working folder; otherwise it is $XDG_DATA_HOME when absolute, else
// $HOME/.local/share.
//
// threads: any

#include <string>

// An empty root clears the host's choice.
void PlatformSetDataRoot(const std::string& root);
// Without a trailing "/"; empty when neither the host nor the environment gives one.
std::string PlatformDataRoot();
