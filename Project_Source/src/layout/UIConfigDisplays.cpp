#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "layout/UIConfigManager.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/PanelFont.h"

namespace {

const IColor kYellowGreen(255, 241, 243, 33);
const IColor kPink(255, 255, 132, 180);
const IColor kNameColor(255, 225, 225, 225);

struct ReadOutStyle {
  int size;
  IColor color;
};

ReadOutStyle ReadOutStyleOf(int displayType, bool colourFlag) {
  const IColor plain = colourFlag ? kYellowGreen : COLOR_WHITE;
  switch (displayType) {
    case 1: return {15, plain};
    case 2: return {18, kPink};
    case 3: return {16, plain};
    case 4: return {16, kYellowGreen};
    default: return {14, plain};
  }
}

struct NameField {
  int firstParam, lastParam;
  const char* text;
  int size;
};

// Parameters with a text and size of their own; any other shows "INIT" at 17.
constexpr NameField kNameFields[] = {
    {353, 353, "Perform.", 19},    // kMultiName
    {354, 357, "Slot Patch", 19},  // kPatchName, slots A-D
    {655, 655, "New Name", 21},    // kPatchRename
    {622, 622, "search...", 15},   // kPatchSearchString
};

NameField NameFieldOf(int paramIdx) {
  for (const NameField& field : kNameFields)
    if (paramIdx >= field.firstParam && paramIdx <= field.lastParam) return field;
  return {paramIdx, paramIdx, "INIT", 17};
}

IText Style(int size, const IColor& color) {
  return IText(size, color, kPanelFont, IText::kStyleNormal, IText::kAlignCenter, IText::kVAlignCenter, 0, 3);
}

}  // namespace

IControl* UIConfigManager::createControlDisplay(const std::string& name, int paramIdx, int x, int y, int w, int h, int,
                                                ControlLayer* layer, const std::string&, int displayType,
                                                bool colourFlag) {
  if (!ParamFor(paramIdx, name)) return nullptr;
  const ReadOutStyle style = ReadOutStyleOf(displayType, colourFlag);
  const IText text = Style(Scaled(style.size), style.color);
  auto* readOut = new ITextControl(mPlug, ScaledRect(x, y, w, h), &text, "");
  readOut->SetPromptDisabled(true);
  Place(readOut, layer);
  Bind(paramIdx, kActionNone, readOut);
  return readOut;
}

IControl* UIConfigManager::createNameDisplay(const std::string& name, int paramIdx, int x, int y, int w, int h,
                                             int nameLength, int part, ControlLayer* layer, const std::string& group) {
  IParam* param = ParamFor(paramIdx, name);
  if (!param) return nullptr;
  param->InitEnum(name.c_str(), 0, 1, "", getParamGroup(part, group), -1, -1);
  param->InitText();
  const NameField field = NameFieldOf(paramIdx);
  param->SetDisplayText(0, field.text);
  const IText text = Style(Scaled(field.size), kNameColor);
  auto* caption = new ICaptionControl(mPlug, ScaledRect(x, y, w, h), paramIdx, &text, true);
  caption->SetPromptDisabled(false);
  caption->SetTextEntryLength(nameLength);
  // Searching again is typing a new word: the search field keeps the keys after Return.
  caption->SetKeepsEntryAfterReturn(paramIdx == TavroParam::kPatchSearchString);
  Place(caption, layer);
  Bind(paramIdx, kActionNone, caption);
  return caption;
}
