#include "editor/librarian/LibrarianPanelParts.h"

#include <atomic>

#include "editor/librarian/TavroLibrarianPanel.h"

namespace {

std::atomic<LibrarianPanelParts*> gParts{nullptr};

}  // namespace

void SetLibrarianPanelParts(LibrarianPanelParts* parts) { gParts.store(parts); }

LibrarianPanelParts* GetLibrarianPanelParts() {
  LibrarianPanelParts* installed = gParts.load();
  return installed ? installed : TavroLibrarianPanelParts();
}
