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
  double Minimum(int index) const override { return Read(index, &IParam::GetMin); }
  double Maximum(int index) const override { return Read(index, &IParam::GetMax); }
  double Value(int index) const override { return Read(index, &IParam::Value); }
  void SetParameterFromPlug(int index, double value) override { editor_.showValueFromPlug(index, value); }

private:
  double Read(int index, double (IParam::*field)() const) const {
    const IParam* param = editor_.editorParam(index);
    return param ? (param->*field)() : 0.0;
  }
  MessagingEditor& editor_;
};

}  // namespace

void MIDIMessageManager::randomGenerator() {
  if (plug_) ::randomGenerator(plug_->randomSource(), plug_->randomTable());
}

void MIDIMessageManager::randomizePartPatch(int slot) {
  if (!plug_) return;
  EditorRandomiserParams params(*plug_);
  ::randomizePartPatch(slot, plug_->randomTable(), params);
}
