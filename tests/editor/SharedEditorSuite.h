#pragma once
// A suite whose tests share one editor on the authored panel: opening one takes
// long enough that each suite opens it once.

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "layout/UIConfigManager.h"

class SharedEditorSuite : public ::testing::Test {
protected:
  static void SetUpTestSuite() { fixture = new EditorFixture(); }
  static void TearDownTestSuite() {
    delete fixture;
    fixture = nullptr;
  }
  static Tavro& plug() { return *fixture->plug; }
  static bool shown(const char* name) { return fixture->shown(name); }
  static int param(const char* name) { return plug().uiConfig->getParamByName(name); }

  static inline EditorFixture* fixture = nullptr;
};
