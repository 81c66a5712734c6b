// The folder trees the folder menus are built from: up to three levels under the
// scanned root, each folder entered once whatever order its files arrive in.

#include "librarian/LibrarianRecords.h"

#include <algorithm>

namespace {

constexpr size_t kTreeLevels = 3;

template <typename Folder>
Folder* Find(std::vector<Folder>& folders, const std::string& name) {
  auto found = std::find_if(folders.begin(), folders.end(), [&](const Folder& f) { return f.name == name; });
  return found == folders.end() ? nullptr : &*found;
}

SubFolderFiles* FindSubFolder(FolderTree& tree, const std::string& name) {
  for (auto& root : tree) {
    if (SubFolderFiles* sub = Find(root->subFolders, name)) return sub;
  }
  return nullptr;
}

// Files deeper than the tree go into their third-level folder.
void Place(FolderTree& tree, PatchFile* record) {
  const std::vector<std::string>& chain = record->folderChain;
  const size_t depth = std::min(chain.size(), kTreeLevels);
  if (depth == 0) return;
  if (depth == 1) {
    for (auto& root : tree) {
      if (root->name == chain[0]) {
        root->files.push_back(record);
        return;
      }
    }
    tree.push_back(std::make_unique<FolderFiles>());
    tree.back()->name = chain[0];
    tree.back()->files.push_back(record);
    return;
  }
  SubFolderFiles* sub = FindSubFolder(tree, chain[1]);
  if (!sub) {
    tree.push_back(std::make_unique<FolderFiles>());
    tree.back()->subFolders.push_back(SubFolderFiles{chain[1], {}, {}});
    sub = &tree.back()->subFolders.back();
  }
  if (depth == 2) {
    sub->files.push_back(record);
    return;
  }
  SubFolderFiles2* subSub = Find(sub->subFolders, chain[2]);
  if (!subSub) {
    sub->subFolders.push_back(SubFolderFiles2{chain[2], {}});
    subSub = &sub->subFolders.back();
  }
  subSub->files.push_back(record);
}

}  // namespace

void PatchLibrary::createSingleFolderFilesStructure(PatchFile* record) { Place(programTree, record); }

void PatchLibrary::createMultiFolderFilesStructure(PatchFile* record) { Place(performanceTree, record); }

void PatchLibrary::clearDataStructures(int code) {
  if (code == 0) programTree.clear();
  if (code == 1) performanceTree.clear();
  if (code == 3) searchTree.clear();
}
