#include "layout/UIConfigManager.h"

#include "Framework/IGraphics.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "layout/LayoutResource.h"

namespace {

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

// Text of a "value" element; one without text gives "".
std::string TextOf(const XMLElement* element) {
  const char* text = element->GetText();
  return text ? text : "";
}

}  // namespace

void UIConfigManager::readUIConfig(IGraphics* graphics, IModuleBase* plug, PatchLibrarian* librarian, int startup,
                                   double scale, ConfigLogSink log, ConfigLogSink layoutNotes) {
  mGraphics = graphics;
  mPlug = plug;
  mLibrarian = librarian;
  mStartup = startup;
  mScale = scale;
  mLog = ConfigLog(std::move(log));
  mNotes = ConfigLog(std::move(layoutNotes));
  if (!graphics || !plug) {
    mLog.line("no panel or plug-in to build; nothing is read");
    return;
  }

  // The panel's images are looked up at the panel's own scale: the one built here.
  graphics->SetImageScale(scale);
  readSysexValues();
  initImages(graphics);
  initParams();

  std::string text;
  if (!LoadResourceText(graphics, kLayoutResourceID, kLayoutResourceName, mLog, &text)) return;
  std::unique_ptr<tinyxml2::XMLDocument> document = ParseLayoutText(text);
  XMLElement* root = LayoutRoot(document.get(), "uiconfig", kLayoutResourceName, mLog);
  if (!root) return;
  readReasources(document.get());
  processXMLElement(root->FirstChild(), nullptr, -1);
}

void UIConfigManager::readReasources(tinyxml2::XMLDocument* document) {
  XMLElement* root = document ? document->FirstChildElement("uiconfig") : nullptr;
  XMLElement* lists = root ? root->FirstChildElement("valueLists") : nullptr;
  if (!lists) return;
  // Elements other than "list", and in a list other than "value", are passed over.
  for (XMLElement* list = lists->FirstChildElement("list"); list; list = list->NextSiblingElement("list")) {
    const char* name = list->Attribute("name");
    if (!name) mLog.atLine(list->GetLineNum(), "a list without \"name\" is read as the list \"\"");
    std::vector<std::string> entries;
    for (XMLElement* value = list->FirstChildElement("value"); value; value = value->NextSiblingElement("value"))
      entries.push_back(TextOf(value));
    mValueLists[name ? name : ""] = std::move(entries);
  }
}

void UIConfigManager::readSysexValues() {
  mLog.line("Started to read SysEx Data...");
  std::string text;
  if (LoadResourceText(mGraphics, kSysExResourceID, kSysExResourceName, mLog, &text)) {
    std::unique_ptr<tinyxml2::XMLDocument> document = ParseLayoutText(text);
    if (XMLElement* root = LayoutRoot(document.get(), "sysexlist", kSysExResourceName, mLog))
      mSysExContainers = ReadSysExContainers(root);
  }
  mLog.line("Completed reading SysEx data!");
}

void UIConfigManager::copyIntVector(const std::vector<int>* from, std::vector<int>* to) {
  to->insert(to->end(), from->begin(), from->end());
}

IControl* UIConfigManager::getCCControls(int channel, int ccNumber, int firstGen) const {
  return mCCTable.find(channel, ccNumber, firstGen);
}

IControl* UIConfigManager::getMsbLsbControl(int channel, int key1, int key2, int key3, int firstGen) const {
  return mNRPNTable.findControl(channel, key1, key2, key3, firstGen);
}

IControl* UIConfigManager::getSysexControl(int b0, int b1, int b2, int b3, int fifthKey) const {
  return mSysExTable.findControl(b0, b1, b2, b3, fifthKey);
}

ControlLayer* UIConfigManager::getLayer(const std::string& name) const {
  auto it = mLayers.find(name);
  return it == mLayers.end() ? nullptr : it->second;
}

const std::vector<std::string>& UIConfigManager::getValueList(const std::string& name) const {
  static const std::vector<std::string> kNone;
  auto it = mValueLists.find(name);
  return it == mValueLists.end() ? kNone : it->second;
}

ControlAction* UIConfigManager::getControlAction(int paramIdx) const {
  IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  return param ? param->GetControlAction() : nullptr;
}
