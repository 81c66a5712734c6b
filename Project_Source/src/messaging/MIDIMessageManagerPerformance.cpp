// The spaced performance form into the panel.

#include "IMidiMsg.h"
#include "MIDIMessageManager.h"
#include "MessagingEditor.h"
#include "PerformanceDumpCoder.h"

void MIDIMessageManager::sysexPerformancePatchParseWN(ISysEx* message) {
  const PerformanceDumpCoder* coder = plug_ ? plug_->performanceDumpCoder() : nullptr;
  if (!coder || !message || message->mSize < 0 ||
      !PerformanceDumpCoder::AcceptsSpaced(message->mData, size_t(message->mSize))) {
    sysexBusy = true;
    return;
  }
  dumpProcessed = false;
  coder->ParseSpaced(message->mData, size_t(message->mSize), plug_->panelParameters());
  dumpProcessed = true;
  sysexBusy = true;
}
