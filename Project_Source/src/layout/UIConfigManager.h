#pragma once
// The panel-layout manager: reads the bundle's two enciphered layout resources once,
// while the plug-in is constructed, and builds from them the panel's layers and
// controls, every parameter the panel shows and each parameter's MIDI binding record.
// It keeps the parameter-name and image registries, the named layers, the value
// lists, the SysEx value containers and the incoming-MIDI lookup tables.
//
// Ownership: layers and controls belong to the panel or to their parent layer; the
// manager keeps names and pointers. The binding records (ControlAction) belong to the
// manager: destroy it after the panel and before the parameters are read again.
//
// threads: main. Everything here runs while the plug-in is constructed, before any
// other thread reaches the panel; the lookups getCCControls, getMsbLsbControl and
// getSysexControl are also called from the midi-in thread once building is over.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <tinyxml2.h>

#include "Framework/IGraphicsStructs.h"
#include "layout/ConfigLog.h"
#include "layout/ControlAction.h"
#include "layout/SysExValues.h"

class ControlLayer;
class ICaptionControl;
class IControl;
class IGraphics;
class IModuleBase;
class IParam;
class LayoutElement;
class PatchLibrarian;

struct ImageInfo {
  int id = 0;
  int frames = 1;
  bool horizontal = false;
};

// Makes the librarian's list control for a "patchBrowser" element. The librarian
// panel supplies it; without one the element shows its image in an IBitmapControl.
using LibrarianViewFactory = IControl* (*)(IModuleBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT rect,
                                           PatchLibrarian* librarian, double scale);

class UIConfigManager {
public:
  // Resource ids and names of the two layout resources.
  static constexpr int kLayoutResourceID = 100;
  static constexpr int kSysExResourceID = 101;
  static constexpr const char* kLayoutResourceName = "resources/uiconfig.tea";
  static constexpr const char* kSysExResourceName = "resources/sysex.tea";
  // Caps on what a layout may ask for; each cap is logged when it bites.
  static constexpr int kMaxLayerCopies = 16;
  static constexpr int kMaxMenuEntries = 1024;
  static constexpr int kMaxCoordinate = 100000;

  UIConfigManager() = default;
  // Frees the binding records and gives up this panel's claim on the images.
  ~UIConfigManager();
  UIConfigManager(const UIConfigManager&) = delete;
  UIConfigManager& operator=(const UIConfigManager&) = delete;

  // ---- Reading ----
  // Reads the SysEx values, registers images and parameter names, then reads the
  // layout and builds the panel. The sink receives the "CONFIG READER: " lines
  // (none without a sink). A missing or unreadable resource is logged and builds nothing.
  // `layoutNotes` receives what the layout names that the walk passes over (elements,
  // types, attributes): a check for the layout's authors; the walk itself writes no line
  // of its own to the log.
  void readUIConfig(IGraphics* graphics, IModuleBase* plug, PatchLibrarian* librarian, int startup, double scale,
                    ConfigLogSink log = nullptr, ConfigLogSink layoutNotes = nullptr);
  // The value lists ("valueLists" of "uiconfig"); a later list of a name replaces an earlier.
  void readReasources(tinyxml2::XMLDocument* document);
  // Loads "resources/sysex.tea" into the SysEx containers.
  void readSysexValues();

  // ---- Parameter names ----
  void initParams();
  // The first registration of a name wins.
  void mapParamToString(const std::string& name, int paramIdx);
  // -1, logged, when the name is not registered.
  int getParamByName(const std::string& name);
  // "Part " + (part + 1) [+ ":" + group] for part >= 0, else group. Valid until the next call.
  const char* getParamGroup(int part, const std::string& group);

  // ---- Images ----
  void initImages(IGraphics* graphics);
  void preloadImage(IGraphics* graphics, int id, const char* name, const char* path, int frames, bool horizontal);
  // Releases the registered images from the process-wide cache, each (id, scale)
  // only when no other live manager holds it and this panel is gone (see
  // panelDestroyed); otherwise logs why it keeps them. The registry stays.
  void ClearImageCache();
  // Tells the manager its panel (and so every control it built) has been deleted.
  void panelDestroyed() { mGraphics = nullptr; }
  // The empty bitmap, logged, when the name is not registered.
  IBitmap getImageByName(IGraphics* graphics, const std::string& name);

  // ---- Walk and dispatch ----
  // Builds node and its following siblings into layer (null: the panel) for part.
  void processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int part);
  // out[0..count-1] := 0, then the comma-separated decimal numbers of text in turn.
  static void getCSValues(const std::string& text, int* out, int count);
  // out[0..2] := target, value and extra of a "biDirectLink": two parameter names,
  // each given the part once, and an optional number; all -1 for fewer than two names.
  void getBiDirectLinkValues(const std::string& text, int* out, int part);
  // Stores link in action and links the partner back; makes nothing when the link
  // is unset or names a parameter outside the table.
  void setControlLink(ControlAction* action, int paramIdx, LinkInfo link, int part);

  // ---- Factories. Each returns the control it made, or null
  // (logged) when it made none; x, y, widths and lengths are in layout units.
  IControl* createDropDownMenu(const std::string& name, int paramIdx, int x, int y, int w, int h, int part,
                               ControlLayer* layer, const std::string& group);
  IControl* createDropDownMenu2(const std::string& name, int paramIdx, int x, int y, int w, int h, int def, int min,
                                int max, const std::vector<std::string>& valueList, int part, ControlLayer* layer,
                                const std::string& group);
  IControl* createMIDIDeviceSelectionControl(const std::string& name, int paramIdx, int x, int y, int w, int h,
                                             int direction, int part, ControlLayer* layer, const std::string& group);
  IControl* createNoValDropDown(const std::string& name, int paramIdx, int x, int y, int w, int h, int def, int min,
                                int max, int visibility, bool allowControl, int first, int last,
                                const std::vector<std::string>& valueList, int part, ControlLayer* layer,
                                const std::string& group, bool flag);
  IControl* createMultiSelectionCCControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x,
                                          int y, int w, int h, int def, int min, int max, int first, int last,
                                          const std::vector<std::string>& valueList, int part, ControlLayer* layer,
                                          const std::string& group);
  IControl* createMsbLsbSelectionCCControl(int ccNumber, int msb, int lsb, int lsbControl, int channel,
                                           const std::string& name, int paramIdx, int x, int y, int w, int h, int def,
                                           int min, int max, int first, int last,
                                           const std::vector<std::string>& valueList, int part, ControlLayer* layer,
                                           const std::string& group);
  IControl* createMultiSelectionSysExControl(const std::string& name, int paramIdx, int x, int y, int w, int h, int def,
                                             int min, int max, int first, int last,
                                             const std::vector<std::string>& valueList, int offset, int unusedNumber,
                                             int sysexIndex, int changingByte, int part, ControlLayer* layer,
                                             const std::string& group, bool white);

  IControl* createControlDisplay(const std::string& name, int paramIdx, int x, int y, int w, int h, int part,
                                 ControlLayer* layer, const std::string& group, int displayType, bool colourFlag);
  IControl* createNameDisplay(const std::string& name, int paramIdx, int x, int y, int w, int h, int nameLength,
                              int part, ControlLayer* layer, const std::string& group);

  IControl* createCCSliderControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x, int y,
                                  int length, const std::string& image, double def, double min, double max,
                                  LinkInfo link, int part, ControlLayer* layer, const std::string& group,
                                  EDirection direction, bool flag);
  IControl* createSysExSliderControl(const std::string& name, int paramIdx, int x, int y, int length,
                                     const std::string& image, double def, double min, double max, double unusedNumber,
                                     int offset, int sysexIndex, int changingByte, int part, LinkInfo link,
                                     ControlLayer* layer, const std::string& group, EDirection direction, bool flag);

  IControl* createBoolControl(const std::string& name, int paramIdx, int def, int x, int y, const std::string& image,
                              int part, ControlLayer* layer, const std::string& group);
  IControl* createBoolControl2(const std::string& name, int paramIdx, int x, int y, double unused1, double unused2,
                               double unused3, const std::string& image, int part, ControlLayer* layer,
                               const std::string& group);
  IControl* createSwitchControl(const std::string& name, int paramIdx, int def, int x, int y, const std::string& image,
                                int part, ControlLayer* layer, const std::string& group);
  IControl* createAutoOffSwitchControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
                                       int part, ControlLayer* layer, const std::string& group);
  IControl* createCCBoolControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x, int y,
                                const std::string& image, double def, double off, double on, LinkInfo link, int part,
                                ControlLayer* layer, const std::string& group);
  IControl* createMsbLsbBoolControl(int ccNumber, int msb, int lsb, int lsbControl, int channel,
                                    const std::string& name, int paramIdx, int x, int y, const std::string& image,
                                    double def, double off, double on, LinkInfo link, int part, ControlLayer* layer,
                                    const std::string& group);
  IControl* createSysExBoolControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
                                   double def, int msgZeroVal, int sysexIndex, int changingByte, int part,
                                   LinkInfo link, ControlLayer* layer, const std::string& group);
  IControl* createRadioControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
                               int buttons, int part, ControlLayer* layer, const std::string& group, bool horizontal);

  IControl* createCCKnobControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x, int y,
                                const std::string& image, double def, double min, double max, double step,
                                LinkInfo link, int part, ControlLayer* layer, const std::string& group);
  IControl* createMsbLsbKnobControl(int ccNumber, int msb, int lsb, int lsbControl, int channel,
                                    const std::string& name, int paramIdx, int x, int y, const std::string& image,
                                    double def, double min, double max, double unused, LinkInfo link, int part,
                                    ControlLayer* layer, const std::string& group);
  IControl* createSysExKnobControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
                                   double def, double min, double max, double unused, int msgZeroVal, int sysexIndex,
                                   int changingByte, int part, LinkInfo link, ControlLayer* layer,
                                   const std::string& group);
  IControl* createNoValKnobControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
                                   double def, double min, double max, double unused, int part, ControlLayer* layer,
                                   const std::string& group);

  // ---- SysEx helpers ----
  // Appends every element of from to to. Kept for the resource tools.
  static void copyIntVector(const std::vector<int>* from, std::vector<int>* to);
  // The template steps of SysExValues.h as the manager's own; the layout walk splits
  // its attribute texts with Tokenize too.
  static void Tokenize(const std::string& text, std::vector<std::string>& tokens, const std::string& delimiters) {
    ::Tokenize(text, tokens, delimiters);
  }
  static std::vector<int> convertStringSysextoVector(const std::string& text) {
    return ::convertStringSysextoVector(text);
  }
  static void calculateSysexWithChangingByte(const std::string& sysexTemplate, int position, int count,
                                             ControlActionSysExMessage* record, int start, int part) {
    ::calculateSysexWithChangingByte(sysexTemplate, position, count, record, start, part);
  }

  // ---- Lookups ----
  // threads: main, midi-in
  IControl* getCCControls(int channel, int ccNumber, int firstGen) const;
  IControl* getMsbLsbControl(int channel, int key1, int key2, int key3, int firstGen) const;
  IControl* getSysexControl(int b0, int b1, int b2, int b3, int fifthKey) const;

  // The layer registered under name, or null.
  ControlLayer* getLayer(const std::string& name) const;
  // The value list of that name; empty when none was read.
  const std::vector<std::string>& getValueList(const std::string& name) const;
  const std::vector<SysExContainer>& getSysExContainers() const { return mSysExContainers; }
  bool hasImage(const std::string& name) const { return mImages.count(name) != 0; }
  int imageCount() const { return int(mImages.size()); }
  // The parameter's binding record, or null.
  ControlAction* getControlAction(int paramIdx) const;
  // The control the "patchBrowser" element made (the latest one), or null.
  IControl* getLibrarianView() const { return mLibrarianView; }
  void setLibrarianViewFactory(LibrarianViewFactory factory) { mLibrarianViewFactory = factory; }
  double getScale() const { return mScale; }

private:
  friend class LayoutDispatch;

  // ---- shared by the factories ----
  // The parameter at paramIdx; null, logged for name, when it is outside the table.
  IParam* ParamFor(int paramIdx, const std::string& name);
  // Layout units times the GUI scale, truncated; values beyond kMaxCoordinate are capped (logged).
  int Scaled(int v);
  IRECT ScaledRect(int x, int y, int w, int h);
  // "[" + (part + 1) + "] " + name for part >= 0, else name.
  static std::string PartName(const std::string& name, int part);
  // Appends to the layer, or attaches to the panel without one.
  void Place(IControl* control, ControlLayer* layer);
  // The parameter's record (made with the defaults when it has none) with kind set,
  // control appended and the record stored in the parameter.
  ControlAction* Bind(int paramIdx, int kind, IControl* control);
  // Bind for a control sending a 14-bit controller: its keys, channel and link, and its
  // entry in the controller table that incoming messages are looked up in.
  ControlAction* BindMsbLsb(int paramIdx, IControl* control, LinkInfo link, int part, int ccNumber, int msb, int lsb,
                            int lsbControl, int channel);
  // The record of a parameter (made empty with kind when it has none), not bound to a control.
  ControlAction* ActionOrNew(int paramIdx, int kind);
  // 1 at the top; else 1 in the first-generation layers, 0 elsewhere.
  static int FirstGenOf(int part, const ControlLayer* layer);
  // Channel and firstGen of a CC-bound control, then its CC table entry.
  void BindCC(ControlAction* action, IControl* control, int ccNumber, int channel, int part, const ControlLayer* layer);
  // Fills the record's messages from container sysexIndex and registers the control
  // under the key of the first message. A bad input is logged and leaves the record
  // without messages and the control unregistered.
  void BindSysEx(ControlAction* action, IControl* control, const std::string& name, int sysexIndex, int changingByte,
                 long long count, int start, int part);
  // count limited to kMaxSysExMessages (logged).
  int CappedMessageCount(const std::string& name, long long count);
  // A layout number as an int: limited to the int range, 0 when not a number.
  static int ToInt(double v);
  // The shared tail of every menu: the caption with its prompt, style and placing.
  ICaptionControl* MakeCaption(int paramIdx, int x, int y, int w, int h, int size, const IColor& color,
                               bool promptEnabled, ControlLayer* layer);
  // Display texts of a menu of max - min entries; false (no menu is made) when
  // neither the list fits nor first..last can number them.
  bool SetMenuTexts(IParam* param, int entries, const std::vector<std::string>& list, int first, int last,
                    std::string (*numberText)(int paramIdx, long long v), int paramIdx);
  // The enum parameter of a menu with max - min entries, capped at kMaxMenuEntries.
  IParam* InitMenuParam(const std::string& name, int paramIdx, int def, int min, int max, int part,
                        const std::string& group, int* entries);
  IControl* MakeSwitch(const std::string& name, int paramIdx, bool def, int x, int y, const std::string& image,
                       int part, ControlLayer* layer, const std::string& group, bool contact);
  // The knob's parameter and control, placed.
  IControl* MakeKnob(const std::string& paramName, int paramIdx, int x, int y, const std::string& image, double def,
                     double min, double max, double step, int part, ControlLayer* layer, const std::string& group);
  IControl* MakeSlider(const std::string& name, int paramIdx, int x, int y, int length, const std::string& image,
                       double def, double min, double max, int part, ControlLayer* layer, const std::string& group,
                       EDirection direction);

  // ---- walk ----
  // One element; false when it built nothing.
  bool BuildElement(LayoutElement& element, ControlLayer* layer, int part);
  // The index "paramId" names: -1 without one, -2 (logged) when it names no
  // parameter of the table.
  int ParamIndexOf(const std::string& paramId, int part, int xmlLine);
  void SetSlot(int paramIdx, int part);
  void AddLayer(ControlLayer* layer, ControlLayer* parent);

  std::map<std::string, ImageInfo> mImages;
  std::map<std::string, int> mParamNames;
  std::map<std::string, ControlLayer*> mLayers;
  std::map<std::string, std::vector<std::string>> mValueLists;
  double mScale = 0.0;
  int mStartup = 0;
  std::vector<SysExContainer> mSysExContainers;
  std::string mGroupText;
  IGraphics* mGraphics = nullptr;
  IModuleBase* mPlug = nullptr;
  PatchLibrarian* mLibrarian = nullptr;
  IControl* mLibrarianView = nullptr;
  bool mReleaseImages = false;
  CCControlTable mCCTable;
  NRPNControlContainer mNRPNTable;
  SysExControlContainer mSysExTable;

  ConfigLog mLog;
  ConfigLog mNotes;  // what the walk passes over, for the layout's checks
  LibrarianViewFactory mLibrarianViewFactory = nullptr;
  std::vector<std::unique_ptr<ControlAction>> mActions;
  // The (id, scale) pairs this manager holds in the process-wide claim count.
  std::set<std::pair<int, double>> mHeldImages;
};
