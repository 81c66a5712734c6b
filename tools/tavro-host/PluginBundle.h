#pragma once
// Loads a plug-in bundle the way a host finds its components: the bundle's
// Info.plist names the shared library and, under AudioComponents, the type,
// subtype, manufacturer and exported entry of each component. The library stays
// loaded for the life of the process (its view classes stay registered).

#include <string>

#include "ComponentManager.h"

struct PluginBundle {
  std::string path;
  std::string identifier;
  std::string name;
  ComponentRecord component{};             // the first component of the bundle
  ComponentEntryProc viewEntry = nullptr;  // the Carbon view entry, when named
};

// False with `error` set when the bundle, its Info.plist, its library or the
// entry cannot be found.
bool LoadPluginBundle(const std::string& path, PluginBundle& bundle, std::string& error);
