#pragma once
// What the transfer jobs share: their pauses, the request messages, and the two
// ways a request waits for its reply.
//
// Every pause goes through the sender, so a cancel or the engine's shutdown cuts it
// short; a job then ends at its next test of the flags.
//
// threads: worker (the job's own).

#include <cstdint>
#include <functional>
#include <string>

#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

class MIDIMessageSender;
class MessagingEditor;

// Message types of the requests; the ten-bank model is model 2.
constexpr uint8_t kEditPerformanceRequest = 0x28;  // also the device-id enquiry
uint8_t SlotProgramRequestType(int model);
uint8_t StoredProgramRequestType(int model, int bank);
uint8_t StoredPerformanceRequestType(int model, int bank);

// A job that must talk to the synthesizer finds no port chosen.
constexpr const char* kSetPortsFirst = "Set MIDI I/O First!";
constexpr const char* kSlotEmptyText = "Not sent: slot is empty";

// The editor the job works for.
MessagingEditor& JobEditor(MIDIMessageSender& sender);
// The user cancelled or the engine is shutting down: the job winds up.
bool JobStopRequested(const MIDIMessageSender& sender);
void JobPauseMillis(MIDIMessageSender& sender, int millis);

// The librarian slot a received dump is stored into; -1 without a librarian.
int SelectedLibrarianSlot(MessagingEditor& editor);
// Selects `slot` of the upper (pane 0) or lower pane, in the librarian and on the list.
void SetSelectedLibrarianSlot(MessagingEditor& editor, int slot, int pane = 0);
// The engine's flags: incoming dumps go to the panel's parsers; every dump parsed
// into the panel re-selects the panel's tab.
void SetTransferInProgress(MessagingEditor& editor, bool inProgress);
void SetTabRefreshPending(MessagingEditor& editor);

// Before a request for the librarian: true when a dump of `kind` would be kept in the
// selected slot; else the receivers are disarmed, the status line says why and the
// job sends nothing.
bool LibrarianCanReceive(MessagingEditor& editor, PatchKind kind);
// The armed librarian receiver takes only a dump numbered `number` until it is armed
// again: a late second reply to an earlier request is passed over.
void ExpectLibrarianReplyNumber(MessagingEditor& editor, int number);
// The status text of a librarian store refused ("Not stored: ...").
std::string StoreRefusal(MessagingEditor& editor, SlotStore result);
// What became of the dump the librarian's receiver took since it was armed
// (kNoBankOfKind also when none came).
SlotStore LastLibrarianStore(MessagingEditor& editor);
// After a request for the librarian: a stored slot marks the bank unsaved; a dump
// that came (`replied`) and was refused says why. True when a slot was stored.
bool ReportLibrarianStore(MessagingEditor& editor, bool replied);
// A request's wait ran out: the sender's timedOut is set and the text to say is
// `timeOutText`, or that the reply could not be read when one came that way, or that
// the output refused the request and how to reconnect.
std::string TimeOutText(MIDIMessageSender& sender, const char* timeOutText);
void ShowTimeOut(MIDIMessageSender& sender, const char* timeOutText);

// A request of `model`'s form went unanswered: the unit is asked slot A's program in
// the other models' form (the reply is loaded nowhere); when it answers that, the text
// says the unit is of the other models, else it is TimeOutText's. Either way timedOut
// is set. A reply that could not be read, no ports or a cancel skip the check.
std::string UnansweredText(MIDIMessageSender& sender, int model, int stepMillis, const char* timeOutText);

// Sends 0x33, id, 0x04, type, number as one request (the editor adds F0 and F7); the
// first send since the last request ended begins a request (RequestLedger.h). It is in
// the form of `formModel` (-1: the panel's model).
void SendRequest(MessagingEditor& editor, int deviceId, uint8_t type, int number, int formModel = -1);
// The request's wait is over: an answer that comes after it is late. The waits below
// end their request themselves.
void EndRequest(MessagingEditor& editor);
// Sends the live request again when a late dump may have been taken for its answer.
void AskAgainAfterLateReply(MessagingEditor& editor);
// The text naming the other family when the unit answers its requests, not `model`'s.
std::string OtherModelsText(int model);

// kOtherReply: a program dump came that is not the awaited one (see
// MIDIMessageManager::awaitedPanelProgram); it was not loaded. kPortsClosed: the ports
// set when the job began closed under it (chosen OFF, or the MIDI system gone): no
// answer can come, and the wait ends at once.
enum class WaitEnd { kReply, kCancel, kTimeOut, kAbandoned, kOtherReply, kPortsClosed };

// A long transfer's progress on the status line: `what` + "5 of 40".
std::string ProgressText(const char* what, int done, int count);

// A dump taken into the panel.
constexpr const char* kDataProcessedReady = "Data processed - Ready!";

// While a request into the panel awaits slot `slot`'s edit-buffer program (-1: none;
// what came instead stays readable until the next request).
void AwaitPanelProgram(MessagingEditor& editor, int slot);
// What the status line says of a program dump that was not the one asked for.
std::string OtherReplyText(int typeAndNumber);

// Both waits end as a time-out after the step in which the open output refused a
// message of the request.
// Twenty steps; after the fifteenth the request goes to each device id 0-15 in turn
// (`probe(id)` sends it; false abandons the job), one step each, until a reply or a
// cancel. A reply is taken after steps 1-19 only.
WaitEnd WaitWithProbing(MIDIMessageSender& sender, int stepMillis, const std::function<bool(int id)>& probe);
// `steps` steps without probing; a reply is taken after the first steps - 1 only; the
// other family's answer ends it (kOtherReply).
WaitEnd WaitSteps(MIDIMessageSender& sender, int stepMillis, int steps);
