// Every chunk reader over arbitrary bytes: each must return -1 or a position inside the
// chunk, never read past its end, and leave the parameters inside their ranges.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "BaseTestPlug.h"
#include "Framework/ByteChunk.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// A result is -1 or a position that ends the item inside the chunk.
void CheckStep(int next, int pos, int width, const ByteChunk& chunk) {
  if (next < 0) {
    Check(next == -1);
    return;
  }
  Check(pos >= 0 && next >= pos + width && next <= chunk.Size());
}

// Three automated parameters of different kinds, a single-entry menu and a text field
// not automated, and two presets.
BaseTestPlug& Plug() {
  static BaseTestPlug* plug = [] {
    auto* p = new BaseTestPlug(5, 3, "2-2", 2);
    p->GetParam(0)->InitDouble("level", 0.5, -1.0, 1.0, 0.001);
    p->GetParam(1)->InitInt("mode", 2, 0, 7);
    p->GetParam(2)->InitBool("on", false);
    p->GetParam(3)->InitEnum("port", 0, 1);
    p->GetParam(3)->SetDisplayText(0, "OFF");
    p->GetParam(4)->InitText();
    p->GetParam(4)->SetDisplayText(0, "name");
    return p;
  }();
  return *plug;
}

void CheckParamsInRange(BaseTestPlug& plug) {
  for (int i = 0; i < plug.NParams(); ++i) {
    IParam* param = plug.GetParam(i);
    const double v = param->Value();
    Check(v >= param->GetMin() && v <= param->GetMax());
    char text[8];
    param->GetDisplayForHost(v, false, text, sizeof text);
    Check(std::strlen(text) < sizeof text);
    Check(std::isfinite(param->GetNormalized()));
  }
}

void ReadItemsEverywhere(const ByteChunk& chunk) {
  const int limit = chunk.Size() < 48 ? chunk.Size() + 2 : 48;
  for (int pos = -1; pos < limit; ++pos) {
    int32_t i;
    double d;
    bool b;
    uint8_t raw[16];
    Kit_String s;
    CheckStep(chunk.GetInt32(&i, pos), pos, 4, chunk);
    CheckStep(chunk.GetDouble(&d, pos), pos, 8, chunk);
    CheckStep(chunk.GetBool(&b, pos), pos, 1, chunk);
    CheckStep(chunk.GetStr(&s, pos), pos, 4, chunk);
    CheckStep(chunk.GetBytes(raw, pos & 15, pos), pos, pos & 15, chunk);
    int headerPos = pos;
    GetIModuleVerFromChunk(&chunk, &headerPos);
    Check(headerPos == pos || headerPos == -1 || headerPos == pos + 8);
  }
}

// Reads strings back to back, as the preset bank and the editor's names do.
void WalkStrings(const ByteChunk& chunk) {
  Kit_String s;
  for (int pos = 0; pos >= 0;) {
    const int next = chunk.GetStr(&s, pos);
    CheckStep(next, pos, 4, chunk);
    pos = next;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  ByteChunk chunk;
  chunk.PutBytes(data, int(size));
  Check(chunk.Size() == int(size));

  ReadItemsEverywhere(chunk);
  WalkStrings(chunk);

  BaseTestPlug& plug = Plug();
  // The plug records its hooks; keep the record from growing across runs.
  plug.calls.clear();
  plug.informed.clear();
  const int start = size ? data[0] % 16 : 0;
  int pos = plug.UnserializeParams(&chunk, start);
  CheckStep(pos, start, 0, chunk);
  const int n = size > 1 ? data[1] % 4 : 2;
  const int after = plug.UnserializeNonAutomatedParams(&chunk, pos, n);
  if (pos >= 0 && n >= 1) {
    CheckStep(after, pos, 0, chunk);
  } else {
    Check(after == pos);
  }
  CheckParamsInRange(plug);

  pos = plug.UnserializePresets(&chunk, start);
  CheckStep(pos, start, 0, chunk);
  CheckParamsInRange(plug);

  // CompareState is given as many doubles as the parameters need.
  if (size >= size_t(start + plug.NAutomatedParams()) * 8) {
    plug.CompareState(chunk.GetBytes(), start / 8);
  }
  return 0;
}
