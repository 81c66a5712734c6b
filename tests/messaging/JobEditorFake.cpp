#include "JobEditorFake.h"

#include <algorithm>

namespace {
SynthSimSettings SimAt(int model) {
  SynthSimSettings settings;
  settings.deviceId = JobEditorFake::kDeviceId;
  settings.model = model;
  return settings;
}
}  // namespace

JobEditorFake::JobEditorFake(int model)
    : sim(SimAt(model), scheduler,
          [this](const SynthSim::Message& m) {
            replies.push_back(m);
            // The port's road: a reply to a request that has ended is refused first.
            const ISysEx message(0, m.data(), int(m.size()));
            if (!manager.refuseLateReply(&message)) Receive(m.data(), int(m.size()));
          }),
      panel(model) {
  Kit_SetTimeSource(&clock);
}

JobEditorFake::~JobEditorFake() {
  manager.shutDown();
  Kit_SetTimeSource(nullptr);
}

void JobEditorFake::Run(const JobArgs& args) { manager.sender()->run(args); }

int JobEditorFake::AddBank(int type, std::vector<LibrarianPatch> patches, bool search) {
  int index = 0;
  librarian.modify([&](PatchLibrary& library) {
    auto file = std::make_unique<PatchFile>();
    file->type = type;
    file->patches = std::move(patches);
    PatchFileList& files = search ? library.searchFiles : library.filesOfType(type);
    index = static_cast<int>(files.size());
    files.push_back(std::move(file));
  });
  return index;
}

LibrarianPatch JobEditorFake::Slot(int type, int fileIndex, int slot) const {
  LibrarianPatch patch;
  librarian.copyPatch(type, fileIndex, slot, &patch);
  return patch;
}

void JobEditorFake::RequestPerformance() {
  manager.transferInProgress = true;
  const std::vector<uint8_t> request = {0xF0, 0x33, uint8_t(kDeviceId), 0x04, 0x28, 0x00, 0xF7};
  sim.Receive(request.data(), request.size());
  clock.Advance(1000000);
  manager.transferInProgress = false;
}

bool JobEditorFake::Shown(const std::string& status) const {
  return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

std::string JobEditorFake::nameText(int paramIdx) const {
  const auto it = panel.names.find(paramIdx);
  return it == panel.names.end() ? std::string() : std::string(it->second.c_str());
}

void JobEditorFake::DisplayProcessingIndicator(bool show) {
  ++(show ? overlayShown : overlayHidden);
  overlayVisible = show;
  if (!show) manager.transferInProgress = false;
  manager.sender()->clearCancel();
}

bool JobEditorFake::checksumCheckAndSend(const unsigned char* bytes, int length) {
  if (!midiIOSet) {
    showStatus("Set MIDI I/O First!");
    return false;
  }
  return SendMidiSysex2(std::vector<unsigned char>(bytes, bytes + length));
}

void JobEditorFake::SetLibrarianRequestActive(bool forLibrarian) {
  manager.transferInProgress = !forLibrarian;
  if (forLibrarian) {
    manager.armLibrarianReceiver(perfMode);
  } else {
    manager.disarmLibrarianReceivers();
  }
  dataProcessed = false;
  manager.dumpProcessed = false;
}

void JobEditorFake::SetLibrarianStatusUnsaved(bool unsaved) {
  if (!unsaved) return;
  manager.transferInProgress = false;
  manager.disarmLibrarianReceivers();
  ++unsavedMarks;
}

void JobEditorFake::processOwnSysEx(const unsigned char* bytes, int length) {
  fed.emplace_back(bytes, bytes + length);
  Receive(bytes, length);
}

void JobEditorFake::Receive(const uint8_t* bytes, int length) {
  if (inputDown) return;
  ISysEx message(0, bytes, length);
  manager.ProcessSysEx(&message, true);
  if (manager.dumpProcessed) dataProcessed = true;
}

bool JobEditorFake::SendMidiSysex2(std::vector<unsigned char> bytes) {
  if (sysexTaken == 0) return false;
  if (sysexTaken > 0) --sysexTaken;
  sim.Receive(bytes.data(), bytes.size());
  return true;
}

bool JobEditorFake::SendMidiMsg(IMidiMsg* msg) {
  midiSent.push_back(*msg);
  return true;
}
