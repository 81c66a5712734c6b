// Reading a whole panel (decipher, parse, walk and factories; about 2,000 elements
// binding all 798 parameters, no images) beside tinyxml2's parse of the same text.

#include <benchmark/benchmark.h>

#include <string>

#include "Framework/ControlLayer.h"
#include "ResourceSurface.h"
#include "layout/LayoutResource.h"

namespace {

constexpr int kLayers = 8;

// One control per parameter, cycling through the kinds of control, spread over
// layers and a multilayer; a background per control and a read-out per second one.
std::string WholePanelLayout() {
  static const char* const kControls[] = {
      "<knobcontrol type=\"ccKnob\" name=\"K%d\" paramId=\"kFilterCutoff+%d\" position=\"%d,%d\" "
      "imageId=\"KNOB_ID_127\" valueBounds=\"64,0,127,1\" ccNumber=\"%d\" channel=\"1\" "
      "biDirectLink=\"kFilterCutoff,kFilterResonance,1\"/>",
      "<knobcontrol type=\"seKnob\" name=\"S%d\" paramId=\"kFilterCutoff+%d\" position=\"%d,%d\" "
      "imageId=\"KNOB_ID_127\" valueBounds=\"0,0,127,0\" sysexIndex=\"0\" changingByte=\"8\" msgZeroVal=\"%d\"/>",
      "<buttoncontrol type=\"ccButton\" name=\"B%d\" paramId=\"kFilterCutoff+%d\" position=\"%d,%d\" "
      "imageId=\"ID_SINGLELED1\" valueBounds=\"0,0,127\" ccNumber=\"%d\" channel=\"2\"/>",
      "<menucontrol type=\"seMenu\" name=\"M%d\" paramId=\"kFilterCutoff+%d\" position=\"%d,%d,60\" "
      "valueBounds=\"0,0,8\" valueDisplay=\"1:8\" sysexIndex=\"0\" changingByte=\"7\" msgZeroVal=\"%d\"/>",
      "<slidercontrol type=\"ccSliderVer\" name=\"F%d\" paramId=\"kFilterCutoff+%d\" position=\"%d,%d\" "
      "length=\"60\" imageId=\"BUTTON_VAAKA_YKS_ID\" valueBounds=\"0,0,127\" ccNumber=\"%d\" channel=\"3\"/>",
      "<radio name=\"R%d\" paramId=\"kFilterCutoff+%d\" position=\"%d,%d\" imageId=\"BUTTON_PART_SELECTOR_ID\" "
      "buttons=\"4\" color=\"%d\"/>",
  };
  std::string text = "<uiconfig>\n<valueLists><list name=\"l\"><value>a</value></list></valueLists>\n";
  char line[512];
  for (int p = 0; p < kLayoutParamCount; ++p) {
    if (p % (kLayoutParamCount / kLayers) == 0) {
      if (p) text += "</layer>\n";
      text += "<layer name=\"page" + std::to_string(p) + "\" id=\"" + std::to_string(p) + "\">\n";
    }
    std::snprintf(line, sizeof line, "<background imageId=\"BG_ID_MAIN\" position=\"%d,%d\"/>\n", p % 40, p / 40);
    text += line;
    std::snprintf(line, sizeof line, kControls[p % 6], p, p, (p % 40) * 30, (p / 40) * 30, p % 128);
    text += line;
    text += "\n";
    if (p % 2 == 0) {
      std::snprintf(line, sizeof line,
                    "<display paramId=\"kFilterCutoff+%d\" bounds=\"0,0,90,14\" displaySize=\"1,0\"/>\n", p);
      text += line;
    }
  }
  text += "</layer>\n</uiconfig>\n";
  return text;
}

const std::string& Text() {
  static const std::string text = WholePanelLayout();
  return text;
}

const std::string kSysEx =
    "<sysexlist><sysex><values><value>F0 33 10 04 20 30 40 00 F7</value></values></sysex></sysexlist>";

void BM_ReadWholePanel(benchmark::State& state) {
  const std::vector<unsigned char> layout = Enciphered(Text()), sysex = Enciphered(kSysEx);
  for (auto _ : state) {
    state.PauseTiming();
    auto plug = std::make_unique<PanelPlug>(kLayoutParamCount);
    auto* surface = new ResourceSurface(plug.get(), 64, 64);
    surface->resources[UIConfigManager::kLayoutResourceName] = layout;
    surface->resources[UIConfigManager::kSysExResourceName] = sysex;
    plug->AttachGraphics(surface);
    auto manager = std::make_unique<UIConfigManager>();
    state.ResumeTiming();
    manager->readUIConfig(surface, plug.get(), nullptr, 0, 1.0);
    state.PauseTiming();
    if (!manager->getControlAction(kLayoutParamCount - 1)) state.SkipWithError("the panel was not built");
    state.counters["controls"] = surface->NControls() + [&] {
      int n = 0;
      for (int i = 0; i < surface->NLayers(); ++i) n += surface->GetLayer(i)->NControls();
      return n;
    }();
    plug.reset();
    manager.reset();
    state.ResumeTiming();
  }
  state.counters["bytes"] = double(Text().size());
}

void BM_ParseOnly(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseLayoutText(Text()));
}

// The deciphering share of the read.
void BM_DecipherOnly(benchmark::State& state) {
  std::vector<unsigned char> buffer = Enciphered(Text());
  buffer.resize(buffer.size() + 8, 0);
  for (auto _ : state)
    benchmark::DoNotOptimize(DecipherResourceText(buffer.data(), int(buffer.size() - 8), kResourceKey));
}

}  // namespace

BENCHMARK(BM_DecipherOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWholePanel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
