#include "PluginBundle.h"

#include <dlfcn.h>

#include "CoreFoundation.h"

namespace {

std::string Text(CFTypeRef value) {
  if (!value || CFGetTypeID(value) != CFStringGetTypeID()) return "";
  return CFStringGetCStringPtr(static_cast<CFStringRef>(value), kCFStringEncodingUTF8);
}

CFTypeRef ValueOf(CFDictionaryRef dict, const char* key) {
  CFStringRef k = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
  CFTypeRef value = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return value;
}

// A four-character code written as text ("aumu"); false for any other length.
bool CodeOf(CFDictionaryRef dict, const char* key, OSType& code) {
  std::string text = Text(ValueOf(dict, key));
  if (text.size() != 4) return false;
  code = 0;
  for (char c : text) code = (code << 8) | OSType(static_cast<unsigned char>(c));
  return true;
}

}  // namespace

bool LoadPluginBundle(const std::string& path, PluginBundle& bundle, std::string& error) {
  bundle = PluginBundle();
  bundle.path = path;
  CFStringRef pathText = CFStringCreateWithCString(kCFAllocatorDefault, path.c_str(), kCFStringEncodingUTF8);
  CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, pathText, kCFURLPOSIXPathStyle, true);
  CFRelease(pathText);
  CFBundleRef cfBundle = CFBundleCreate(kCFAllocatorDefault, url);
  CFRelease(url);
  if (!cfBundle) {
    error = "cannot open bundle " + path;
    return false;
  }
  bundle.identifier = Text(CFBundleGetIdentifier(cfBundle));
  bundle.name = Text(CFBundleGetValueForInfoDictionaryKey(cfBundle, CFSTR("CFBundleName")));
  const std::string executable = Text(CFBundleGetValueForInfoDictionaryKey(cfBundle, CFSTR("CFBundleExecutable")));
  CFTypeRef components = CFBundleGetValueForInfoDictionaryKey(cfBundle, CFSTR("AudioComponents"));
  CFRelease(cfBundle);  // the bundle stays registered for the process
  if (executable.empty()) {
    error = path + "/Info.plist is missing or names no CFBundleExecutable";
    return false;
  }
  if (!components || CFGetTypeID(components) != CFArrayGetTypeID() ||
      CFArrayGetCount(static_cast<CFArrayRef>(components)) < 1) {
    error = path + "/Info.plist lists no AudioComponents";
    return false;
  }
  CFTypeRef first = CFArrayGetValueAtIndex(static_cast<CFArrayRef>(components), 0);
  if (!first || CFGetTypeID(first) != CFDictionaryGetTypeID()) {
    error = "AudioComponents entry is not a dictionary";
    return false;
  }
  auto component = static_cast<CFDictionaryRef>(first);
  ComponentDescription& d = bundle.component.description;
  if (!CodeOf(component, "type", d.componentType) || !CodeOf(component, "subtype", d.componentSubType) ||
      !CodeOf(component, "manufacturer", d.componentManufacturer)) {
    error = "AudioComponents entry lacks a four-character type, subtype or manufacturer";
    return false;
  }
  const std::string entryName = Text(ValueOf(component, "entry"));
  const std::string viewEntryName = Text(ValueOf(component, "viewEntry"));
  if (entryName.empty()) {
    error = "AudioComponents entry names no entry";
    return false;
  }

  const std::string library = path + "/" + executable;
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    error = std::string("cannot load ") + library + ": " + dlerror();
    return false;
  }
  bundle.component.entry = reinterpret_cast<ComponentEntryProc>(dlsym(handle, entryName.c_str()));
  if (!bundle.component.entry) {
    error = library + " does not export " + entryName;
    return false;
  }
  if (!viewEntryName.empty())
    bundle.viewEntry = reinterpret_cast<ComponentEntryProc>(dlsym(handle, viewEntryName.c_str()));
  return true;
}
