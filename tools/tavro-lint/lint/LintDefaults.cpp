// The fresh panel against the INIT program and performance: encoded through the
// dump field table, the parameters' start values must give the INIT bytes.

#include <set>

#include "Framework/IParam.h"
#include "LintContext.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

int ValueOf(LintContext& c, const char* name, int slot) {
  const IParam* p = c.param(c.index(name) + slot);
  return p ? static_cast<int>(p->Value()) : 0;
}

void Compare(LintContext& c, const char* name, const uint8_t* got, const uint8_t* want, int width,
             const std::string& where) {
  for (int b = 0; b < width; ++b) {
    if (got[b] == want[b]) continue;
    c.aboutParam("defaults", name, "starts at a value that encodes " + where + " unlike the INIT bytes");
    return;
  }
}

}  // namespace

void LintDefaults(LintContext& c) {
  const std::array<uint8_t, kPerformanceDumpSize> init = InitPerformance();
  for (int s = 0; s < 4; ++s) {
    for (bool nl1 : {false, true}) {
      for (int i = 0; i < kPartBlockFieldCount; ++i) {
        const PartBlockField& f = kPartBlockFields[i];
        const char* name = nl1 && f.nl1Param ? f.nl1Param : f.param;
        uint8_t bytes[2] = {0, 0};
        EncodeField(f.coding, ValueOf(c, name, s), bytes);
        Compare(c, name, bytes, &kInitProgram[6 + f.offset], FieldWidth(f.coding),
                "at program byte " + std::to_string(6 + f.offset));
      }
    }
  }
  std::set<int> written;
  for (int i = 0; i < kPerformanceFieldCount; ++i) {
    const PerformanceField& f = kPerformanceFields[i];
    // A position two parameters share is written from the first (the other model's copy).
    if (!written.insert(f.position).second) continue;
    uint8_t bytes[2] = {0, 0};
    EncodeField(f.coding, ValueOf(c, f.param, f.slot), bytes);
    Compare(c, f.param, bytes, &init[f.position], FieldWidth(f.coding),
            "at performance byte " + std::to_string(f.position));
  }
}
