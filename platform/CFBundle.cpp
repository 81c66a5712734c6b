#include "CFObjects.h"

#include <unistd.h>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>

#include "PathText.h"

struct CFBundleObject : CFObject {
  CFBundleObject(std::string p, CFDictionaryRef i) : CFObject(kCFKindBundle), path(std::move(p)), info(i) {}
  ~CFBundleObject() override { CFRelease(info); }
  std::string Describe() const override { return "bundle " + path; }
  std::string path;      // the bundle folder, no trailing '/'
  CFDictionaryRef info;  // Info.plist, or null
};

bool CFURLObject::Equals(const CFObject& other) const { return path == static_cast<const CFURLObject&>(other).path; }

CFTypeID CFURLGetTypeID() { return kCFKindURL; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path, CFURLPathStyle, Boolean isDirectory) {
  if (!path) return nullptr;
  std::string p = path->text;
  if (isDirectory && (p.empty() || p.back() != '/')) p += '/';
  return new CFURLObject(p);
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle) {
  if (!url) return nullptr;
  std::string p = url->path;
  if (p.size() > 1 && p.back() == '/') p.pop_back();
  return new CFStringObject(p);
}

namespace {

struct BundleRegistry {
  ~BundleRegistry() {
    for (auto& [path, bundle] : byPath) CFRelease(bundle);
  }
  std::mutex lock;
  std::map<std::string, CFBundleObject*> byPath;  // each holds one reference for the process
  CFBundleObject* main = nullptr;
};

BundleRegistry& Registry() {
  static BundleRegistry registry;
  return registry;
}

CFDictionaryRef ReadInfoPlist(const std::string& folder) {
  std::ifstream file(folder + "/Info.plist", std::ios::binary);
  if (!file) return nullptr;
  std::vector<UInt8> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes.data(), CFIndex(bytes.size()));
  CFErrorRef error = nullptr;
  CFPropertyListRef list = CFPropertyListCreateWithData(kCFAllocatorDefault, data, 0, nullptr, &error);
  CFRelease(data);
  CFRelease(error);
  if (list && CFGetTypeID(list) != CFDictionaryGetTypeID()) {
    CFRelease(list);
    return nullptr;
  }
  return static_cast<CFDictionaryRef>(list);
}

// Caller holds the registry lock.
CFBundleObject* FindOrMake(BundleRegistry& registry, const std::string& folder) {
  auto found = registry.byPath.find(folder);
  if (found != registry.byPath.end()) return found->second;
  auto* bundle = new CFBundleObject(folder, ReadInfoPlist(folder));
  registry.byPath[folder] = bundle;
  return bundle;
}

}  // namespace

CFTypeID CFBundleGetTypeID() { return kCFKindBundle; }

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  if (!bundleURL || bundleURL->path.empty()) return nullptr;
  BundleRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.lock);
  CFBundleObject* bundle = FindOrMake(registry, WithoutTrailingSlash(bundleURL->path));
  CFRetain(bundle);
  return bundle;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  if (!bundle) return nullptr;
  auto id = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleIdentifier"));
  return CFObjectAs<CFStringObject>(id, kCFKindString);
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  if (!bundle || !bundle->info) return nullptr;
  return CFDictionaryGetValue(bundle->info, key);
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier) {
  if (!identifier) return nullptr;
  BundleRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (auto& [path, bundle] : registry.byPath) {
    CFStringRef id = CFBundleGetIdentifier(bundle);
    if (id && CFEqual(id, identifier)) return bundle;
  }
  return nullptr;
}

CFBundleRef CFBundleGetMainBundle() {
  BundleRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.lock);
  if (!registry.main) {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string folder = n > 0 ? std::string(exe, size_t(n)) : std::string("/");
    folder = folder.substr(0, folder.find_last_of('/'));
    registry.main = FindOrMake(registry, folder.empty() ? "/" : folder);
  }
  return registry.main;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) { return bundle ? new CFURLObject(bundle->path + "/") : nullptr; }

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
  return bundle ? new CFURLObject(bundle->path + "/Resources/") : nullptr;
}
