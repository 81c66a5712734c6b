#include "FuzzCorpora.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "Tsv.h"

namespace {

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw SourceError(path + ": cannot be written");
}

std::string Folder(const std::string& dir, const std::string& target) {
  mkdir(dir.c_str(), 0755);
  const std::string folder = dir + "/" + target;
  mkdir(folder.c_str(), 0755);
  return folder;
}

// The elements one level inside "uiconfig": each starts on a line indented by two
// blanks, the way the layout is written.
std::vector<std::string> TopLevelParts(const std::string& layout) {
  std::vector<std::string> parts;
  std::istringstream in(layout);
  std::string line, part;
  while (std::getline(in, line)) {
    bool starts = line.compare(0, 3, "  <") == 0 && line.compare(0, 4, "  </") != 0;
    if (starts && !part.empty()) {
      parts.push_back(part);
      part.clear();
    }
    if (line.compare(0, 2, "  ") == 0) part += line + "\n";
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

void WriteFuzzCorpora(const std::string& dir, const std::string& layout, const std::string& sysex,
                      const std::vector<unsigned char>& layoutCipher, const std::vector<unsigned char>& sysexCipher) {
  const std::string walk = Folder(dir, "layout_walk_fuzz");
  Write(walk + "/whole.xml", layout);
  std::vector<std::string> parts = TopLevelParts(layout);
  for (size_t i = 0; i < parts.size(); ++i) {
    Write(walk + "/part" + std::to_string(i) + ".xml", "<uiconfig>\n" + parts[i] + "</uiconfig>\n");
  }
  // Factory arguments: type, x, y, default, minimum, maximum, template, changing
  // byte, offset, copies, spare; the SysEx text follows.
  const std::string values = Folder(dir, "layout_sysex_fuzz");
  for (int type = 0; type < 5; ++type) {
    const unsigned char args[16] = {static_cast<unsigned char>(type),
                                    0,
                                    10,
                                    0,
                                    20,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    1,
                                    static_cast<unsigned char>(type * 4),
                                    8,
                                    0,
                                    static_cast<unsigned char>(type % 2),
                                    0};
    Write(values + "/type" + std::to_string(type), std::string(args, args + 16) + sysex);
  }
  const std::string cipher = Folder(dir, "layout_cipher_fuzz");
  Write(cipher + "/uiconfig", "\x01" + std::string(layoutCipher.begin(), layoutCipher.end()));
  Write(cipher + "/sysex", std::string(1, '\0') + std::string(sysexCipher.begin(), sysexCipher.end()));
}
