#pragma once
// Panel scripts: the test host drives the plug-in's headless panel line by line.
// Positions are layout units of a 1500-pixel-wide layout, scaled to the panel.
//
//   click X Y                 a left click
//   double-click X Y          a left click, then a double click there
//   right-click X Y           a right click (a context menu; "choose" picks its item)
//   move X Y                  the pointer to X Y, no button down (keys go to the control
//                             under the pointer)
//   drag X Y DX DY [shift]    press at X Y, drag by DX DY, release
//   wheel X Y D               D lines of the mouse wheel (positive scrolls up)
//   key NAME                  return, enter, escape, tab, space, backspace, delete,
//                             left, right, up, down, home, end, select-all
//                             (Control-A), or one character
//   type TEXT                 the rest of the line, character by character
//   choose TEXT               the next popup chooses the item of that title
//                             ("parent/child" in a submenu); a menu without it fails
//                             the line that opened it, naming the titles it offers
//   answer LABEL              the next message box is answered with its button of that
//                             label (Yes, No, Cancel, Replace, ...; any case); a box
//                             without it fails the line that showed it, naming its buttons
//   render N                  N blocks on the render thread
//   wait MS                   MS milliseconds of real time (the plug-in's threads and
//                             the outside world move on), then the panel settles
//   play, stop                the host transport runs or stops from the next block
//   tempo BPM                 the host's tempo from the next block (0: it reports none)
//   midi S D1 [D2]            host MIDI (hex bytes) through the unit's MIDI event call
//   print-param I             prints "param I = V"
//   expect-param I V          fails unless parameter I is V (to 1e-6)
//   wait-param I V MS         waits up to MS milliseconds of real time for parameter I
//                             to be V, settling the panel meanwhile; fails if it is not
//   wait-idle MS              waits up to MS milliseconds of real time until no transfer
//                             with the synthesizer runs, settling the panel meanwhile;
//                             fails if one still does
//   snapshot FILE             a PNG of the panel
//   print-text X Y            prints "text X Y = "T"", T the text the panel shows there
//   wait-text X Y MS T        real time until the panel shows the text T (the rest of the
//                             line) at X Y; prints each text shown there with its time
//                             since the command began; fails after MS milliseconds
//   save-path PATH            the next file prompt answers PATH (the rest of the line)
//   wait-file MS PATH         real time, settling the panel, until a file PATH (the rest
//                             of the line) exists; fails after MS milliseconds
// Empty lines and lines starting with "#" are skipped. The first failing line ends
// the script; so does a choose or answer still unused at its end. A message box with
// no answer scripted is dismissed: nobody answered.
// threads: main

#include <functional>
#include <string>

#include "AudioUnitAPI.h"

class HeadlessViewBackend;
class HostClock;

struct HostScriptTarget {
  HeadlessViewBackend* panel = nullptr;
  AudioUnit unit = nullptr;
  // Renders that many blocks; false after a render error.
  std::function<bool(long blocks)> render;
  HostClock* clock = nullptr;
};

// False with `error` naming the file, line and reason on the first failure.
bool RunHostScript(const std::string& path, HostScriptTarget& target, std::string& error);
