#include "CocoaViewFactory.h"

#include <map>
#include <mutex>
#include <string>

namespace {

struct ClassRegistry {
  std::mutex lock;
  std::map<std::string, AUCocoaUIClassMaker> makers;
};

ClassRegistry& Classes() {
  static ClassRegistry registry;
  return registry;
}

}  // namespace

void AUCocoaUIRegisterClass(const char* className, AUCocoaUIClassMaker maker) {
  if (!className || !maker) return;
  ClassRegistry& registry = Classes();
  std::lock_guard<std::mutex> guard(registry.lock);
  registry.makers[className] = maker;
}

std::unique_ptr<AUCocoaUIBase> AUCocoaUICreate(const char* className) {
  if (!className) return nullptr;
  AUCocoaUIClassMaker maker = nullptr;
  {
    ClassRegistry& registry = Classes();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto found = registry.makers.find(className);
    if (found != registry.makers.end()) maker = found->second;
  }
  return maker ? maker() : nullptr;
}
