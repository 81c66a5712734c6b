#pragma once
// The bytes of a bank file, raw or as a Standard MIDI File, built whole before any
// file is touched.
//
// threads: any (pure).

#include <cstddef>
#include <cstdint>
#include <string>

class ByteChunk;
struct PatchFile;

enum class MidiHead { Rewrite, Keep };

// Appends the bank file's bytes to `out`. The bank is taken at its kind's size (99
// programs, 100 performances). Raw: every message of every slot, back to back. Midi
// file: exactly one event per slot (the init message for an empty slot), each the
// slot's first message cut or padded to 139 (715) bytes with F7 last; with Rewrite the
// device becomes 0F, the type 01 (1F) and the slot byte the slot. False when memory ran out.
bool bankImage(const PatchFile& bank, bool midiForm, MidiHead head, ByteChunk* out);

// Whether `image` is a Standard MIDI File bank of `kind` laid out as bankImage writes
// one: the fixed head, one SysEx event per slot, the end of track and nothing else
// (no notes, no names, no other format). Saving such a file again loses nothing.
bool isPlainMidiBank(const uint8_t* image, size_t size, int kind);

// How many names the Standard MIDI File form would drop: the slots whose dump holds
// a name other than the slot's default one.
int namesMidiFormDrops(const PatchFile& bank);

// Removes every character of `set` from `text`.
void removeCharsFromString(std::string& text, const char* set);
