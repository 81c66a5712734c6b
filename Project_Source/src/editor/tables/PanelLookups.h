#pragma once
// Everything the editor looks up in the panel the layout builds, as one list: the
// layers it shows and hides by name, the parameters whose first bound control or
// binding record it keeps, the value lists its read-out reads, the cycle buttons'
// targets and the layers it makes itself. The layout must provide each of them.
//
// threads: any (constant data).

// The layers start-up looks up (35 names).
extern const char* const kStartupLayerNames[];
extern const int kStartupLayerNameCount;

// Layers the editor makes itself; the layout must not use these names.
extern const char* const kEditorOwnLayerNames[];
extern const int kEditorOwnLayerNameCount;

// Parameters whose first bound control start-up keeps. A per-part name counts for
// each of its four slots when perPart is set.
struct KeptControl {
  const char* param;
  bool perPart;
  bool text;  // the control must be a text read-out
};
extern const KeptControl kKeptControls[];
extern const int kKeptControlCount;

// Parameters whose binding record start-up keeps.
extern const char* const kKeptActions[];
extern const int kKeptActionCount;

// Parameters the editor binds itself, not the layout.
extern const char* const kEditorBoundParams[];
extern const int kEditorBoundParamCount;

// A value list the read-out shows, and the parameter families it shows it for
// (each family with its four slots when perPart).
struct ValueListUse {
  const char* list;
  const char* params[20];  // up to the first nullptr
  bool perPart;
  // Without perPart: how many parameters from the named one on read the list.
  int singleCount = 1;
  // Read only while the NL1 model is chosen; on the others the value shows as a number.
  bool nl1Only = false;
};
extern const ValueListUse kValueListUses[];
extern const int kValueListUseCount;

// A cycle button and the parameter it steps through states 0..states-1, on models
// 1 and 2 and on model 0; states 0 marks a target stepped by its own rule.
struct CycleButton {
  const char* button;
  const char* target;
  int states;
  const char* nl1Target;
  int nl1States;
};
extern const CycleButton kCycleButtons[];
extern const int kCycleButtonCount;

// The librarian's menus the editor lays over the panel, each on a layer of its own
// named as the menu, in the order it builds them; the layout is laid out around them.
struct EditorMenu {
  int id;  // the layer's id
  const char* name;
  int left, top, right, bottom;  // layout units
  bool shown;                    // at start
};
extern const EditorMenu kEditorMenus[];
constexpr int kEditorMenuCount = 10;
