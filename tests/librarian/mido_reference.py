#!/usr/bin/python3
"""Outside reference for the librarian tests: mido reads, re-saves and writes bank files.

dump PATH                        print a .mid's format, tracks and SysEx events (hex), or a raw file's messages
resave SRC DST                   load a .mid and save it again
write DST FORMAT DELTA NAME SRC  a .mid of SRC's raw messages, each DELTA ticks apart (NAME '-' for no track name)
syx DST SRC                      SRC's raw messages written again by mido
"""
import sys

import mido


def dump(path):
    if path.lower().endswith('.mid'):
        midi = mido.MidiFile(path)
        print('format', midi.type, 'tracks', len(midi.tracks))
        for index, track in enumerate(midi.tracks):
            events = [m for m in track if m.type == 'sysex']
            print('track', index, len(events))
            for message in events:
                print(bytes(message.bytes()).hex())
    else:
        for message in mido.read_syx_file(path):
            print(bytes(message.bytes()).hex())


def write(dst, midi_format, delta, name, src):
    midi = mido.MidiFile(type=int(midi_format), ticks_per_beat=480)
    if midi.type == 1:
        midi.tracks.append(mido.MidiTrack([mido.MetaMessage('set_tempo', tempo=500000)]))
    track = mido.MidiTrack()
    if name != '-':
        track.append(mido.MetaMessage('track_name', name=name))
    for message in mido.read_syx_file(src):
        track.append(message.copy(time=int(delta)))
    midi.tracks.append(track)
    midi.save(dst)


def main(args):
    if args[0] == 'dump':
        dump(args[1])
    elif args[0] == 'resave':
        mido.MidiFile(args[1]).save(args[2])
    elif args[0] == 'write':
        write(*args[1:6])
    elif args[0] == 'syx':
        mido.write_syx_file(args[1], mido.read_syx_file(args[2]))


if __name__ == '__main__':
    main(sys.argv[1:])
