// tavro-resources: builds the bundle's panel resources from the readable sources in
// resources/: the layout and SysEx-value texts enciphered under the program's key,
// and the panel images drawn with the rasteriser.
//
//   tavro-resources SOURCE_DIR RESOURCES_DIR [PLAIN_DIR [CORPORA_DIR]]
//
// PLAIN_DIR, when given, receives the assembled layout text as the bundle holds it
// deciphered, so the line numbers of the reader's messages can be looked up, and
// labels.tsv, where each name drawn onto the backgrounds lands, and texts.tsv, every
// text drawn into an image with its field;
// CORPORA_DIR the seeds of the layout reader's fuzz targets.

#include <cstdio>
#include <fstream>
#include <vector>

#include "CipherBlocks.h"
#include "FuzzCorpora.h"
#include "ImagePainter.h"
#include "LayoutAssembler.h"
#include "ResourceKey.h"

namespace {

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw SourceError(path + ": cannot be written");
}

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: tavro-resources SOURCE_DIR RESOURCES_DIR [PLAIN_DIR [CORPORA_DIR]]\n");
    return 2;
  }
  const std::string sourceDir = argv[1];
  const std::string outDir = argv[2];
  try {
    PanelSources sources(sourceDir);
    std::string layout = AssembleLayout(sources);
    const std::vector<PanelLabel> labels = TakeLabels(&layout, ReadImageSizes(sourceDir));
    const std::string sysex = ReadTextFile(sourceDir + "/sysex.xml");
    const std::vector<unsigned char> layoutCipher = EncipherPadded(Bytes(layout), kResourceKey);
    const std::vector<unsigned char> sysexCipher = EncipherPadded(Bytes(sysex), kResourceKey);
    WriteFile(outDir + "/uiconfig.tea", layoutCipher);
    WriteFile(outDir + "/sysex.tea", sysexCipher);
    if (argc == 5) WriteFuzzCorpora(argv[4], layout, sysex, layoutCipher, sysexCipher);
    std::vector<DrawnText> texts;
    int images = PaintImages(sourceDir, outDir, labels, &texts);
    if (argc >= 4) {
      WriteFile(std::string(argv[3]) + "/uiconfig.xml", Bytes(layout));
      WriteFile(std::string(argv[3]) + "/sysex.xml", Bytes(sysex));
      WriteFile(std::string(argv[3]) + "/labels.tsv", Bytes(LabelTable(labels)));
      WriteFile(std::string(argv[3]) + "/texts.tsv", Bytes(DrawnTextTable(texts)));
    }
    std::printf("tavro-resources: layout %zu bytes, SysEx values %zu bytes, %d images\n", layout.size(), sysex.size(),
                images);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavro-resources: %s\n", e.what());
    return 1;
  }
  return 0;
}
