// Bank-list texts of any names (one per line): one text a name, each within the
// display entry, short names unchanged.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "editor/librarian/BankListTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> names;
  for (std::string name; std::getline(in, name);) names.push_back(name);
  const std::vector<std::string> texts = BankListTexts(names);
  if (texts.size() != names.size()) std::abort();
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].size() > kBankListTextLength) std::abort();
    if (names[i].size() <= kBankListNameLength && texts[i] != names[i]) std::abort();
    if (names[i].size() > kBankListNameLength &&
        texts[i].compare(0, kBankListNameLength + 1, names[i].substr(0, kBankListNameLength) + "~") != 0)
      std::abort();
  }
  return 0;
}
