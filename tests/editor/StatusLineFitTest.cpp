// The status lines and the file-name captions as the window's timer draws them: a
// long text stays inside its field, and a shorter one leaves nothing of the longer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Framework/IControlText.h"
#include "Framework/IGraphics.h"
#include "Framework/IParam.h"
#include "ShownEditor.h"

namespace {

class StatusLineFit : public ::testing::Test, protected ShownEditor {
protected:
  // Pixels outside `field` that differ between two screens.
  size_t ChangedOutside(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const IRECT& field) const {
    size_t changed = 0;
    for (int y = 0; y < window.Height(); ++y)
      for (int x = 0; x < window.Width(); ++x) {
        const size_t at = size_t(y) * size_t(window.Width()) + size_t(x);
        const bool inside = field.L <= x && x < field.R && field.T <= y && y < field.B;
        if (!inside && a[at] != b[at]) ++changed;
      }
    return changed;
  }

  void ShowLibrarian() {
    IControl* control = editor.plug->firstControl(kShowLibrarian);
    ASSERT_NE(control, nullptr);
    control->SetValueFromUserInput(1.0);
    window.Tick();
  }
};

const std::string kLong =
    "Not read: noise.syx (no program or performance in it); Cut.syx is incomplete (1 program completed (end "
    "missing)): Save in place is off, use Save As";

TEST_F(StatusLineFit, ALongTextStaysInItsFieldAndAShorterOneLeavesNoFragment) {
  for (bool librarian : {false, true}) {
    SCOPED_TRACE(librarian ? "librarian page" : "synthesizer page");
    if (librarian) ShowLibrarian();
    ITextControl* line =
        librarian ? editor.plug->keptControls().librarianStatusText : editor.plug->keptControls().statusText;
    ASSERT_NE(line, nullptr);
    editor.plug->showStatus("");
    window.Tick();
    const std::vector<uint32_t> empty = Screen();
    editor.plug->showStatus(kLong);
    window.Tick();
    const std::vector<uint32_t> withLong = Screen();
    EXPECT_NE(withLong, empty) << "the text is drawn";
    EXPECT_EQ(ChangedOutside(empty, withLong, line->GetRECT()), 0u) << "drawn over its neighbours";
    editor.plug->showStatus("Saved A.nl2");
    window.Tick();
    const std::vector<uint32_t> withShort = Screen();
    EXPECT_TRUE(SameScreen(withShort, Redrawn(), window.Width()));
    EXPECT_EQ(line->GetTextString(), "Saved A.nl2");
  }
}

TEST_F(StatusLineFit, ALongFileNameCaptionStaysInItsFieldAndAShorterOneLeavesNoFragment) {
  ShowLibrarian();
  for (int list : {int(kPatchSelectionListUpper), int(kPatchSelectionListLower)}) {
    SCOPED_TRACE(list);
    IControl* caption = list == kPatchSelectionListUpper ? editor.plug->keptControls().upperListControl
                                                         : editor.plug->keptControls().lowerListControl;
    ASSERT_NE(caption, nullptr);
    IParam* param = editor.plug->GetParam(list);
    auto show = [&](const char* name) {
      param->SetDisplayText(0, name);
      param->Set(0.0);
      caption->SetDirty(false);
      window.Tick();
      return Screen();
    };
    const std::vector<uint32_t> shortName = show("Ev.nl2");
    const std::vector<uint32_t> longName =
        show("Every Evening Of My Long Summer Holiday In The Hills (second take).nl2");
    EXPECT_NE(longName, shortName);
    EXPECT_EQ(ChangedOutside(shortName, longName, caption->GetRECT()), 0u) << "drawn over its neighbours";
    show("My.nl2");
    EXPECT_TRUE(SameScreen(Screen(), Redrawn(), window.Width()));
  }
}

// Whether `text` is drawn whole at `line`'s own text size.
::testing::AssertionResult ReadsWhole(Tavro& t, ITextControl* line, const std::string& text) {
  const IRECT field = line->GetRECT();
  IText style = *line->GetText();
  const IText fitted = FittedText(t.graphics, style, text.c_str(), field);
  IRECT measured = field;
  if (!t.graphics->MeasureIText(&style, text.c_str(), &measured)) return ::testing::AssertionFailure() << "unmeasured";
  if (fitted.size != style.size || measured.W() > field.W())
    return ::testing::AssertionFailure() << "\"" << text << "\" is " << measured.W() << " px at size " << style.size
                                         << " in " << field.W() << " px: drawn at size " << fitted.size;
  return ::testing::AssertionSuccess();
}

// The texts naming ports a recall did not find, on both status lines, and what the
// page says of a send it did not make or a restore, on the synthesizer page's, at
// each panel size: drawn whole at the line's own text size, so that a long name is
// cut in its middle by the text itself and its end, which tells a device's ports
// apart, reads. What a librarian transfer says reads on the librarian page's line.
TEST(StatusLineSizes, MissingPortsAndOutcomesReadWholeAtEverySize) {
  const std::string in = "Vudidi-Nord-NL2x-USB-MIDI-Interface-Port-out:midi";
  const std::string out = "Vudidi-Nord-NL2x-USB-MIDI-Interface-Port-in:midi";
  const std::vector<std::string> both = {"[1] Filter Cutoff" + std::string(Tavro::kChannelOffText),
                                         "Program change" + std::string(Tavro::kChannelOffText),
                                         "Restored: ports open, performance sent",
                                         "Restored: MIDI ports OFF, nothing sent",
                                         "Data write CANCELLED! / 37 of 99 sent",
                                         "MIDI send FAILED! / 37 of 100 sent"};
  const std::vector<std::string> librarian = {"CONNECTION TIMED OUT! / Only 40 of 99 programs received",
                                              "Data request Cancelled! / Only 4 of 100 performances received",
                                              "Data write CANCELLED! / 37 of 99 sent / Program 25 received"};
  for (const char* size : {"small", "normal", "large"}) {
    SCOPED_TRACE(size);
    ShownEditor shown(std::string("\n") + size + "\nyes\n", true);
    Tavro& t = *shown.editor.plug;
    ITextControl* synthLine = t.keptControls().statusText;
    ITextControl* librarianLine = t.keptControls().librarianStatusText;
    ASSERT_NE(synthLine, nullptr);
    ASSERT_NE(librarianLine, nullptr);
    const auto fits = [&t](const std::string& text) { return t.readsWholeOnStatusLines(text); };
    for (const std::string& named :
         {MissingPortsText(in, "", fits), MissingPortsText("", out, fits), MissingPortsText(in, out, fits)}) {
      EXPECT_TRUE(ReadsWhole(t, synthLine, named));
      EXPECT_TRUE(ReadsWhole(t, librarianLine, named));
      // The names take all the room the line has at this size: a character more is cut.
      EXPECT_FALSE(ReadsWhole(t, synthLine, named + "x")) << named;
    }
    EXPECT_NE(MissingPortsText("", out, fits).find("-in:midi"), std::string::npos);
    EXPECT_NE(MissingPortsText(in, "", fits).find("-out:midi"), std::string::npos);
    for (const std::string& text : both) {
      EXPECT_TRUE(ReadsWhole(t, synthLine, text));
      EXPECT_TRUE(ReadsWhole(t, librarianLine, text));
    }
    for (const std::string& text : librarian) EXPECT_TRUE(ReadsWhole(t, librarianLine, text));
  }
}

}  // namespace
