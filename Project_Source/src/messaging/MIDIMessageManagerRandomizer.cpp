// The randomiser over the plug-in's parameters, its random source and its table.

#include "Framework/IParam.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MessagingEditor.h"
#include "messaging/PatchRandomiser.h"

namespace {

class EditorRandomiserParams : public RandomiserParams {
public:
  explicit EditorRandomiserParams(MessagingEditor& editor) : editor_(editor) {}
  int IndexOf(const char* name) const override { return editor_.editorParamIndex(name); }
  double Value(int index) const override {
    const IParam* param = editor_.editorParam(index);
    return param ? param->Value() : 0.0;
  }

private:
  MessagingEditor& editor_;
};

}  // namespace

void MIDIMessageManager::randomGenerator() {
  if (plug_) ::randomGenerator(plug_->randomSource(), plug_->randomTable());
}

int MIDIMessageManager::randomizer(int paramIdx, int entry) {
  if (!plug_) return 0;
  const std::vector<int>& table = plug_->randomTable();
  // Entries past the drawn ones hold 0, as the unused end of the table does.
  const int value = entry >= 0 && size_t(entry) < table.size() ? table[size_t(entry)] : 0;
  const IParam* param = plug_->editorParam(paramIdx);
  return randomEntryInRange(param ? param->GetMin() : 0.0, param ? param->GetMax() : 0.0, value);
}

void MIDIMessageManager::randomizePartPatch(int slot) {
  if (!plug_) return;
  for (const RandomDraw& draw : randomDraws(slot, EditorRandomiserParams(*plug_)))
    plug_->showValueFromPlug(draw.paramIdx, randomizer(draw.paramIdx, draw.entry));
}
