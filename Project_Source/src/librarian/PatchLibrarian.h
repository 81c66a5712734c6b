#pragma once
// The librarian: its bank files, folder trees, the panes' current files and the
// selected slots, and the reading, writing and scanning of bank files.
//
// threads: main (scans, saves, the panes, the list's own copies), midi-in (received
// dumps are stored), worker (the send road moves the selected slot and takes copies of
// what it sends). One lock guards the library; it is
// a leaf: never held while calling the editor or blocking on anything else. Indices
// and selected slots are atomics, read once per use.

#include "librarian/LibrarianRecords.h"
#include "librarian/PatchTemplates.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class ByteChunk;
class LibrarianEditor;

// What became of a dump meant for the selected slot.
// kOtherKind: a bank is open, of the other kind than the dump.
enum class SlotStore { kStored, kNoBankOfKind, kRowOutsideBank, kOtherKind };

class PatchLibrarian {
public:
  explicit PatchLibrarian(LibrarianEditor* editor);
  PatchLibrarian(const PatchLibrarian&) = delete;
  PatchLibrarian& operator=(const PatchLibrarian&) = delete;

  // --- Bank images into records; pure, threads: any. ---

  // Fills `file` from a whole bank image: a Standard MIDI File bank when the image
  // starts with its header (its SysEx events read in time order in a format-1 file,
  // track by track in others, split dumps joined), else a raw SysEx bank; the hint is
  // not needed. A message starts at F0 33 only. Every row keeps its place: a dump cut
  // at a whole dump's length is completed, one that cannot be read is held by an init
  // message, one of a length the unit does not send is kept as read, and each of these
  // is counted in the record. An image without one acceptable message leaves the
  // record empty. `eventRoom`, when given, holds a MIDI file's events: a caller
  // reading many files passes the same one, so its room is taken once.
  static void loadFromChunk(const ByteChunk* image, int size, PatchFile* file, int midiFileHint,
                            ByteChunk* eventRoom = nullptr);
  // Read the next message from `position` into `file` under the running slot number;
  // return the position to go on from, or -1 when the image is exhausted.
  static int readSysexMessage(const ByteChunk* image, int& position, PatchFile* file, int slot);
  static int readMIDIMessage(const ByteChunk* image, int& position, PatchFile* file, int slot);
  // Pads a non-empty bank with named init messages to 99 programs or 100 performances.
  static void checkBankSizeAndAddData(PatchFile* file);
  // Moves `position` just past the next byte equal to `value`; at the end sets it to -1.
  static bool findByte(const ByteChunk* image, int& position, int value);

  // --- Records into bank files. ---

  // Pads a bank to its full size with unnamed init messages, by the kind of its first message.
  static void fillUncompletedBankFiles(PatchFile* bank);
  // The left pane's current bank, as a Standard MIDI File bank or a raw bank with
  // names, into a file the user chooses. True when written; false when there is no
  // current bank, the user cancelled (error left empty), the prompt refused the path
  // given (a file not to be replaced, a name of another form) or the write failed.
  // `namesLeftOut`, when given, takes how many names the written form could not hold.
  // threads: main
  bool savePatchAs(const char* proposedName, const std::string& startFolder, bool midiForm, std::string* error,
                   int* namesLeftOut = nullptr);
  // The left pane's current bank into `targetPath`; a "syx" name becomes a free "nl2"
  // name beside it, and a MIDI file holding more than the bank's dumps (notes, names,
  // format 0) a free "mid" name beside it; the pane's current file names what was
  // written. Refuses a bank that does not show its whole file. True when written.
  // threads: main
  bool saveEditedPatch(const std::string& targetPath, const std::string& fileName, std::string* error);
  // The left pane's current bank, names and all, into a new raw file beside its own
  // ("NAME (unsaved).nl2", or a free name beside that), for a close nobody could be
  // asked about; the bank's file and the pane stay as they are. Fills `keptAt`.
  // threads: main
  bool keepUnsavedBank(std::string* keptAt, std::string* error) const;

  // --- The data folder. ---

  // Scans `root` and adds its bank files and trees to the library.
  // threads: main
  void loadPatchesFromFilesystem(const std::string& root);
  // Drops the library and scans `root` again; the new library replaces the old at once.
  // threads: main
  void initBankFilesOnDiscard(const std::string& root);
  // threads: main
  void clearDataStructures(int code);

  // What the panel says when the left pane's bank is shown: why it is incomplete and,
  // with `withSkipped`, the files the last scan could not read; "" when all is well.
  // threads: main
  std::string paneNotice(bool withSkipped) const;

  // "<outcome>: no bank of this kind open"; when the library holds no bank of the
  // current kind at all (a new data folder), it names the kind and how to get one.
  // threads: any
  std::string noBankText(const std::string& outcome) const;

  // --- Slots. ---

  // The status text of a refusal ("Not stored: ...", or with the `outcome` given: a
  // request refused before it goes out is "Not requested"); empty for kStored.
  // threads: any
  std::string storeRefusal(SlotStore result, const std::string& outcome = "Not stored") const;

  // Stores a received dump (name and messages) into the selected slot of the left
  // pane's bank; refuses the other kind, a negative slot and a slot outside the bank.
  // threads: midi-in, main
  SlotStore setSysexDatatoSelectedSlot(const LibrarianPatch* received);
  // Whether a dump of `kind` would be stored in the selected slot now: asked before a
  // request goes out, so nothing is asked for that cannot be kept.
  // threads: any
  SlotStore canStoreInSelectedSlot(PatchKind kind) const;
  // A copy of one slot of a bank file of the given type; false when there is none.
  // threads: any
  bool copyPatch(int type, int fileIndex, int slot, LibrarianPatch* out) const;
  // A copy of a whole bank file; null when there is none.
  // threads: any
  std::unique_ptr<PatchFile> copyBank(int type, int fileIndex) const;
  // Runs `reader` on the library with the lock held; it must not call the editor.
  // threads: any
  void inspect(const std::function<void(const PatchLibrary&)>& reader) const;
  // Runs `writer` on the library with the lock held (the panel's edits: search
  // results, a bank resized for renaming); it must not call the editor.
  // threads: any
  void modify(const std::function<void(PatchLibrary&)>& writer);

  std::atomic<int> upperFileIndex{0};
  std::atomic<int> lowerFileIndex{0};
  std::atomic<int> patchType{0};  // 0 programs, 1 performances: selects the current file list
  std::atomic<int> selectedSlot{0};
  std::atomic<int> lowerSelectedSlot{0};
  // The selected slot of the upper (pane 0) or lower pane.
  // threads: any
  std::atomic<int>& selectedSlotOf(int pane) { return pane == 0 ? selectedSlot : lowerSelectedSlot; }
  std::atomic<int> targetSlot{0};

private:
  // Under lock_: the left pane's bank when it is of `kind` and the current type; else null.
  PatchFile* leftBankOfKind(int kind) const;
  // Under lock_: kOtherKind when a bank of the other kind is shown, else kNoBankOfKind.
  SlotStore noBankFor(int kind) const;
  // A clone of the left pane's bank of the current type and whether it shows its
  // whole file; null when there is none.
  std::unique_ptr<PatchFile> cloneLeftBank(bool* incomplete) const;
  // The same copy for a save, so the file is written from what was there when the
  // save began; null with the reason in error when there is no bank.
  std::unique_ptr<PatchFile> leftBankToSave(bool* incomplete, std::string* error) const;

  // The folder key the pane's current file gets for a bank saved into `folder`.
  std::string savedFolderKey(const std::string& folder) const;

  LibrarianEditor* editor_;
  mutable std::mutex lock_;
  PatchLibrary library_;  // guarded by lock_
};
