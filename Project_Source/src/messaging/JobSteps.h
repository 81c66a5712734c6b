#pragma once
// Steps the transfer jobs share: storing a dump they made in the librarian's
// selected slot, waiting for the panel to take over a dump they fed it, and the
// INIT jobs' send to the synthesizer.
//
// threads: worker (inside a job).

#include <cstdint>
#include <string>
#include <vector>

class MIDIMessageSender;
class MessagingEditor;

// Arms the librarian's receiver and feeds it the dump: a stored slot marks the bank
// unsaved, a refusal says why. True when stored.
bool StoreInLibrarianSlot(MessagingEditor& plug, const std::vector<uint8_t>& dump);
// The INIT program or performance into the librarian's selected slot, named "Init
// Patch" or "Init Perf "; the status line says which slot it initialized.
void InitializeLibrarianSlot(MessagingEditor& plug, const std::vector<uint8_t>& init, bool performance);

enum class PanelLoad { kTaken, kTimedOut, kStopped };
// Up to 100 pauses of `pauseMs`, testing the editor's processed flag after each of
// the first 99 (showing `progress` first when given). kTimedOut shows "CONNECTION
// TIMED OUT!" and sets the sender's timedOut; kStopped is a cancel or the shutdown.
PanelLoad AwaitPanelLoad(MIDIMessageSender& sender, int pauseMs, const char* progress);

// An INIT dump to the synthesizer and into the panel: sent, fed to the editor's own
// input, the panel's take awaited (25 ms pauses); `sentStatus` is shown when both the
// send and the take succeeded.
void SendInitToHardware(MIDIMessageSender& sender, const std::vector<uint8_t>& dump, const char* sentStatus);
