// Typed input from the user and the X server: key events (code, characters in any
// bytes, modifiers) through both views' key rules and text entry filters, and the
// text the entry ends with through the formatter and the integer reading.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "views/View_CarbonRules.h"
#include "views/View_CocoaRules.h"
#include "views/View_PanelKeys.h"
#include "views/View_TextEntry.h"
#include "views/View_X11Input.h"

namespace {

const int kCodes[] = {kViewKeyNone,   kViewKeyReturn, kViewKeyEnter, kViewKeyBackspace, kViewKeyForwardDelete,
                      kViewKeyLeft,   kViewKeyRight,  kViewKeyUp,    kViewKeyDown,      kViewKeySpace,
                      kViewKeyEscape, kViewKeyHome,   kViewKeyEnd};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int paramType = data[0] % 7 - 1;  // -1 (no parameter) .. 5
  const int maximumLength = data[1] % 20;
  const CocoaFormatter formatter = CocoaFormatterForParamType(paramType < 0 ? 0 : paramType, maximumLength);

  ViewTextEntrySpec cocoa, carbon;
  carbon.selectAll = true;
  carbon.text = "INIT";  // the Cocoa entry starts empty so its text is always what the formatter let in
  cocoa.filter = [&](const ViewKeyEvent& key, const std::string&, const std::string& proposed) {
    const ViewEntryVerdict standard = ViewDefaultEntryVerdict(key);
    if (standard != ViewEntryVerdict::Insert) return standard;
    return formatter.IsPartialStringValid(proposed) ? ViewEntryVerdict::Insert : ViewEntryVerdict::Refuse;
  };
  carbon.filter = CarbonEntryFilter(paramType, maximumLength);
  ViewTextEntry cocoaEntry(cocoa), carbonEntry(carbon);

  // Each event: a code byte, a length byte, then that many character bytes.
  for (size_t i = 2; i + 1 < size;) {
    ViewKeyEvent key;
    key.keyCode = kCodes[data[i] % (sizeof kCodes / sizeof kCodes[0])];
    key.mods.shift = data[i] & 0x80;
    key.mods.control = data[i] & 0x40;
    const size_t length = std::min<size_t>(data[i + 1] % 6, size - i - 2);
    key.characters.assign(reinterpret_cast<const char*>(data + i + 2), length);
    i += 2 + length;

    const std::u32string decoded = Utf8Decode(key.characters);
    Check(int(decoded.size()) == Utf8CharacterCount(key.characters));
    Check(decoded.empty() || decoded[0] == Utf8FirstCharacter(key.characters));
    CocoaPanelKey(key);
    CarbonPanelKey(key);
    X11KeyEvent(data[i - 1], key.characters, data[i - 1]);

    cocoaEntry.HandleKey(key);
    carbonEntry.HandleKey(key);
    // The caret stands in the text.
    Check(cocoaEntry.Caret() <= cocoaEntry.Text().size());
    Check(carbonEntry.Caret() <= carbonEntry.Text().size());
    if (paramType >= 0 && maximumLength > 0 && !cocoaEntry.AllSelected())
      Check(formatter.IsPartialStringValid(cocoaEntry.Text()) || cocoaEntry.Text().empty());
  }
  CocoaIntValue(cocoaEntry.Text());
  CocoaIntValue(carbonEntry.Text());
  return 0;
}
