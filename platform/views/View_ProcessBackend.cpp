#include "views/View_ProcessBackend.h"

#include "views/View_Headless.h"

namespace {

ViewBackend* gHostBackend = nullptr;

HeadlessViewBackend& Fallback() {
  static HeadlessViewBackend fallback = [] {
    HeadlessViewBackend b;
    b.ScriptOpenURLResult(false);
    return b;
  }();
  return fallback;
}

}  // namespace

ViewBackend& ViewProcessBackend() { return gHostBackend ? *gHostBackend : Fallback(); }

void ViewSetProcessBackend(ViewBackend* backend) { gHostBackend = backend; }
