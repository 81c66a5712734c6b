#pragma once
// A bundle made from the built resources: the build's images and the assembled
// layout and SysEx texts, each changed as a test asks, enciphered as the builder does.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CipherBlocks.h"
#include "RemoveTree.h"
#include "ResourceKey.h"

inline std::string BuiltBundle() { return std::string(TAVRO_BINARY_DIR) + "/Tavro.component"; }
inline std::string PlainResources() { return std::string(TAVRO_BINARY_DIR) + "/resources-plain"; }
inline std::string ResourceSources() { return std::string(TAVRO_SOURCE_DIR) + "/resources"; }

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    }
    closedir(d);
  }
  return names;
}

class TempBundle {
public:
  // withImages false leaves the images out.
  TempBundle(const std::string& layout, const std::string& sysex, bool withImages = true) {
    static std::atomic<int> serial{0};
    const std::string tag = std::to_string(getpid()) + "_" + std::to_string(serial++);
    root_ = "/tmp/lint_bundle_" + tag + ".component";
    mkdir(root_.c_str(), 0755);
    mkdir((root_ + "/Resources").c_str(), 0755);
    std::ofstream(root_ + "/Info.plist") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                         << "<key>CFBundleIdentifier</key><string>com.Orvane.linttest." << tag
                                         << "</string>"
                                         << "<key>CFBundleExecutable</key><string>Tavro.so</string></dict></plist>\n";
    const std::string built = BuiltBundle() + "/Resources/";
    for (const std::string& name : withImages ? FilesIn(built) : std::vector<std::string>()) {
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) {
        symlink((built + name).c_str(), (root_ + "/Resources/" + name).c_str());
      }
    }
    Write("uiconfig.tea", layout);
    Write("sysex.tea", sysex);
  }
  ~TempBundle() { RemoveTree(root_); }
  const std::string& path() const { return root_; }

private:
  void Write(const std::string& name, const std::string& text) const {
    std::vector<unsigned char> bytes = EncipherPadded({text.begin(), text.end()}, kResourceKey);
    std::ofstream(root_ + "/Resources/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::string root_;
};
