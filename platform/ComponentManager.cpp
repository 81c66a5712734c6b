#include "ComponentManager.h"

OSStatus OpenAComponent(Component component, ComponentInstance* out) {
  if (!out) return paramErr;
  *out = nullptr;
  if (!component || !component->entry) return invalidComponentID;
  auto* instance = new ComponentInstanceRecord{component, nullptr};
  ComponentResult result = CallComponent(instance, kComponentOpenSelect, instance);
  if (result != noErr) {
    delete instance;
    return result;
  }
  *out = instance;
  return noErr;
}

OSStatus CloseComponent(ComponentInstance instance) {
  if (!instance) return badComponentInstance;
  ComponentResult result = CallComponent(instance, kComponentCloseSelect, instance);
  delete instance;
  return result;
}

void SetComponentInstanceStorage(ComponentInstance instance, void* storage) {
  if (instance) instance->storage = storage;
}

void* GetComponentInstanceStorage(ComponentInstance instance) { return instance ? instance->storage : nullptr; }

OSStatus GetComponentInfo(ComponentInstance instance, ComponentDescription* out) {
  if (!instance || !instance->component) return invalidComponentID;
  if (out) *out = instance->component->description;
  return noErr;
}
