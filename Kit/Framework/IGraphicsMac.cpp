#include "Framework/IGraphicsMac.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "BundleResourceIndex.h"
#include "CoreFoundation.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsCarbon.h"
#include "Framework/IGraphicsCocoa.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "Framework/IPopupMenu.h"
#include "Framework/Log.h"
#include "Kit_AsciiCase.h"
#include "rasteriser/Raster.h"
#include "views/View_Backend.h"
#include "views/View_FilePromptRules.h"
#include "views/View_ProcessBackend.h"
#include "winemu/WinEmu_DC.h"

namespace {

constexpr int kMaxMenuDepth = 16;

// A CF string's text ("" for null).
std::string Text(CFStringRef s) {
  if (!s) return "";
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  std::string out(size_t(size), '\0');
  if (!CFStringGetCString(s, out.data(), size, kCFStringEncodingUTF8)) return "";
  out.resize(std::strlen(out.c_str()));
  return out;
}

// The file-system path of a URL the caller owns (released here).
std::string TakeURLPath(CFURLRef url) {
  if (!url) return "";
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  std::string out = Text(path);
  if (path) CFRelease(path);
  CFRelease(url);
  return out;
}

CFBundleRef BundleWithID(const char* bundleID) {
  if (!bundleID || !*bundleID) return nullptr;
  CFStringRef id = CFStringCreateWithCString(nullptr, bundleID, kCFStringEncodingUTF8);
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
  if (id) CFRelease(id);
  return bundle;
}

std::string ResourcePathIn(const char* bundleID, const char* name, const std::string& type) {
  CFBundleRef bundle = BundleWithID(bundleID);
  if (!bundle || !name) return "";
  const std::string folder = TakeURLPath(CFBundleCopyResourcesDirectoryURL(bundle));
  std::string path;
  switch (BundleResourceIndex::ForFolder(folder)->Find(name, type, &path)) {
    case BundleResourceIndex::Lookup::Found: return path;
    case BundleResourceIndex::Lookup::Ambiguous:
      std::fprintf(stderr, "resource \"%s\" of type \"%s\" is in more than one folder of %s; not loaded\n", name,
                   type.c_str(), folder.c_str());
      return "";
    case BundleResourceIndex::Lookup::Missing: return "";
  }
  return "";
}

void FillViewMenu(IPopupMenu* source, ViewMenu* out, int depth) {
  out->tag = source;
  for (int i = 0; i < source->GetNItems(); ++i) {
    const IPopupMenuItem* item = source->GetItem(i);
    ViewMenuItem v;
    if (item->GetIsSeparator()) {
      v.separator = true;
      out->items.push_back(std::move(v));
      continue;
    }
    v.title = ViewMenuItemTitle(item->GetText(), source->GetPrefix(), i);
    v.enabled = item->GetEnabled();
    v.checked = item->GetChecked();
    v.indented = item->GetIsTitle();
    IPopupMenu* sub = item->GetSubmenu();
    if (sub && sub->GetNItems() > 0 && depth < kMaxMenuDepth) {
      v.submenu = std::make_unique<ViewMenu>();
      FillViewMenu(sub, v.submenu.get(), depth + 1);
    }
    out->items.push_back(std::move(v));
  }
}

// "~" at the front stands for the home folder (the prompt has no shell to expand it).
std::string ExpandHome(const std::string& path) {
  if (path != "~" && path.compare(0, 2, "~/") != 0) return path;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + path.substr(1);
}

// `path`, or the nearest folder above it that exists ("/" at last): a prompt opens in
// a folder, and a fresh machine has no Desktop and a remembered folder may be gone.
std::string ExistingFolder(std::string path) {
  struct stat st;
  while (!path.empty() && (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
    while (!path.empty() && path.back() == '/') path.pop_back();
    path.erase(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  }
  return path.empty() ? "/" : path;
}

// A web address must name its scheme and hold no blanks or control characters.
bool UsableWebAddress(const std::string& url) {
  if (url.find("://") == std::string::npos) return false;
  for (unsigned char c : url)
    if (c <= ' ' || c == 0x7F) return false;
  return true;
}

}  // namespace

int GetUserOSVersion() {
  // The stand-ins give what the last system to host 32-bit x86 views in this form gave;
  // the kernel's own release number means nothing to the callers.
  constexpr int kStandInVersion = 0x1068;
  Trace(__FUNCTION__, __LINE__, "OS version %x", kStandInVersion);
  return kStandInVersion;
}

ViewMenu IGraphicsMac_BuildViewMenu(IPopupMenu* menu) {
  ViewMenu out;
  if (menu) FillViewMenu(menu, &out, 0);
  return out;
}

IPopupMenu* IGraphicsMac_ApplyChoice(const ViewMenuChoice* choice) {
  if (!choice || !choice->menu || choice->index < 0) return nullptr;
  IPopupMenu* chosen = static_cast<IPopupMenu*>(const_cast<void*>(choice->menu->tag));
  if (!chosen) return nullptr;
  chosen->SetChosenItemIdx(choice->index);
  return chosen;
}

std::unique_ptr<Raster_IBitmap> LoadImgFromResourceOSX(const char* bundleID, const char* fileName) {
  if (!fileName) return nullptr;
  if (Kit_AsciiLower(ViewResourceExtension(fileName)) != "png") return nullptr;
  const std::string path = ResourcePathIn(bundleID, fileName, "png");
  if (path.empty()) return nullptr;
  return std::unique_ptr<Raster_IBitmap>(Raster_LoadPNG(path.c_str(), nullptr));
}

IGraphicsMac::IGraphicsMac(IModuleBase* plug, int width, int height, int fps) : IGraphics(plug, width, height, fps) {}

IGraphicsMac::~IGraphicsMac() { CloseWindow(); }

ViewBackend* IGraphicsMac::GetViewBackend() {
  if (mCocoaView) return mCocoaView->Backend();
  if (mCarbon) return mCarbon->Backend();
  return nullptr;
}

bool IGraphicsMac::DrawScreen(IRECT*) {
  ViewBackend* backend = GetViewBackend();
  Raster_SysBitmap* bitmap = GetDrawBitmap();
  if (!backend || !bitmap) return false;
  const WinEmu_PixelContext& context = bitmap->getDC()->context;
  if (!context.bits) return false;
  // The back end takes from it only the area it asked to repaint.
  backend->Present(context.bits, context.width, context.height, context.rowSpan);
  return true;
}

bool IGraphicsMac::MeasureIText(IText* text, const char* str, IRECT* rect) { return DrawIText(text, str, rect, true); }

void IGraphicsMac::ForceEndUserEdit() {
  if (mCarbon) mCarbon->EndUserInput(false);
  if (mCocoaView) mCocoaView->endUserInput();
}

void IGraphicsMac::Resize(int width, int height) {
  if (width == Width() && height == Height()) return;
  IGraphics::Resize(width, height);
  if (mCarbon) mCarbon->Resize(width, height);
  if (mCocoaView) mCocoaView->setFrameSize(width, height);
}

bool IGraphicsMac::WindowIsOpen() { return mCarbon || mCocoaView; }

const char* IGraphicsMac::GetGUIAPI() {
  if (mCarbon) return mCarbon->IsComposited() ? "Carbon Composited gui" : "Carbon Non-Composited gui";
  return "Cocoa gui";
}

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type) {
  using Role = ViewAlertButton::Role;
  ViewAlert alert;
  alert.caption = caption ? caption : "";
  alert.text = text ? text : "";
  switch (type) {
    case 3: alert.buttons = {{"Yes", Role::Default}, {"No", Role::Alternate}, {"Cancel", Role::Other, true}}; break;
    case 4: alert.buttons = {{"Yes", Role::Default}, {"No", Role::Alternate}}; break;
    // Cancel answers as the Cancel of the three-button box does (2), not as "No".
    case 1: alert.buttons = {{"OK", Role::Default}, {"Cancel", Role::Other, true}}; break;
    default: alert.buttons = {{"OK", Role::Default}}; break;
  }
  ViewBackend* backend = GetViewBackend();
  switch ((backend ? *backend : ViewProcessBackend()).ShowMessageBox(alert)) {
    case ViewAlertResponse::Default: return 1;
    case ViewAlertResponse::Alternate: return 7;
    case ViewAlertResponse::Other: return 2;
    case ViewAlertResponse::Dismissed: return 0;
  }
  return 0;
}

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) {
  ReleaseMouseCapture();
  if (!menu || !rect) return nullptr;
  if (mCocoaView)
    return mCocoaView->createIPopupMenu(menu, CocoaViewRectFromPanel({rect->L, rect->T, rect->R, rect->B}, Height()));
  if (mCarbon) return mCarbon->CreateIPopupMenu(menu, rect);
  return nullptr;
}

void IGraphicsMac::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str, IParam* param) {
  if (!text || !rect) return;
  if (mCocoaView)
    mCocoaView->createTextEntry(control, param, text, str,
                                CocoaViewRectFromPanel({rect->L, rect->T, rect->R, rect->B}, Height()));
  else if (mCarbon)
    mCarbon->CreateTextEntry(control, text, rect, str, param);
}

void IGraphicsMac::HostPath(Kit_String* path) {
  CFBundleRef bundle = BundleWithID(mBundleID.Get());
  if (!bundle || !path) return;
  CFTypeRef executable = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleExecutable"));
  if (!executable || CFGetTypeID(executable) != CFStringGetTypeID()) return;
  std::string folder = TakeURLPath(CFBundleCopyBundleURL(bundle));
  if (folder.empty()) return;
  if (folder.back() != '/') folder += '/';
  path->Set((folder + Text(static_cast<CFStringRef>(executable))).c_str());
}

void IGraphicsMac::PluginPath(Kit_String* path) {
  CFBundleRef bundle = BundleWithID(mBundleID.Get());
  if (!bundle || !path) return;
  std::string folder = TakeURLPath(CFBundleCopyBundleURL(bundle));
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const size_t slash = folder.rfind('/');
  if (slash == std::string::npos) return;
  path->Set(folder.substr(0, slash + 1).c_str());
}

void IGraphicsMac::DesktopPath(Kit_String* path) {
  if (path) path->Set(ExpandHome("~/Desktop/").c_str());
}

void IGraphicsMac::PromptForFile(Kit_String* fileName, EFileAction action, Kit_String* folder, const char* extensions) {
  PromptForFile(fileName, action, folder, extensions, nullptr);
}

namespace {

// The save panel's question before a file is replaced: Return and Escape keep it.
bool MayReplace(ViewBackend& backend, const std::string& path, std::string* refusal) {
  const size_t slash = path.rfind('/');
  const std::string name = path.substr(slash + 1), where = slash == 0 ? "/" : path.substr(0, slash);
  ViewAlert question;
  question.caption = "Replace file?";
  question.text = "\"" + name + "\" already exists in " + where + ". Replacing it overwrites what it holds.";
  question.buttons = {{"Cancel", ViewAlertButton::Role::Default, true}, {"Replace", ViewAlertButton::Role::Alternate}};
  switch (backend.ShowMessageBox(question)) {
    case ViewAlertResponse::Alternate: return true;
    case ViewAlertResponse::Dismissed: *refusal = path + " exists and nobody answered Replace; it was kept"; break;
    default: *refusal = path + " exists and was kept"; break;
  }
  return false;
}

}  // namespace

void IGraphicsMac::PromptForFile(Kit_String* fileName, EFileAction action, Kit_String* folder, const char* extensions,
                                 std::string* refusal, const std::function<std::string(const std::string&)>& refuse) {
  std::string ignored;
  if (!refusal) refusal = &ignored;
  refusal->clear();
  if (!fileName) return;
  ViewBackend* backend = GetViewBackend();
  if (!backend) {
    fileName->Set("");
    return;
  }
  ViewFilePrompt prompt;
  prompt.save = action == kFileSave;
  prompt.name = fileName->Get() ? fileName->Get() : "";
  std::string start = folder && folder->Get() ? folder->Get() : "";
  if (start.empty()) {
    start = "~/Desktop";
    if (folder) folder->Set(start.c_str());
  }
  prompt.folder = ExistingFolder(ExpandHome(start));
  fileName->Set("");
  std::istringstream types(extensions ? extensions : "");
  for (std::string t; types >> t;) prompt.types.push_back(t);

  const std::optional<std::string> typed = backend->PromptForPath(prompt);
  if (!typed) return;
  // Whatever answered (a person or a script), a path is taken as the panel takes it; a
  // file to open that is not there is the caller's to say (it names what it read).
  const ViewPromptPath chosen = ViewCheckPromptPath(prompt, *typed);
  if (chosen.path.empty() || (!chosen.problem.empty() && !chosen.missing)) {
    *refusal = *typed + ": " + chosen.problem;
    return;
  }
  // A path the caller will not write is refused before Replace is asked of it.
  if (prompt.save && refuse && !(*refusal = refuse(chosen.path)).empty()) return;
  if (prompt.save && ViewPathIsTaken(chosen.path) && !MayReplace(*backend, chosen.path, refusal)) return;
  fileName->Set(chosen.path.c_str());
  const size_t slash = chosen.path.rfind('/');
  if (folder && slash != std::string::npos) folder->Set(chosen.path.substr(0, slash + 1).c_str());
}

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*) {
  if (!url || !*url) return false;
  const std::string target = url;
  if (target.find("http") != std::string::npos && !UsableWebAddress(target)) return false;
  ViewBackend* backend = GetViewBackend();
  return (backend ? *backend : ViewProcessBackend()).OpenURL(target);
}

void* IGraphicsMac::OpenWindow(void* parent) {
  CloseWindow();
  mCocoaView = std::make_unique<IGraphicsCocoa_vTavro_au>(this);
  if (parent) mCocoaView->AttachToBackend(static_cast<ViewBackend*>(parent));
  if (GetPlug()) GetPlug()->OnGUIOpen();
  return static_cast<ViewHostable*>(mCocoaView.get());
}

void* IGraphicsMac::OpenWindow(void* window, void* control, short left, short top) {
  CloseWindow();
  if (!window) return nullptr;
  mCarbon = std::make_unique<IGraphicsCarbon>(this, static_cast<ViewBackend*>(window), control, left, top);
  if (GetPlug()) GetPlug()->OnGUIOpen();
  return static_cast<ViewHostable*>(mCarbon.get());
}

void IGraphicsMac::AttachSubWindow(void* parentWindow) {
  if (!parentWindow) return;
  OpenWindow(parentWindow);
  mParentWindow = parentWindow;
}

void IGraphicsMac::RemoveSubWindow() {
  if (mParentWindow) CloseWindow();
}

void IGraphicsMac::CloseWindow() {
  mParentWindow = nullptr;
  mCarbon.reset();
  if (!mCocoaView) return;
  mCocoaView->killTimer();
  if (mCocoaView->graphics() == this) mCocoaView->detachFromSurface();
  mClosedViews.push_back(std::move(mCocoaView));
}

void* IGraphicsMac::GetWindow() { return mCocoaView ? static_cast<ViewHostable*>(mCocoaView.get()) : nullptr; }

std::unique_ptr<unsigned char[]> IGraphicsMac::OSLoadFile(int, const char* name) {
  if (!name) return nullptr;
  const std::string path = ResourcePath(name, ViewResourceExtension(name));
  if (path.empty()) return nullptr;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    std::printf("failed to open file\n");
    return nullptr;
  }
  // One byte more than the cap, so even a cut file ends with a zero. Only what the
  // file leaves is cleared, in one pass.
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kMaxFileSize + 1]);
  const size_t read = std::fread(buffer.get(), 1, kMaxFileSize, file);
  std::memset(buffer.get() + read, 0, kMaxFileSize + 1 - read);
  const bool more = std::fgetc(file) != EOF;
  std::fclose(file);
  if (more)
    std::fprintf(stderr, "%s is longer than %d bytes; only the first %d were read\n", path.c_str(), kMaxFileSize,
                 kMaxFileSize);
  SetLastFileSize(int(read));
  return buffer;
}

void IGraphicsMac::HideMouseCursor() {
  ViewBackend* backend = GetViewBackend();
  if (mCursorHidden || !backend) return;
  int x = 0, y = 0;
  if (!backend->HideCursor(&x, &y)) return;
  mCursorHidden = true;
  mCursorX = x;
  mCursorY = y;
}

void IGraphicsMac::ShowMouseCursor() {
  ViewBackend* backend = GetViewBackend();
  if (!mCursorHidden || !backend) return;
  if (backend->ShowCursor(mCursorX, mCursorY)) mCursorHidden = false;
}

std::unique_ptr<Raster_IBitmap> IGraphicsMac::OSLoadBitmap(int, const char* name) {
  return LoadImgFromResourceOSX(mBundleID.Get(), name);
}

std::string IGraphicsMac::ResourcePath(const char* name, const std::string& type) {
  return ResourcePathIn(mBundleID.Get(), name, type);
}
