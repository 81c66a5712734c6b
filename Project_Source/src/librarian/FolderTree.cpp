// The folder trees the folder menus are built from: up to three levels under the
// scanned root. A record goes into every folder entry of its chain the tree already
// holds; a folder the tree cannot hold it in yet gets a root entry of its own.

#include "librarian/LibrarianRecords.h"

#include <algorithm>

namespace {

// A root entry holding the record where its chain of `depth` names puts it.
std::unique_ptr<FolderFiles> CandidateEntry(const std::vector<std::string>& chain, size_t depth, PatchFile* record) {
  auto entry = std::make_unique<FolderFiles>();
  if (depth == 1) {
    entry->name = chain[0];
    entry->files.push_back(record);
  } else if (depth == 2) {
    entry->subFolders.push_back(SubFolderFiles{chain[1], {}, {record}});
  } else if (depth == 3) {
    entry->subFolders.push_back(SubFolderFiles{chain[1], {SubFolderFiles2{chain[2], {record}}}, {}});
  }
  return entry;
}

// Appends the record to every entry of the tree that matches its chain; false when none did.
bool JoinEntries(FolderTree& tree, const std::vector<std::string>& chain, size_t depth, PatchFile* record) {
  bool found = false;
  for (auto& root : tree) {
    if (depth == 1 && root->name == chain[0]) {
      root->files.push_back(record);
      found = true;
    }
    for (SubFolderFiles& sub : root->subFolders) {
      if (depth < 2 || sub.name != chain[1]) continue;
      if (depth == 2) {
        sub.files.push_back(record);
        found = true;
      } else if (sub.subFolders.empty()) {
        sub.subFolders.push_back(SubFolderFiles2{chain[2], {record}});
        found = true;
      } else {
        for (SubFolderFiles2& subSub : sub.subFolders) {
          if (subSub.name != chain[2]) continue;
          subSub.files.push_back(record);
          found = true;
        }
      }
    }
  }
  return found;
}

void PlaceInTree(FolderTree& tree, PatchFile* record) {
  const std::vector<std::string>& chain = record->folderChain;
  if (chain.empty()) return;
  // A file deeper than the tree goes into its third-level folder: placed nowhere, no
  // menu would offer it.
  const size_t depth = std::min(chain.size(), kFolderTreeLevels);
  if (!tree.empty() && JoinEntries(tree, chain, depth, record)) return;
  tree.push_back(CandidateEntry(chain, depth, record));
}

}  // namespace

void PatchLibrary::createSingleFolderFilesStructure(PatchFile* record) { PlaceInTree(programTree, record); }

void PatchLibrary::createMultiFolderFilesStructure(PatchFile* record) { PlaceInTree(performanceTree, record); }

void PatchLibrary::clearDataStructures(int code) {
  if (code == 0) programTree.clear();
  if (code == 1) performanceTree.clear();
  if (code == 3) searchTree.clear();
}
