#include "editor/librarian/BankListTexts.h"

#include "Kit_AsciiCase.h"
#include "Kit_Utf8.h"

namespace {

std::string LowerExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return Kit_AsciiLower(dot == std::string::npos ? name : name.substr(dot + 1));
}

}  // namespace

std::vector<std::string> BankListTexts(
    const std::vector<std::string>& fileNames,
    const std::function<void(const std::string& fileName, const std::string& text)>& shortened) {
  std::vector<std::string> texts;
  texts.reserve(fileNames.size());
  std::string previousStem;
  int running = 0;
  for (const std::string& name : fileNames) {
    if (name.size() <= kBankListNameLength) {
      texts.push_back(name);
      continue;
    }
    // Cut before a letter that would not fit whole: half a letter is no text.
    const std::string stem = name.substr(0, Kit_Utf8CutLength(name.data(), name.size(), kBankListNameLength));
    running = stem == previousStem ? running + 1 : 1;
    previousStem = stem;
    std::string text = stem + "~" + std::to_string(running) + "." + LowerExtension(name);
    // A long extension (or none) would overrun the display entry.
    text.resize(Kit_Utf8CutLength(text.data(), text.size(), kBankListTextLength));
    if (shortened) shortened(name, text);
    texts.push_back(text);
  }
  return texts;
}
