#pragma once
// The panel surface on the platform: finds files and images in the plug-in's
// bundle, puts the finished frame on screen, opens the panel as a Cocoa view or
// in a Carbon window, and runs message boxes, file prompts, popup menus and text
// entries through the view back end (platform/views).
//
// Views here are our own objects, not the platform's: OpenWindow(parent) returns
// a ViewHostable* (as void*) that the host attaches to a ViewBackend (the window);
// a non-null parent is taken to be that ViewBackend*. OpenWindow(window, ...) takes
// the ViewBackend* of the host's window as `window`.
//
// threads: main only (construction, including the first file and image loads,
// happens on the main thread as well).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Framework/IGraphics.h"
#include "Kit_String.h"
#include "views/View_Events.h"
#include "views/View_Menu.h"

class IGraphicsCarbon;
class IGraphicsCocoa_vTavro_au;
class ViewBackend;

class IGraphicsMac : public IGraphics {
public:
  // Files larger than this are cut (and the cut is reported on standard error).
  static constexpr int kMaxFileSize = 4096000;

  // fps 0 means 25.
  IGraphicsMac(IModuleBase* plug, int width, int height, int fps);
  ~IGraphicsMac() override;

  // The bundle whose resources are read; set before the first resource is read.
  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  const char* GetBundleID() const { return mBundleID.Get(); }

  bool DrawScreen(IRECT* rect) override;
  bool MeasureIText(IText* text, const char* str, IRECT* rect) override;
  void ForceEndUserEdit() override;
  void Resize(int width, int height) override;
  bool WindowIsOpen() override;
  const char* GetGUIAPI() override;
  // Types: 3 Yes/No/Cancel, 4 Yes/No, 1 OK/Cancel, else OK. Returns 1 for the
  // default button (OK, Yes), 7 for No, 2 for Cancel, 0 when dismissed otherwise.
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str, IParam* param) override;
  void HostPath(Kit_String* path) override;
  void PluginPath(Kit_String* path) override;
  void DesktopPath(Kit_String* path) override;
  void PromptForFile(Kit_String* fileName, EFileAction action, Kit_String* folder, const char* extensions) override;
  // The same prompt, as the system's panels take a path (View_FilePromptRules.h): a
  // relative path lies in the start folder, a saved name gets the first extension when
  // it has none, and a file that exists is replaced only when the user says Replace.
  // A path given but not taken leaves the file name empty and says why in *refusal
  // (when not null); a cancel leaves both empty. `refuse`, when given, says why a path
  // chosen to save may not be written at all ("" when it may), before any question.
  void PromptForFile(Kit_String* fileName, EFileAction action, Kit_String* folder, const char* extensions,
                     std::string* refusal, const std::function<std::string(const std::string&)>& refuse = nullptr);
  bool PromptForColor(IColor* color, const char* prompt) override { return false; }
  // True when something was asked to open the address or path; false for an empty
  // or unusable address or when the opener could not be started.
  bool OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
               const char* errMsgOnFailure) override;
  void* OpenWindow(void* parent) override;
  void* OpenWindow(void* window, void* control, short left, short top) override;
  void* OpenCocoaWindow(void* parent) { return OpenWindow(parent); }
  void* OpenCarbonWindow(void* window, void* control, short left, short top) {
    return OpenWindow(window, control, left, top);
  }
  // A host window that wants the Cocoa panel: the panel's view is opened in it
  // (there are no child windows here, so the view takes the parent window itself).
  void AttachSubWindow(void* parentWindow) override;
  void RemoveSubWindow() override;
  void CloseWindow() override;
  void* GetWindow() override;
  // The file `name` of the bundle's resources, with the last file size set to
  // the bytes read; one zero byte always follows them. Null when missing.
  std::unique_ptr<unsigned char[]> OSLoadFile(int id, const char* name) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  std::unique_ptr<Raster_IBitmap> OSLoadBitmap(int id, const char* name) override;

  // The back end of the open view, or null.
  ViewBackend* GetViewBackend();
  IGraphicsCocoa_vTavro_au* GetCocoaView() { return mCocoaView.get(); }
  IGraphicsCarbon* GetCarbonHost() { return mCarbon.get(); }

private:
  // The path of the bundle resource `name` of that type; empty when missing or ambiguous.
  std::string ResourcePath(const char* name, const std::string& type);

  std::unique_ptr<IGraphicsCarbon> mCarbon;
  std::unique_ptr<IGraphicsCocoa_vTavro_au> mCocoaView;
  // Closed views: inert, kept because the host may still hold them.
  std::vector<std::unique_ptr<IGraphicsCocoa_vTavro_au>> mClosedViews;
  Kit_String mBundleID;
  void* mParentWindow = nullptr;  // the window AttachSubWindow was given
};

// The bundle file of that name when its extension is png (any case), decoded;
// null otherwise. The caller owns the bitmap.
std::unique_ptr<Raster_IBitmap> LoadImgFromResourceOSX(const char* bundleID, const char* fileName);

// The version of the system the platform stand-ins act as, in the system's own form
// (binary-coded digits 0xMMmp: 0x1068 is 10.6.8). Also written to the trace.
int GetUserOSVersion();

// A popup menu as the back ends show it: numbered titles, separators, disabled,
// indented and checked items, submenus (nested at most 16 deep, so a menu that
// contains itself cannot loop). Each menu's tag is its IPopupMenu.
ViewMenu IGraphicsMac_BuildViewMenu(IPopupMenu* menu);
// Writes the choice into the menu that holds the chosen item and returns that menu;
// null when nothing was chosen.
IPopupMenu* IGraphicsMac_ApplyChoice(const ViewMenuChoice* choice);

// The view's mouse modifier flags as the controls read them.
inline IMouseMod ToIMouseMod(const PanelMouseMod& m) { return IMouseMod(m.L, m.R, m.S, m.C, m.A); }
