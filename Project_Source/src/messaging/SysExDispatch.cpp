// Where an incoming SysEx message goes: a librarian receiver, the panel's parsers (the
// standard and the spaced performance form among them) or the device-id enquiry.

#include "Framework/IMidiMsg.h"
#include "Kit_TimeSource.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MessagingEditor.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"

namespace {

constexpr int kShortestReadable = 4;  // up to the model byte
constexpr int kShortestDump = 130;
constexpr uint8_t kHighestDeviceId = 15;
constexpr uint8_t kHighestModelByte = 4;
constexpr int kRequestSize = 7;  // F0 33 id 04 type number F7; anything longer is a dump

// The slots' program and bank selectors of both models.
bool IsSlotChoice(int index) {
  return index >= TavroParam::kCurrentProgram && index < TavroParam::kCurrentBank2x + kSlotCount;
}

// The panel's parameters but the slots' program and bank selectors.
class SlotChoiceKept : public DumpParameters {
public:
  explicit SlotChoiceKept(DumpParameters& panel) : panel_(panel) {}
  int Model() const override { return panel_.Model(); }
  double Value(int index) const override { return panel_.Value(index); }
  void SetValue(int index, int value) override {
    if (!IsSlotChoice(index)) panel_.SetValue(index, value);
  }
  void SetStepValue(int index, int value, double position) override { panel_.SetStepValue(index, value, position); }
  void SetName(int index, const std::string& name) override { panel_.SetName(index, name); }

private:
  DumpParameters& panel_;
};
}  // namespace

bool MIDIMessageManager::refuseLateReply(const ISysEx* message) {
  if (!message || !message->mData || message->mSize <= kRequestSize) return false;
  const uint8_t* bytes = message->mData;
  if (bytes[1] != kMakerId) return false;
  return requests.late(bytes[2], bytes[kTypeByteAt], bytes[kNumberByteAt], Kit_Time().NowMicros());
}

bool MIDIMessageManager::offerToLiveRequest(const uint8_t* bytes) {
  const int model = plug_->panelParameters().Model();
  switch (requests.offer(bytes[2], bytes[kTypeByteAt], bytes[kNumberByteAt], model)) {
    case RequestLedger::Verdict::kNoRequest:
    case RequestLedger::Verdict::kAnswer: return true;
    case RequestLedger::Verdict::kOtherModel: otherReply = bytes[kTypeByteAt] * 128 + bytes[kNumberByteAt]; break;
    case RequestLedger::Verdict::kUnasked: break;
  }
  sysexBusy = false;
  return false;
}

void MIDIMessageManager::ProcessSysEx(ISysEx* message, bool fromDevice) {
  dumpProcessed = false;
  if (!fromDevice || !plug_ || !message || !message->mData || message->mSize < kShortestReadable) return;
  const uint8_t* bytes = message->mData;
  const int size = message->mSize;
  if (bytes[1] != kMakerId || bytes[2] > kHighestDeviceId || bytes[3] > kHighestModelByte) return;
  if (size > kRequestSize && !offerToLiveRequest(bytes)) return;
  if (offerToLibrarianReceivers(bytes, size_t(size))) return;

  // While a reply is awaited, a message of neither dump's form is a reply that cannot be read.
  const size_t length = size_t(size);
  if (transferInProgress && !ProgramDumpCoder::Accepts(bytes, length) && !PerformanceDumpCoder::Accepts(bytes, length))
    replyUnreadable = true;

  if (size >= kShortestDump && transferInProgress) {
    takeIntoPanel(message);
  } else if (plug_->isDeviceEnquiryPending()) {
    takeEnquiryReply(message);
  } else {
    // Nobody asked for it: the panel stays as it is.
    tabRefreshPending = false;
    sysexBusy = false;
  }
}

bool MIDIMessageManager::offerToLibrarianReceivers(const uint8_t* bytes, size_t size) {
  // The first armed receiver has it; one that refuses keeps waiting for the next.
  for (LibrarianDumpReceiver* receiver :
       {static_cast<LibrarianDumpReceiver*>(&performanceRequest), static_cast<LibrarianDumpReceiver*>(&patchRequest)}) {
    LibrarianPatch taken;
    const LibrarianDumpReceiver::Outcome outcome = receiver->addMessageData(bytes, size, &taken);
    if (outcome == LibrarianDumpReceiver::Outcome::kNotArmed) continue;
    // A late second reply to an earlier request: the awaited one is still to come.
    if (outcome == LibrarianDumpReceiver::Outcome::kOtherNumber) return true;
    sysexBusy = true;
    if (outcome == LibrarianDumpReceiver::Outcome::kRefused) {
      replyUnreadable = true;
      return true;
    }
    // A refusal is a result too: the waiting job ends and says why.
    librarianStore = librarian_ ? librarian_->setSysexDatatoSelectedSlot(&taken) : SlotStore::kNoBankOfKind;
    plug_->updatePatchLibrarianView(0);
    plug_->setLibrarianViewDirty();
    sysexBusy = false;
    dumpProcessed = true;
    return true;
  }
  return false;
}

void MIDIMessageManager::takeIntoPanel(ISysEx* message) {
  const uint8_t* bytes = message->mData;
  const int awaited = awaitedPanelProgram.load();
  if (awaited >= 0 && ProgramDumpCoder::Accepts(bytes, size_t(message->mSize)) &&
      (bytes[4] != 0 || bytes[5] != awaited)) {
    otherReply = bytes[4] * 128 + bytes[5];
    sysexBusy = false;
    return;
  }
  sysexBusy = true;
  sysexPartPatchParse(message);
  sysexPerformancePatchParse(message);
  if (tabRefreshPending) plug_->OnParamChange2(kQuickTab);
  sysexBusy = false;
}

void MIDIMessageManager::takeEnquiryReply(ISysEx* message) {
  sysexPerformancePatchParse(message);
  // Whatever its kind, an accepted message tells the unit's id.
  plug_->setDeviceId(message->mData[2]);
  tabRefreshPending = true;
  if (PerformanceDumpCoder::Accepts(message->mData, size_t(message->mSize)))
    dumpProcessed = true;
  else
    replyUnreadable = true;
  plug_->OnParamChange2(kQuickTab);
  sysexBusy = false;
}

template <class Coder, class Read>
void MIDIMessageManager::parseDump(const Coder* coder, const ISysEx* message, bool (*accepts)(const uint8_t*, size_t),
                                   Read read) {
  if (coder && message && message->mSize >= 0 && accepts(message->mData, size_t(message->mSize))) {
    dumpProcessed = false;
    read(*coder, message->mData, size_t(message->mSize));
    dumpProcessed = true;
  }
  sysexBusy = true;
}

void MIDIMessageManager::sysexPartPatchParse(ISysEx* message) {
  parseDump(plug_ ? plug_->programDumpCoder() : nullptr, message, &ProgramDumpCoder::Accepts,
            [this](const ProgramDumpCoder& coder, const uint8_t* bytes, size_t size) {
              coder.Parse(bytes, size, plug_->panelParameters());
            });
}

void MIDIMessageManager::sysexPerformancePatchParse(ISysEx* message) {
  parseDump(plug_ ? plug_->performanceDumpCoder() : nullptr, message, &PerformanceDumpCoder::Accepts,
            [this](const PerformanceDumpCoder& coder, const uint8_t* bytes, size_t size) {
              if (!plug_->isDeviceEnquiryPending()) {
                // Asked in performance mode, come after the page left it: the slots
                // keep the choice they show out of it.
                SlotChoiceKept kept(plug_->panelParameters());
                const bool modeLeft = performanceAskedInMode == 1 && !plug_->isLibrarianPerformanceMode();
                coder.Parse(bytes, size, modeLeft ? kept : plug_->panelParameters());
                return;
              }
              // The enquiry's reply: it tells the id (also when it came in during a
              // transfer) and changes nothing in the panel.
              plug_->setDeviceId(bytes[2]);
              plug_->setDeviceEnquiryPending(false);
              transferInProgress = false;
            });
}

void MIDIMessageManager::sysexPerformancePatchParseWN(ISysEx* message) {
  parseDump(plug_ ? plug_->performanceDumpCoder() : nullptr, message, &PerformanceDumpCoder::AcceptsSpaced,
            [this](const PerformanceDumpCoder& coder, const uint8_t* bytes, size_t size) {
              coder.ParseSpaced(bytes, size, plug_->panelParameters());
            });
}

void MIDIMessageManager::armLibrarianReceiver(bool performance) {
  LibrarianDumpReceiver& other = performance ? static_cast<LibrarianDumpReceiver&>(patchRequest) : performanceRequest;
  LibrarianDumpReceiver& own = performance ? static_cast<LibrarianDumpReceiver&>(performanceRequest) : patchRequest;
  other.disarm();
  own.arm();
  librarianStore = SlotStore::kNoBankOfKind;  // until a dump is stored
  replyUnreadable = false;
}

void MIDIMessageManager::disarmLibrarianReceivers() {
  performanceRequest.disarm();
  patchRequest.disarm();
  replyUnreadable = false;
}

void MIDIMessageManager::sendSinglePatchRequestSysexFromLibrarian(bool useActiveSlot, int bank) {
  patchRequest.arm();
  dumpProcessed = false;
  JobArgs args;
  args.jobCode = kJobRequestSinglePatch;
  args.bank = bank;
  args.useActiveSlot = useActiveSlot;
  startJob(args, false);
}

void MIDIMessageManager::sendAllPatchRequestSysexFromLibrarian(int bank) {
  patchRequest.arm();
  dumpProcessed = false;
  JobArgs args;
  args.jobCode = kJobRequestAllPatches;
  args.bank = bank;
  startJob(args);
}
