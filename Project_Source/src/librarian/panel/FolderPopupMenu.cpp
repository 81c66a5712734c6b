#include "librarian/panel/FolderPopupMenu.h"

#include "Framework/IPopupMenu.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/LibrarianPanelEditor.h"
#include "librarian/panel/LibrarianViewControl.h"

std::string FolderKeyOf(const PatchFile& file) {
  return file.folderChain.empty() ? file.folderName : folderKeyOfChain(file.folderChain);
}

FolderPopupMenu::FolderPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor,
                                 Kind kind)
    : LibrarianMenuControl(plug, librarian, rect, editor), kind_(kind) {
  refreshFolderStructure(0, editor_->getCurrentFile(pane(), performance()));
}

FolderPopupMenu::~FolderPopupMenu() = default;

int FolderPopupMenu::pane() const { return kind_ == Kind::LeftPrograms || kind_ == Kind::LeftPerformances ? 0 : 1; }

bool FolderPopupMenu::performance() const {
  return kind_ == Kind::LeftPerformances || kind_ == Kind::RightPerformances;
}

int FolderPopupMenu::selectionParameter() const {
  return pane() == 0 ? TavroParam::kPatchSelectionListUpper : TavroParam::kPatchSelectionListLower;
}

const PatchFileList& FolderPopupMenu::files(const PatchLibrary& library) const {
  if (kind_ == Kind::RightSearch) return library.searchFiles;
  return library.filesOfType(performance() ? 1 : 0);
}

const FolderTree& FolderPopupMenu::tree(const PatchLibrary& library) const {
  if (kind_ == Kind::RightSearch) return library.searchTree;
  return performance() ? library.performanceTree : library.programTree;
}

FolderPopupMenu::BuiltMenu& FolderPopupMenu::newMenu() {
  menus_.push_back(BuiltMenu{std::make_unique<IPopupMenu>(), {}});
  return menus_.back();
}

void FolderPopupMenu::addSubMenu(BuiltMenu& parent, const std::string& name, const BuiltMenu& sub) {
  parent.menu->AddItem(name.c_str(), sub.menu.get());
  parent.items.push_back(FileId{});
}

namespace {

// The bank's name with the folders between the tree's deepest level and the bank.
std::string PathBelowTree(const PatchFile& bank) {
  std::string path;
  for (size_t level = kFolderTreeLevels; level < bank.folderChain.size(); ++level)
    path += bank.folderChain[level] + "/";
  return path + bank.fileName;
}

}  // namespace

void FolderPopupMenu::addFiles(BuiltMenu& menu, const std::vector<PatchFile*>& banks) {
  // Banks deeper than the tree share its deepest folder's menu: where two names would
  // read the same, each shows the folders below that menu too.
  std::map<std::string, int> named;
  for (const PatchFile* bank : banks) ++named[bank->fileName];
  for (const PatchFile* bank : banks) {
    const auto found = positions_.find(bank);
    menu.menu->AddItem((named[bank->fileName] > 1 ? PathBelowTree(*bank) : bank->fileName).c_str());
    menu.items.push_back(
        FileId{found == positions_.end() ? -1 : found->second, bank->fileName, FolderKeyOf(*bank), walked_++});
  }
}

bool FolderPopupMenu::refreshFolderStructure(int index, const CurrentFilePair& pair) {
  // The last refresh's menus, sub-menus included, go with it.
  menus_.clear();
  BuiltMenu& top = newMenu();
  int selected = -1;
  librarian_->inspect([&](const PatchLibrary& library) {
    const PatchFileList& list = files(library);
    positions_.clear();
    walked_ = 0;
    for (size_t i = 0; i < list.size(); ++i) positions_.emplace(list[i].get(), int(i));
    for (const auto& root : tree(library)) {
      if (kind_ != Kind::RightSearch) {
        for (const SubFolderFiles& sub : root->subFolders) {
          BuiltMenu& second = newMenu();
          for (const SubFolderFiles2& subSub : sub.subFolders) {
            BuiltMenu& third = newMenu();
            addFiles(third, subSub.files);
            addSubMenu(second, subSub.name, third);
          }
          addFiles(second, sub.files);
          addSubMenu(top, sub.name, second);
        }
      }
      addFiles(top, root->files);
    }
    positions_.clear();
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i]->fileName == pair.fileName && FolderKeyOf(*list[i]) == pair.folderName) selected = int(i);
  });
  if (selected >= 0) {
    writeParameter(selectionParameter(), selected);
    setPaneIndex(selected);
    checkMenuItemAlone(selected);
    return true;
  }
  // The pair names no bank: the bank at walk position `index` keeps the tick.
  for (BuiltMenu& menu : menus_)
    for (size_t j = 0; j < menu.items.size(); ++j)
      if (menu.items[j].walkPosition == index) menu.menu->CheckItemAlone(int(j));
  return true;
}

void FolderPopupMenu::checkMenuItemAlone(int fileIndex) {
  for (BuiltMenu& menu : menus_) {
    menu.menu->CheckItemAlone(-1);
    for (size_t j = 0; j < menu.items.size(); ++j)
      if (fileIndex >= 0 && menu.items[j].listIndex == fileIndex) menu.menu->CheckItemAlone(int(j));
  }
}

int FolderPopupMenu::findInList(const FileId& id) const {
  int found = -1;
  librarian_->inspect([&](const PatchLibrary& library) {
    const PatchFileList& list = files(library);
    auto same = [&](int i) { return list[i]->fileName == id.name && FolderKeyOf(*list[i]) == id.folder; };
    if (id.listIndex >= 0 && id.listIndex < int(list.size()) && same(id.listIndex)) {
      found = id.listIndex;
      return;
    }
    for (int i = 0; i < int(list.size()) && found < 0; ++i)
      if (same(i)) found = i;
  });
  return found;
}

int FolderPopupMenu::doPopupMenu(int& index) {
  IPopupMenu* chosen = popUp(*topMenu(), mRECT);
  if (!chosen) return 0;
  const int item = chosen->GetChosenItemIdx();
  for (BuiltMenu& menu : menus_) {
    menu.menu->CheckItemAlone(-1);
    if (menu.menu.get() != chosen || item < 0 || item >= int(menu.items.size())) continue;
    const FileId& id = menu.items[item];
    if (id.listIndex < 0) continue;
    menu.menu->CheckItemAlone(item);
    const int found = findInList(id);
    if (found >= 0) index = found;
    editor_->setCurrentFile(pane(), performance(), CurrentFilePair{id.name, id.folder});
  }
  return index;
}

void FolderPopupMenu::setPaneIndex(int index) {
  (pane() == 0 ? librarian_->upperFileIndex : librarian_->lowerFileIndex) = index;
}

void FolderPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  // Another upper bank would leave the unsaved changes, and a Save would write it.
  if (pane() == 0 && !editor_->mayChangeShownBank(false)) return;
  int index = pane() == 0 ? librarian_->upperFileIndex.load() : librarian_->lowerFileIndex.load();
  doPopupMenu(index);
  writeParameter(selectionParameter(), index);
  setPaneIndex(index);
  if (LibrarianViewControl* view = editor_->librarianView()) {
    view->SetRedrawRequested(true);
    if (pane() == 0)
      view->patchSelectionUpperChanged();
    else
      view->patchSelectionLowerChanged();
  }
  if (pane() == 0) {
    editor_->updateBankAndProgramMenuNames(false);
    noticeLeftBank();
  }
  redrawSelf();
}

void FolderPopupMenu::noticeLeftBank() {
  const std::string notice = librarian_->paneNotice(false);
  if (!notice.empty()) editor_->setStatusText(notice);
}
