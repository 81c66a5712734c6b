// tavro-snapshots: pictures of every page of the panel for each model and of each
// window, at panel sizes small, normal and large, read from the built bundle.
//
//   tavro-snapshots BUNDLE_DIR OUT_DIR

#include <sys/stat.h>

#include <cstdio>

#include "PanelSnapshots.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tavro-snapshots BUNDLE_DIR OUT_DIR\n");
    return 2;
  }
  mkdir(argv[2], 0755);
  int written = 0;
  try {
    for (const auto& [scale, size] :
         {std::pair<double, const char*>{0.75, "small"}, {1.0, "normal"}, {1.25, "large"}}) {
      LintPanel panel(argv[1], scale);
      for (const PanelView& view : PanelViews()) {
        const std::string path = std::string(argv[2]) + "/" + view.name + "-" + size + ".png";
        if (!SnapshotPanel(panel, view, path)) {
          std::fprintf(stderr, "tavro-snapshots: %s cannot be written\n", path.c_str());
          return 1;
        }
        ++written;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavro-snapshots: %s\n", e.what());
    return 2;
  }
  std::printf("tavro-snapshots: %d pictures in %s\n", written, argv[2]);
  return 0;
}
