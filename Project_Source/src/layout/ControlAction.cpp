#include "layout/ControlAction.h"

namespace {

// The entry under key, or null; never creates one.
template <typename Map>
const typename Map::mapped_type* Find(const Map& map, int key) {
  auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

}  // namespace

void FiveKeyControlTable::add(int k1, int k2, int k3, int k4, int k5, IControl* control) {
  mTable[k1][k2][k3][k4][k5] = control;
}

IControl* FiveKeyControlTable::findControl(int k1, int k2, int k3, int k4, int k5) const {
  const controlID1* l1 = Find(mTable, k1);
  const controlID2* l2 = l1 ? Find(*l1, k2) : nullptr;
  const controlID3* l3 = l2 ? Find(*l2, k3) : nullptr;
  const ccControlMap* l4 = l3 ? Find(*l3, k4) : nullptr;
  IControl* const* found = l4 ? Find(*l4, k5) : nullptr;
  return found ? *found : nullptr;
}

void NRPNControlContainer::addToControlMap(const ControlAction* action, IControl* control) {
  add(action->channel, action->nrpnKey1, action->nrpnKey2, action->nrpnKey3, action->firstGen, control);
}

void SysExControlContainer::addToControlMap(const unsigned char* keyBytes, unsigned char fifthKey, IControl* control) {
  add(keyBytes[0], keyBytes[1], keyBytes[2], keyBytes[3], fifthKey, control);
}

void CCControlTable::add(int channel, int ccNumber, int firstGen, IControl* control) {
  mTable[channel][ccNumber][firstGen] = control;
}

IControl* CCControlTable::find(int channel, int ccNumber, int firstGen) const {
  const controlID3* l1 = Find(mTable, channel);
  const ccControlMap* l2 = l1 ? Find(*l1, ccNumber) : nullptr;
  IControl* const* found = l2 ? Find(*l2, firstGen) : nullptr;
  return found ? *found : nullptr;
}
