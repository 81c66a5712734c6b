#include "layout/UIConfigManager.h"
#include "layout/tables/ParamNameTable.h"

void UIConfigManager::initParams() {
  mLog.line("Started to initialize parameters...");
  for (int i = 0; i < kParamNameTableSize; ++i) mapParamToString(kParamNameTable[i].name, kParamNameTable[i].index);
  mLog.line("Completed!");
}

void UIConfigManager::mapParamToString(const std::string& name, int paramIdx) {
  if (!mParamNames.emplace(name, paramIdx).second) mLog.line("parameter " + name + " ALREADY EXISTS!");
}

int UIConfigManager::getParamByName(const std::string& name) {
  auto it = mParamNames.find(name);
  if (it != mParamNames.end()) return it->second;
  mLog.line("parameter " + name + " NOT FOUND!");
  return -1;
}

const char* UIConfigManager::getParamGroup(int part, const std::string& group) {
  if (part >= 0) {
    mGroupText = "Part " + std::to_string(part + 1);
    if (!group.empty()) mGroupText += ":" + group;
  } else {
    mGroupText = group;
  }
  return mGroupText.c_str();
}
