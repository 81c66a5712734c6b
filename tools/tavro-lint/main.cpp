// tavro-lint: reads the built bundle through the layout reader at the three panel
// sizes and checks the authored resources against what the editor, the dumps and
// the synthesizer rely on. Each finding names the resource line and element.
//
//   tavro-lint BUNDLE_DIR SOURCE_DIR [LABELS]
//
// SOURCE_DIR is the resources/ folder (for the control-change map and the images'
// own texts); LABELS the builder's labels.tsv, where each name it drew lands, for
// the checks of names, with its texts.tsv beside it, every text it drew and the
// field it has, for the checks of texts. Exit status 1 when anything is found.

#include <cstdio>

#include "LayoutLint.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: tavro-lint BUNDLE_DIR SOURCE_DIR [LABELS]\n");
    return 2;
  }
  try {
    LintSources sources = LoadLintSources(argv[2], argc == 4 ? argv[3] : "");
    int found = 0;
    for (double scale : {0.75, 1.0, 1.25}) {
      LintPanel panel(argv[1], scale);
      for (const LintFinding& f : LintLayout(panel, sources)) {
        std::printf("%s\n", FormatFinding(f, scale).c_str());
        ++found;
      }
    }
    std::printf("tavro-lint: %d finding%s\n", found, found == 1 ? "" : "s");
    return found == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavro-lint: %s\n", e.what());
    return 2;
  }
}
