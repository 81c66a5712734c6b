// The Cocoa view factory class and the Carbon view entry, for a plug-in
// without a panel.

#include "AUTestUnit.h"
#include "CocoaViewFactory.h"
#include "Framework/IModuleAUView.h"

namespace {

TEST(ViewFactory, TheFactoryIsFoundByTheClassNameTheUnitReports) {
  AUTestUnit u;  // opening registers the class
  auto factory = AUCocoaUICreate(u.Plug()->GetCocoaViewFactoryClassName());
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->interfaceVersion(), 0u);
  CFStringRef description = factory->description();
  EXPECT_STREQ(CFStringGetCStringPtr(description, kCFStringEncodingUTF8), "Tavro Editor View");
  CFRelease(description);
  EXPECT_EQ(AUCocoaUICreate("No_Such_View"), nullptr);
  EXPECT_EQ(AUCocoaUICreate(nullptr), nullptr);
}

TEST(ViewFactory, APlugInWithoutPanelGivesNoViewButIsRemembered) {
  AUTestUnit u;
  Tavro_View factory;
  EXPECT_EQ(factory.uiViewForAudioUnit(u.unit, 100, 100), nullptr);
  EXPECT_EQ(factory.Plug(), u.Plug());
  EXPECT_EQ(factory.uiViewForAudioUnit(nullptr, 0, 0), nullptr);
  EXPECT_EQ(factory.Plug(), nullptr);
}

TEST(ViewFactory, CarbonViewEntryRefusesCreationWithoutPanel) {
  AUTestUnit u;
  const ComponentRecord viewComponent{{kAudioUnitCarbonViewComponentType, FourCC("tvrq"), FourCC("Orv1"), 0, 0},
                                      &Tavro_ViewEntry};
  ComponentInstance view = nullptr;
  ASSERT_EQ(OpenAComponent(&viewComponent, &view), noErr);
  void* control = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(CallComponent(view, kAudioUnitCarbonViewCreateSelect, u.unit, nullptr, nullptr, nullptr, nullptr, &control),
            badComponentSelector);
  EXPECT_EQ(control, reinterpret_cast<void*>(0x1));
  EXPECT_EQ(CallComponent(view, kAudioUnitCarbonViewCreateSelect, AudioUnit(nullptr), nullptr, nullptr, nullptr,
                          nullptr, &control),
            badComponentSelector);
  EXPECT_EQ(CallComponent(view, 0x302), badComponentSelector);
  EXPECT_EQ(CloseComponent(view), noErr);
}

}  // namespace

namespace {

// A host may close the unit before the Carbon view it made for it.
TEST(ViewFactory, CarbonViewClosedAfterItsUnitTouchesNothingThatIsGone) {
  const ComponentRecord viewComponent{{kAudioUnitCarbonViewComponentType, FourCC("tvrq"), FourCC("Orv1"), 0, 0},
                                      &Tavro_ViewEntry};
  ComponentInstance view = nullptr;
  ASSERT_EQ(OpenAComponent(&viewComponent, &view), noErr);
  {
    AUTestUnit u;
    void* control = nullptr;
    // Refused for want of a panel, but the view now knows the plug-in.
    EXPECT_EQ(
        CallComponent(view, kAudioUnitCarbonViewCreateSelect, u.unit, nullptr, nullptr, nullptr, nullptr, &control),
        badComponentSelector);
  }
  EXPECT_EQ(CloseComponent(view), noErr);  // the sanitizer build sees any read of the closed plug-in
}

}  // namespace
