#include "messaging/MIDIMessageSenderPerformance.h"

#include <algorithm>
#include <array>
#include <string>

#include "librarian/TavroParams.h"
#include "messaging/JobSteps.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/SendOutcome.h"
#include "messaging/TransferJobSteps.h"

namespace {

constexpr int kEditBufferType = 0x1E;
constexpr int kSettlePauseMs = 750;

std::string NameOrDefault(const std::string& name) { return name.empty() ? "Set Name" : name; }

// The five names the patch manager keeps follow the panel's; the performance's stays
// while a librarian slot is being renamed, whose text then names the dump.
void NamesFromPanel(MessagingEditor& plug, std::string* performanceName, std::array<std::string, 4>* partNames) {
  for (int slot = 0; slot < 4; ++slot) {
    (*partNames)[size_t(slot)] = plug.nameText(kPatchName + slot);
    plug.keepPatchName(slot + 1, NameOrDefault((*partNames)[size_t(slot)]));
  }
  if (plug.librarianRenameActive()) {
    *performanceName = plug.nameText(kPatchRename);
    return;
  }
  *performanceName = plug.nameText(kMultiName);
  plug.keepPatchName(0, NameOrDefault(*performanceName));
}

// Job 0.
void sendArrangementToDevice(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& plug = *sender.plug();
  plug.DisplayProcessingIndicator(true);
  SendOutcome outcome(plug);
  bool sent = false;
  if (const PerformanceDumpCoder* coder = plug.performanceDumpCoder()) {
    const std::vector<uint8_t> dump = coder->Build(plug.panelParameters(), plug.getDeviceId(), plug.getActiveSlot());
    std::string performanceName;
    std::array<std::string, 4> partNames;
    NamesFromPanel(plug, &performanceName, &partNames);
    if (args.toLibrarian) {
      StoreInLibrarianSlot(plug, PerformanceDumpCoder::WithNames(dump, performanceName, partNames));
    } else {
      sent = outcome.note(plug.checksumCheckAndSend(dump.data(), static_cast<int>(dump.size())));
    }
  }
  sender.pause(uint64_t(kSettlePauseMs) * 1000);
  if (outcome.finish(sender) && sent && !args.sentText.empty()) plug.showStatus(args.sentText);
  plug.DisplayProcessingIndicator(false);
}

// Job 10.
void initPerformance(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& plug = *sender.plug();
  const auto init = InitPerformance();
  std::vector<uint8_t> dump(init.begin(), init.end());
  plug.DisplayProcessingIndicator(true);
  const auto deviceId = static_cast<uint8_t>(std::clamp(plug.getDeviceId(), 0, 15));
  dump[2] = deviceId;
  PerformanceDumpCoder::SetOwnDeviceId(dump, deviceId);
  if (!args.toHardware || plug.isHardwareChangeActive()) {
    InitializeLibrarianSlot(plug, dump, true);
  } else if (!plug.isMidiIOSet()) {
    plug.showStatus(kSetPortsFirst);
  } else {
    dump[4] = kEditBufferType;
    dump[5] = 0;
    SendInitToHardware(sender, dump, "Performance INIT Sent!");
  }
  plug.DisplayProcessingIndicator(false);
}

}  // namespace

void installPerformanceJobs(MIDIMessageSender& sender) {
  sender.setJob(kJobSendArrangement, &sendArrangementToDevice);
  sender.setJob(kJobInitPerformance, &initPerformance);
}
