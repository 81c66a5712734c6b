#include "HostScript.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "HostClock.h"
#include "HostSignals.h"
#include "ScriptLines.h"
#include "views/View_Headless.h"

namespace {

constexpr double kLayoutWidth = 1500.0;
constexpr double kParamTolerance = 1e-6;

struct Line {
  std::istringstream words;
  std::string rest;  // everything after the command word
  double scale;
};

using Command = bool (*)(Line& line, HostScriptTarget& target, std::string& error);

bool Numbers(Line& line, std::initializer_list<double*> out, std::string& error) {
  for (double* v : out)
    if (!(line.words >> *v)) {
      error = "expects " + std::to_string(out.size()) + " numbers";
      return false;
    }
  return true;
}

void Settle(HostScriptTarget& target) { target.panel->Tick(); }

bool Click(Line& line, HostScriptTarget& target, std::string& error) {
  double x = 0, y = 0;
  if (!Numbers(line, {&x, &y}, error)) return false;
  target.panel->Click(x * line.scale, y * line.scale);
  Settle(target);
  return true;
}

// A press and release, then the second of a double click at the same place.
bool DoubleClick(Line& line, HostScriptTarget& target, std::string& error) {
  double x = 0, y = 0;
  if (!Numbers(line, {&x, &y}, error)) return false;
  target.panel->Click(x * line.scale, y * line.scale);
  target.panel->Click(x * line.scale, y * line.scale, ViewMouseButton::Left, {}, 2);
  Settle(target);
  return true;
}

// A press and release of the right button: a context menu ("choose" picks its item).
bool RightClick(Line& line, HostScriptTarget& target, std::string& error) {
  double x = 0, y = 0;
  if (!Numbers(line, {&x, &y}, error)) return false;
  target.panel->Click(x * line.scale, y * line.scale, ViewMouseButton::Right);
  Settle(target);
  return true;
}

// The pointer comes to rest over the point, no button pressed: the panel's keys go
// to the control under it.
bool Move(Line& line, HostScriptTarget& target, std::string& error) {
  double x = 0, y = 0;
  if (!Numbers(line, {&x, &y}, error)) return false;
  ViewMouseEvent e;
  e.action = ViewMouseAction::Move;
  e.x = x * line.scale;
  e.y = y * line.scale;
  target.panel->InjectMouse(e);
  Settle(target);
  return true;
}

bool Drag(Line& line, HostScriptTarget& target, std::string& error) {
  double x = 0, y = 0, dx = 0, dy = 0;
  if (!Numbers(line, {&x, &y, &dx, &dy}, error)) return false;
  std::string modifier;
  line.words >> modifier;
  ViewMouseEvent e;
  e.mods.shift = modifier == "shift";
  e.x = x * line.scale;
  e.y = y * line.scale;
  target.panel->InjectMouse(e);
  e.action = ViewMouseAction::Drag;
  e.x = (x + dx) * line.scale;
  e.y = (y + dy) * line.scale;
  target.panel->InjectMouse(e);
  e.action = ViewMouseAction::Up;
  target.panel->InjectMouse(e);
  Settle(target);
  return true;
}

bool Wheel(Line& line, HostScriptTarget& target, std::string& error) {
  double x = 0, y = 0, d = 0;
  if (!Numbers(line, {&x, &y, &d}, error)) return false;
  ViewWheelEvent e;
  e.x = x * line.scale;
  e.y = y * line.scale;
  e.deltaY = d;
  target.panel->InjectWheel(e);
  Settle(target);
  return true;
}

bool Key(Line& line, HostScriptTarget& target, std::string& error) {
  static const std::map<std::string, std::pair<int, const char*>> kKeys = {{"return", {kViewKeyReturn, "\r"}},
                                                                           {"enter", {kViewKeyEnter, "\r"}},
                                                                           {"escape", {kViewKeyEscape, ""}},
                                                                           {"tab", {kViewKeyTab, "\t"}},
                                                                           {"space", {kViewKeySpace, " "}},
                                                                           {"backspace", {kViewKeyBackspace, ""}},
                                                                           {"delete", {kViewKeyForwardDelete, ""}},
                                                                           {"left", {kViewKeyLeft, ""}},
                                                                           {"right", {kViewKeyRight, ""}},
                                                                           {"up", {kViewKeyUp, ""}},
                                                                           {"down", {kViewKeyDown, ""}},
                                                                           {"home", {kViewKeyHome, ""}},
                                                                           {"end", {kViewKeyEnd, ""}}};
  std::string name;
  line.words >> name;
  ViewKeyEvent key;
  auto it = kKeys.find(name);
  if (it != kKeys.end()) {
    key.keyCode = it->second.first;
    key.characters = it->second.second;
  } else if (name.size() == 1) {
    key.characters = name;
  } else if (name == "select-all") {
    key.characters = "a";
    key.mods.control = true;
  } else {
    error = "unknown key '" + name + "'";
    return false;
  }
  target.panel->InjectKey(key);
  Settle(target);
  return true;
}

bool Type(Line& line, HostScriptTarget& target, std::string&) {
  target.panel->TypeText(line.rest);
  Settle(target);
  return true;
}

bool Choose(Line& line, HostScriptTarget& target, std::string& error) {
  if (line.rest.empty()) {
    error = "expects an item title";
    return false;
  }
  target.panel->ScriptPopupChoiceText(line.rest);
  return true;
}

// The next message box is answered with its button of that label.
bool Answer(Line& line, HostScriptTarget& target, std::string& error) {
  if (line.rest.empty()) {
    error = "expects a button label";
    return false;
  }
  target.panel->ScriptMessageBoxAnswerText(line.rest);
  return true;
}

bool Render(Line& line, HostScriptTarget& target, std::string& error) {
  double blocks = 0;
  if (!Numbers(line, {&blocks}, error)) return false;
  if (!target.render(long(blocks))) {
    error = "render failed";
    return false;
  }
  Settle(target);
  return true;
}

// A time the waiting commands take: 0 to 10 minutes.
bool CheckMilliseconds(double ms, std::string& error) {
  if (ms >= 0 && ms <= 600000) return true;
  error = "expects 0 to 600000 milliseconds";
  return false;
}

// The waiting commands end early, and well, on a signal: the script stops after them.
bool Wait(Line& line, HostScriptTarget& target, std::string& error) {
  double ms = 0;
  if (!Numbers(line, {&ms}, error) || !CheckMilliseconds(ms, error)) return false;
  WaitForHostSignal(int(ms));
  Settle(target);
  return true;
}

// Settles the panel every 50 ms until a file at the path exists: someone outside (a
// test that stopped and started the unit or the MIDI system) says the script may go on.
bool WaitFile(Line& line, HostScriptTarget& target, std::string& error) {
  double ms = 0;
  if (!Numbers(line, {&ms}, error)) return false;
  std::string path;
  std::getline(line.words >> std::ws, path);
  if (path.empty() || ms < 0 || ms > 600000) {
    error = "expects 0 to 600000 milliseconds and a path";
    return false;
  }
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
  while (!std::ifstream(path) && !HostSignalReceived()) {
    if (std::chrono::steady_clock::now() >= giveUp) {
      error = path + " did not appear within " + std::to_string(int(ms)) + " ms";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Settle(target);
  }
  Settle(target);
  return true;
}

bool TextAt(Line& line, HostScriptTarget& target, double x, double y, std::string* text, std::string& error) {
  const std::optional<std::string> shown = target.panel->TextAt(x * line.scale, y * line.scale);
  if (!shown) {
    error = "no text is shown at " + std::to_string(int(x)) + " " + std::to_string(int(y));
    return false;
  }
  *text = *shown;
  return true;
}

bool PrintText(Line& line, HostScriptTarget& target, std::string& error) {
  double x = 0, y = 0;
  std::string text;
  if (!Numbers(line, {&x, &y}, error) || !TextAt(line, target, x, y, &text, error)) return false;
  std::printf("text %d %d = \"%s\"\n", int(x), int(y), text.c_str());
  return true;
}

// Polls the panel in real time, printing each text it shows there with the time since
// the command began, until the wanted text shows.
bool WaitText(Line& line, HostScriptTarget& target, std::string& error) {
  constexpr auto kPoll = std::chrono::milliseconds(5);
  double x = 0, y = 0, ms = 0;
  if (!Numbers(line, {&x, &y, &ms}, error)) return false;
  std::string wanted;
  std::getline(line.words >> std::ws, wanted);
  if (wanted.empty() || ms < 0 || ms > 600000) {
    error = "expects X Y, 0 to 600000 milliseconds and a text";
    return false;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto since = [start] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  };
  std::optional<std::string> last;
  for (;;) {
    Settle(target);
    std::string text;
    if (!TextAt(line, target, x, y, &text, error)) return false;
    if (text != last) {
      std::printf("text %d %d at %.1f ms: \"%s\"\n", int(x), int(y), since(), text.c_str());
      last = text;
    }
    if (text == wanted || HostSignalReceived()) return true;
    if (since() > ms) {
      error = "\"" + wanted + "\" not shown within " + std::to_string(int(ms)) + " ms";
      return false;
    }
    std::this_thread::sleep_for(kPoll);
  }
}

bool Transport(HostScriptTarget& target, bool playing, std::string& error) {
  if (!target.clock) {
    error = "no host clock";
    return false;
  }
  target.clock->SetPlaying(playing);
  return true;
}

bool Play(Line&, HostScriptTarget& target, std::string& error) { return Transport(target, true, error); }
bool Stop(Line&, HostScriptTarget& target, std::string& error) { return Transport(target, false, error); }

bool Tempo(Line& line, HostScriptTarget& target, std::string& error) {
  double bpm = 0;
  if (!Numbers(line, {&bpm}, error)) return false;
  if (!target.clock || !(bpm >= 0)) {
    error = target.clock ? "expects a tempo of 0 or more" : "no host clock";
    return false;
  }
  target.clock->SetTempo(bpm);
  return true;
}

bool Midi(Line& line, HostScriptTarget& target, std::string& error) {
  unsigned bytes[3] = {0, 0, 0};
  int n = 0;
  std::string word;
  while (n < 3 && line.words >> word) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(word.c_str(), &end, 16);
    if (*end != '\0' || value > 0xFF) break;
    bytes[n++] = unsigned(value);
  }
  if (n < 2 || bytes[0] < 0x80 || bytes[1] > 0x7F || bytes[2] > 0x7F || (line.words >> word)) {
    error = "expects a status byte and one or two data bytes in hex";
    return false;
  }
  if (MusicDeviceMIDIEvent(target.unit, bytes[0], bytes[1], bytes[2], 0) != noErr) {
    error = "the unit refused the message";
    return false;
  }
  return true;
}

bool ParamValue(HostScriptTarget& target, int index, double* value, std::string& error) {
  AudioUnitParameterValue v = 0;
  if (AudioUnitGetParameter(target.unit, AudioUnitParameterID(index), kAudioUnitScope_Global, 0, &v) != noErr) {
    error = "parameter " + std::to_string(index) + " cannot be read";
    return false;
  }
  *value = v;
  return true;
}

bool PrintParam(Line& line, HostScriptTarget& target, std::string& error) {
  double index = 0, value = 0;
  if (!Numbers(line, {&index}, error) || !ParamValue(target, int(index), &value, error)) return false;
  std::printf("param %d = %g\n", int(index), value);
  return true;
}

bool ExpectParam(Line& line, HostScriptTarget& target, std::string& error) {
  double index = 0, expected = 0, value = 0;
  if (!Numbers(line, {&index, &expected}, error) || !ParamValue(target, int(index), &value, error)) return false;
  if (std::fabs(value - expected) > kParamTolerance) {
    error = "parameter " + std::to_string(int(index)) + " is " + std::to_string(value) + ", expected " +
            std::to_string(expected);
    return false;
  }
  return true;
}

// Settles the panel every 50 ms until the parameter has the value; fails after MS.
bool WaitParam(Line& line, HostScriptTarget& target, std::string& error) {
  double index = 0, expected = 0, ms = 0, value = 0;
  if (!Numbers(line, {&index, &expected, &ms}, error) || !CheckMilliseconds(ms, error)) return false;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
  for (;;) {
    if (!ParamValue(target, int(index), &value, error)) return false;
    if (std::fabs(value - expected) <= kParamTolerance || HostSignalReceived()) return true;
    if (std::chrono::steady_clock::now() >= giveUp) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Settle(target);
  }
  error = "parameter " + std::to_string(int(index)) + " is still " + std::to_string(value) + ", expected " +
          std::to_string(expected);
  return false;
}

// Settles the panel every 20 ms until no transfer runs; fails after MS. A transfer a
// click starts runs from the click on, so a wait right after it waits it out.
bool WaitIdle(Line& line, HostScriptTarget& target, std::string& error) {
  double ms = 0;
  if (!Numbers(line, {&ms}, error) || !CheckMilliseconds(ms, error)) return false;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
  for (;;) {
    Settle(target);
    if (!target.panel->ClientBusy() || HostSignalReceived()) return true;
    if (std::chrono::steady_clock::now() >= giveUp) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  error = "a transfer still runs after " + std::to_string(int(ms)) + " ms";
  return false;
}

bool SavePath(Line& line, HostScriptTarget& target, std::string& error) {
  if (line.rest.empty()) {
    error = "expects a path";
    return false;
  }
  target.panel->ScriptFilePromptAnswer(line.rest);
  return true;
}

bool Snapshot(Line& line, HostScriptTarget& target, std::string& error) {
  Settle(target);
  return target.panel->FrameBuffer().SavePng(line.rest, &error);
}

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {{"click", &Click},
                                                          {"drag", &Drag},
                                                          {"wheel", &Wheel},
                                                          {"key", &Key},
                                                          {"type", &Type},
                                                          {"choose", &Choose},
                                                          {"answer", &Answer},
                                                          {"render", &Render},
                                                          {"wait", &Wait},
                                                          {"print-param", &PrintParam},
                                                          {"expect-param", &ExpectParam},
                                                          {"snapshot", &Snapshot},
                                                          {"play", &Play},
                                                          {"stop", &Stop},
                                                          {"tempo", &Tempo},
                                                          {"midi", &Midi},
                                                          {"print-text", &PrintText},
                                                          {"wait-text", &WaitText},
                                                          {"double-click", &DoubleClick},
                                                          {"wait-param", &WaitParam},
                                                          {"wait-idle", &WaitIdle},
                                                          {"right-click", &RightClick},
                                                          {"move", &Move},
                                                          {"save-path", &SavePath},
                                                          {"wait-file", &WaitFile}};
  return commands;
}

}  // namespace

bool RunHostScript(const std::string& path, HostScriptTarget& target, std::string& error) {
  ScriptLines in(path);
  if (!in.Opened()) {
    error = "cannot read script " + path;
    return false;
  }
  const double scale = target.panel->Width() / kLayoutWidth;
  std::string text;
  int number = 1;
  for (; !HostSignalReceived() && in.Next(text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos || text[start] == '#') continue;
    const size_t end = text.find_first_of(" \t", start);
    const std::string word = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    Line line{std::istringstream(end == std::string::npos ? "" : text.substr(end)),
              end == std::string::npos ? ""
                                       : text.substr(text.find_first_not_of(" \t", end) == std::string::npos
                                                         ? text.size()
                                                         : text.find_first_not_of(" \t", end)),
              scale};
    auto command = Commands().find(word);
    std::string why;
    if (command == Commands().end()) {
      why = "unknown command '" + word + "'";
    } else if (command->second(line, target, why)) {
      // A choice or an answer the panel's menu or box could not take fails the line
      // that opened it, naming what was offered.
      const std::vector<std::string> misses = target.panel->TakeScriptMisses();
      if (misses.empty()) continue;
      for (const std::string& miss : misses) why += (why.empty() ? "" : "; ") + miss;
    }
    error = path + ":" + std::to_string(number) + ": " + word + ": " + why;
    return false;
  }
  if (const int signal = HostSignalReceived()) {
    std::printf("script: signal %d; %s stopped before line %d\n", signal, path.c_str(), number);
    return true;
  }
  // A choice or answer left over was meant for a menu or box that never came.
  if (target.panel->PendingPopupAnswers() > 0 || target.panel->PendingMessageBoxAnswers() > 0) {
    error = path + ": " +
            (target.panel->PendingPopupAnswers() > 0 ? "a choose was never taken: no menu opened after it"
                                                     : "an answer was never taken: no message box showed after it");
    return false;
  }
  return true;
}
