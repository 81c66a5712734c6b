// With a panel attached the unit offers its Carbon view component and its Cocoa
// view (bundle location and factory class).

#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <string>

#include "AUTestUnit.h"
#include "Framework/IGraphicsMac.h"

namespace {

// A bundle folder whose Info.plist carries the plug-in's identifier.
std::string MakeBundleFolder() {
  char folder[] = "/tmp/au-view-bundle-XXXXXX";
  if (!mkdtemp(folder)) return "";
  std::ofstream(std::string(folder) + "/Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>com.Orvane.audiounit.Tavro Editor</string></dict></plist>\n";
  return folder;
}

TEST(ViewProperties, WithAPanelTheViewsAreOffered) {
  AUTestUnit u;
  auto* graphics = new IGraphicsMac(u.Plug(), 100, 80, 25);
  graphics->SetBundleID(u.Plug()->GetBundleID());
  u.Plug()->AttachGraphics(graphics);

  ComponentDescription view{};
  UInt32 size = sizeof view;
  ASSERT_EQ(
      AudioUnitGetProperty(u.unit, kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0, &view, &size),
      noErr);
  EXPECT_EQ(view.componentType, kAudioUnitCarbonViewComponentType);
  EXPECT_EQ(view.componentSubType, FourCC("tvrq"));
  EXPECT_EQ(view.componentManufacturer, FourCC("Orv1"));

  const std::string folder = MakeBundleFolder();
  ASSERT_FALSE(folder.empty());
  CFStringRef path = CFStringCreateWithCString(nullptr, folder.c_str(), kCFStringEncodingUTF8);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  ASSERT_NE(bundle, nullptr);

  AudioUnitCocoaViewInfo info{};
  size = sizeof info;
  ASSERT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size), noErr);
  CFStringRef location = CFURLCopyFileSystemPath(info.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle);
  EXPECT_EQ(std::string(CFStringGetCStringPtr(location, kCFStringEncodingUTF8)), folder);
  EXPECT_STREQ(CFStringGetCStringPtr(info.mCocoaAUViewClass[0], kCFStringEncodingUTF8), "Tavro_View");
  for (CFTypeRef o : {CFTypeRef(location), CFTypeRef(info.mCocoaAUViewBundleLocation),
                      CFTypeRef(info.mCocoaAUViewClass[0]), CFTypeRef(bundle), CFTypeRef(url), CFTypeRef(path)})
    CFRelease(o);
  std::remove((folder + "/Info.plist").c_str());
  rmdir(folder.c_str());
}

}  // namespace
