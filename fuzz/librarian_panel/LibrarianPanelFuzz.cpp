// Libraries built from outside bytes (any-byte names, folder chains to depth 5,
// duplicates): every listed program bank is reachable by exactly one item of the
// left folder menu, choosing it selects it, and search equals the plain reference.

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>

#include "PanelFakes.h"
#include "SearchReference.h"
#include "librarian/panel/FolderPopupMenu.h"
#include "librarian/panel/PatchSearch.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

class Bytes {
public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int next() { return at_ < size_ ? data_[at_++] : 0; }
  bool more() const { return at_ < size_; }
  std::string text(int maxLength) {
    std::string out;
    for (int n = next() % (maxLength + 1); n > 0 && more(); --n) out += char(next());
    return out;
  }

private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Every leaf item of the menu tree, as the index path that chooses it.
void Leaves(IPopupMenu& menu, std::vector<int> prefix, std::vector<std::vector<int>>* out) {
  for (int i = 0; i < menu.GetNItems(); ++i) {
    std::vector<int> path = prefix;
    path.push_back(i);
    if (IPopupMenu* sub = menu.GetItem(i)->GetSubmenu())
      Leaves(*sub, path, out);
    else
      out->push_back(path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static PanelRig rig;
  Bytes bytes(data, size);
  const std::string searchText = bytes.text(3);
  std::vector<std::unique_ptr<PatchFile>> banks;
  for (int files = bytes.next() % 24; files > 0 && bytes.more(); --files) {
    std::vector<std::string> chain{"Patches"};
    for (int depth = bytes.next() % 5; depth > 0; --depth) chain.push_back(bytes.text(4));
    std::vector<std::string> names;
    for (int n = bytes.next() % 120; n > 0; --n) names.push_back(bytes.text(12));
    banks.push_back(Bank(bytes.text(6), chain, names));
  }
  // In the order a scan lists them: folders by path, the root's own banks last. A
  // folder met again after its sub-folders holds the next ones in a tree entry of its
  // own; no scan meets a folder's own banks after that.
  std::stable_sort(banks.begin(), banks.end(), [](const auto& a, const auto& b) {
    const bool aRoot = a->folderChain.size() == 1, bRoot = b->folderChain.size() == 1;
    if (aRoot != bRoot) return bRoot;
    return folderKeyOfChain(a->folderChain) < folderKeyOfChain(b->folderChain);
  });
  const int count = int(banks.size());
  rig.librarian.modify([](PatchLibrary& library) { library = PatchLibrary(); });
  AddBanks(rig.librarian, std::move(banks));

  LeftPatchPopupMenu menu(&rig.editor, &rig.librarian, IRECT(415, 45, 830, 65), &rig.editor);
  std::vector<std::vector<int>> leaves;
  Leaves(*menu.topMenu(), {}, &leaves);
  Check(int(leaves.size()) == count);
  std::set<int> chosen;
  for (const std::vector<int>& path : leaves) {
    rig.librarian.upperFileIndex = -1;
    rig.editor.surface->paths.push_back(path);
    IMouseMod left(true);
    menu.OnMouseDown(0, 0, &left);
    const int index = rig.librarian.upperFileIndex;
    Check(index >= 0 && index < count && chosen.insert(index).second);
    std::string firstName;
    rig.librarian.inspect([&](const PatchLibrary& library) {
      if (!library.programFiles[index]->patches.empty()) firstName = library.programFiles[index]->patches[0].name;
    });
    Check(rig.editor.view->row(0, 0)->GetTextString() == firstName.c_str());
  }
  rig.editor.surface->shown.clear();
  rig.editor.takeCalls();

  rig.librarian.inspect([&](const PatchLibrary& library) {
    Check(ResultNames(collectSearchBanks(library.programFiles, searchText)) ==
          ReferenceSearch(library.programFiles, searchText));
  });
  return 0;
}
