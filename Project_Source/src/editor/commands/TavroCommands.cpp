// Routing of the panel's command parameters: one table for the commands handled
// before the read-out, one for those after it. Each row says whether the change goes
// on along the road or ends with its handler.

#include "editor/commands/TavroCommands.h"
#include "editor/Tavro.h"

namespace TavroCommands {
namespace {

using Result = Tavro::CommandResult;

struct CommandRow {
  int first, last;
  Handler handler;
  Result after;
};

const CommandRow kBeforeReadout[] = {
    {kMIDIFilterDAWCCPassThrough, kMIDIFilterTrackIncomingMIDI, midiFilter, Result::kGoOn},
    {kMIDIFilterDirectToHardware, kMIDIFilterToDAWBuffer, outputRouting, Result::kGoOn},
    {kSendMIDIClockPointer, kSendMIDIClockPointer, clockPointer, Result::kGoOn},
    {kSendMIDIClockInfo, kSendMIDIClockInfo, clockInfo, Result::kGoOn},
    {kMasterKeyboard, kMasterKeyboard, masterKeyboard, Result::kEnd},
    {kCloseMIDIFilterSettings, kCloseMIDIFilterSettings, filterSettingsWindow, Result::kGoOn},
    {kAdjustDAWOffset, kAdjustDAWOffset, dawOffset, Result::kGoOn},
    {kViewMIDIFilterSettings, kViewMIDIFilterSettings, filterSettingsWindow, Result::kGoOn},
    {kCancelDataRequest, kCancelDataRequest, cancelDataRequest, Result::kEnd},
};

const CommandRow kAfterReadout[] = {
    {kOsc2Semitones, kOsc2Semitones + kSlotCount - 1, octaveLight, Result::kGoOn},
    {kSlotSolo, kSlotSolo + kSlotCount - 1, slotSolo, Result::kGoOn},
    {kGlobalLink, kGlobalLink + 2, globalLink, Result::kGoOn},
    {kDeviceOutSelection, kDeviceOutSelection, outputPort, Result::kGoOn},
    {kDeviceInSelection, kDeviceInSelection, inputPort, Result::kGoOn},
    {kUserInterfaceSize, kUserInterfaceSize, userInterfaceSize, Result::kEnd},
    {kFirstRunExit, kFirstRunExit, firstRunExit, Result::kEnd},
    {kDisplayAboutWindow, kExitAboutWindow, aboutWindow, Result::kGoOn},
    {kCycleButtonFirst, kCycleButtonLast, cycleButton, Result::kEnd},
    {kMultiSettings, kMultiSettings, multiSettings, Result::kGoOn},
    {kShowLibrarian, kShowLibrarian, showLibrarian, Result::kGoOn},
    {kShowVelomap, kShowVelomap, showVelomap, Result::kGoOn},
    {kAllowPartChange, kAllowPartChange, allowPartChange, Result::kGoOn},
    {kQuickTab, kQuickTab, quickTab, Result::kGoOn},
    {kNordModel, kNordModel, nordModel, Result::kGoOn},
    {kRandomize, kRandomize, randomize, Result::kEnd},
};

template <size_t N>
Result Route(const CommandRow (&rows)[N], Tavro& plug, int paramIdx, double value) {
  for (const CommandRow& row : rows) {
    if (paramIdx < row.first || paramIdx > row.last) continue;
    row.handler(plug, paramIdx, value);
    return row.after;
  }
  return Result::kNotMine;
}

}  // namespace
}  // namespace TavroCommands

Tavro::CommandResult Tavro::runPanelCommand(int paramIdx, double value, bool beforeReadout) {
  using namespace TavroCommands;
  return beforeReadout ? Route(kBeforeReadout, *this, paramIdx, value) : Route(kAfterReadout, *this, paramIdx, value);
}
