// Feeds the dump parsers and the librarian forms any message. The first byte picks
// the model (low two bits) and switches locks on (the rest); the parsers may only
// set known parameters to values within their fields, and never read past the end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "layout/tables/ParamNameTable.h"
#include "messaging/LibrarianDumpForm.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"

namespace {
int IndexOf(const std::string& name) {
  for (int i = 0; i < kParamNameTableSize; ++i) {
    if (name == kParamNameTable[i].name) return kParamNameTable[i].index;
  }
  return -1;
}

class CheckedParameters : public DumpParameters {
public:
  CheckedParameters(int model, uint8_t locks) : model_(model), values_(kLayoutParamCount, 0.0) {
    // Each set bit locks one group of every slot, bit 6 the performance settings.
    const char* const kLocks[] = {"kOscLock", "kFilterLock", "kAmpLock", "kModEnvLock", "kLFO1Lock", "kLFO2Lock"};
    for (int bit = 0; bit < 6; ++bit) {
      if (locks & (1 << bit)) {
        for (int slot = 0; slot < 4; ++slot) values_[IndexOf(kLocks[bit]) + slot] = 1;
      }
    }
    if (locks & 0x40) values_[IndexOf("kGlobalLock")] = 1;
  }
  int Model() const override { return model_; }
  double Value(int index) const override { return values_.at(index); }
  void SetValue(int index, int value) override {
    if (value < 0 || value > 255) std::abort();
    values_.at(index) = value;
  }
  void SetStepValue(int index, int value, double position) override {
    if (position < 0 || position > 1) std::abort();
    SetValue(index, value);
  }
  void SetName(int index, const std::string& name) override {
    if (name.size() > 10) std::abort();
    values_.at(index);
  }

private:
  int model_;
  std::vector<double> values_;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto program = ProgramDumpCoder::Create(IndexOf);
  static const auto performance = PerformanceDumpCoder::Create(IndexOf);
  if (!program || !performance) std::abort();
  if (size == 0) return 0;
  CheckedParameters params(data[0] & 0x03, data[0] >> 2);
  // An exact-size copy, so reading past the message is caught.
  const std::vector<uint8_t> message(data + 1, data + size);
  const uint8_t* bytes = message.empty() ? nullptr : message.data();
  program->Parse(bytes, message.size(), params);
  performance->Parse(bytes, message.size(), params);
  performance->ParseSpaced(bytes, message.size(), params);
  const std::vector<uint8_t> stored[] = {LibrarianProgramForm(bytes, message.size(), "Requested "),
                                         LibrarianPerformanceForm(bytes, message.size(), "Requested ")};
  for (const std::vector<uint8_t>& form : stored) {
    const size_t n = form.size();
    if (n != 0 && n != 149 && n != 725 && n != 765) std::abort();
  }
  // What the panel now holds goes out with no byte of 0x80 or more inside.
  const std::vector<uint8_t> sent[] = {program->Build(params, 0, 0), performance->Build(params, 0, 0)};
  for (const std::vector<uint8_t>& dump : sent) {
    for (size_t i = 1; i + 1 < dump.size(); ++i) {
      if (dump[i] >= 0x80) std::abort();
    }
  }
  return 0;
}
