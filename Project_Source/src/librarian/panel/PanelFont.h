#pragma once
// The face every text of the panel is drawn in: the layout's captions, read-outs and
// menus, and the librarian's rows (the Windows-API layer maps it to a face Debian has).

constexpr const char* kPanelFont = "NK57 Monospace";
