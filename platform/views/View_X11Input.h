#pragma once
// How the X11 back end reads the server's input: modifier state, buttons (4 and 5
// are the wheel, 6 and 7 the horizontal wheel) and key symbols into the Mac key
// codes and characters the views expect.

#include <optional>
#include <string>

#include "views/View_Events.h"

// Shift, Control and Alt (Mod1) become Shift, Control and Option; nothing gives Command.
ViewModifiers X11Modifiers(unsigned int state);

enum class X11ButtonKind { Left, Middle, Right, Wheel, Unknown };
X11ButtonKind X11ClassifyButton(unsigned int button);

ViewMouseButton X11MouseButton(unsigned int button);

// The wheel event of a wheel button press (one line per press); none for other buttons.
std::optional<ViewWheelEvent> X11WheelEvent(unsigned int button, int x, int y, unsigned int state);

// A key press: `keysym` as looked up, `typed` the Latin-1 characters it produced.
// None for keys that make no character and have no code the views know (modifier
// keys alone, for example).
std::optional<ViewKeyEvent> X11KeyEvent(unsigned long keysym, const std::string& typed, unsigned int state);
