#include "LibrarianPanelParts.h"

#include <atomic>

#include "TavroLibrarianPanel.h"

namespace {

std::atomic<LibrarianPanelParts*> gParts{nullptr};

}  // namespace

void SetLibrarianPanelParts(LibrarianPanelParts* parts) { gParts.store(parts); }

LibrarianPanelParts* GetLibrarianPanelParts() {
  LibrarianPanelParts* installed = gParts.load();
  return installed ? installed : TavroLibrarianPanelParts();
}
