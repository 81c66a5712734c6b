#include "LibrarianPanelParts.h"

#include <atomic>

namespace {

std::atomic<LibrarianPanelParts*> gParts{nullptr};

}  // namespace

void SetLibrarianPanelParts(LibrarianPanelParts* parts) { gParts.store(parts); }

LibrarianPanelParts* GetLibrarianPanelParts() { return gParts.load(); }
