#!/usr/bin/python3
"""Bank files as other tools write them, for the reader tests and the reader's fuzz seeds.

make_reader_files.py FOLDER [COUNT]

Writes COUNT (default 99) named programs per file into FOLDER. Raw banks are written
byte by byte (mido refuses data bytes of 80 hex and above, and messages without F7);
the MIDI files with notes, a track name and running status are written by mido. The
split-packet file is written by hand: mido joins no packets and writes none.
"""
import struct
import sys

import mido


def program(index, name):
    data = bytes((index * 7 + i * 13) % 128 for i in range(6, 138))
    return bytes([0xF0, 0x33, 0x00, 0x04, 0x00, index]) + data + name + b'\xf7'


def plain_name(index):
    return ('Prog %02d' % (index + 1)).ljust(10).encode('ascii')


def bank(count, name=plain_name):
    return [program(i, name(i)) for i in range(count)]


def write(folder, file_name, data):
    with open(folder + '/' + file_name, 'wb') as out:
        out.write(data)


def quantity(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def split_midi_file(dumps):
    """Format 1: a tempo track, then each dump as an F0 packet and F7 continuation packets."""
    tempo = b'\x00\xff\x51\x03\x07\xa1\x20\x00\xff\x2f\x00'
    events = b''
    for n, dump in enumerate(dumps):
        body = dump[1:]
        cuts = [0, 64, len(body)] if n % 2 else [0, 40, 100, len(body)]
        for k in range(len(cuts) - 1):
            packet = body[cuts[k]:cuts[k + 1]]
            events += quantity(0 if k else 10) + (b'\xf0' if k == 0 else b'\xf7') + quantity(len(packet)) + packet
    events += b'\x00\xff\x2f\x00'
    head = b'MThd' + struct.pack('>IHHH', 6, 1, 2, 480)
    return head + b'MTrk' + struct.pack('>I', len(tempo)) + tempo + b'MTrk' + struct.pack('>I', len(events)) + events


def sysex(dump, time):
    return mido.Message('sysex', data=dump[1:-1], time=time)


def with_notes(midi_type, head, notes, delay, dumps):
    """Each dump after `notes`; `head` (meta events) leads the track, or a track of its own in format 1."""
    midi = mido.MidiFile(type=midi_type, ticks_per_beat=480)
    if midi_type == 1:
        midi.tracks.append(mido.MidiTrack(head))
    track = mido.MidiTrack(head if midi_type == 0 else [])
    for dump in dumps:
        track.extend(notes)
        track.append(sysex(dump, delay))
    midi.tracks.append(track)
    return midi


def main(folder, count):
    odd = min(19, count - 1)
    latin1_one = bank(count, lambda i: 'Café Noël '.encode('latin-1') if i == odd else plain_name(i))
    write(folder, 'latin1_one.syx', b''.join(latin1_one))
    latin1_all = bank(count, lambda i: ('Sø%02d ÷ Ñé' % (i + 1)).ljust(10).encode('latin-1'))
    write(folder, 'latin1_all.syx', b''.join(latin1_all))

    plain = bank(count)
    write(folder, 'final_f7.syx', b''.join(plain)[:-1])
    middle = min(40, count - 2)
    write(folder, 'middle_f7.syx', b''.join(plain[:middle] + [plain[middle][:-1]] + plain[middle + 1:]))
    longer = min(30, count - 2)
    overlong = program(longer, ('Prog %02d   X' % (longer + 1)).encode('ascii'))
    write(folder, 'overlong.syx', b''.join(plain[:longer] + [overlong] + plain[longer + 1:]))

    write(folder, 'split.mid', split_midi_file(plain))
    tempo = mido.MetaMessage('set_tempo', tempo=500000)
    note = [mido.Message('note_on', note=60, velocity=100, time=0),
            mido.Message('note_off', note=60, velocity=0, time=120)]
    with_notes(0, [mido.MetaMessage('track_name', name='Nord Bank 3'), tempo], note, 5, plain).save(
        folder + '/format0.mid')
    # Written with running status these make 33 02 04 00 05: a maker id, device 2, model
    # 4, type 0 and slot 5 to a reader that scans bytes.
    tempting = [mido.Message('note_on', note=0x33, velocity=2, time=0),
                mido.Message('note_on', note=0, velocity=5, time=4)]
    with_notes(1, [tempo], tempting, 0, plain).save(folder + '/running.mid')
    with open(folder + '/running.mid', 'rb') as written:
        assert b'\x90\x33\x02\x04\x00\x05' in written.read(), 'mido wrote no running status'
    second_pass(folder, count)
    third_pass(folder, count)


def messages(dumps):
    """Whole SysEx messages as mido keeps them (data bytes below 80 hex only)."""
    return [mido.Message('sysex', data=dump[1:-1]) for dump in dumps]


def with_device(dumps, row, device):
    changed = list(dumps)
    changed[row] = dumps[row][:2] + bytes([device]) + dumps[row][3:]
    return changed


# Other makers' messages, some holding 33 00 04 as if a head followed.
FOREIGN = [
    bytes([0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7]),
    bytes([0xF0, 0x41, 0x10, 0x42, 0x12, 0x33, 0x00, 0x04, 0x00, 0x05, 0x7F, 0x00, 0x41, 0xF7]),
    bytes([0xF0, 0x7D, 0x33, 0x00, 0x04, 0x00, 0x07]) + bytes(i % 100 for i in range(131)) + b'\xf7',
    # The identity reply of a unit of this maker.
    bytes([0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x33, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xF7]),
]


def f7_name(index):
    """Latin-1 names holding F7 F0 (\u00f7\u00f0) at every place but the first."""
    at = 1 + index % 8
    name = bytearray(plain_name(index))
    name[at:at + 2] = b'\xf7\xf0'
    return bytes(name)


def second_pass(folder, count):
    """Banks with a head byte out of range, names holding F7 F0, a program of 141 bytes,
    other makers' messages between the dumps, dumps on three tracks, and small banks."""
    plain = bank(count)
    row = min(39, count - 1)  # row 40
    for device, label in ((0x10, 'device10'), (0x7F, 'device7f')):
        changed = messages(with_device(plain, row, device))
        mido.write_syx_file(folder + '/%s_row40.syx' % label, changed)
        mido.write_syx_file(folder + '/%s_row40.nl2' % label, changed)
    # mido refuses data bytes of 80 hex and above: these are written byte by byte.
    write(folder, 'names_f7f0.syx', b''.join(bank(count, f7_name)))
    odd = min(29, count - 1)  # row 30
    short = program(odd, b'Hi')
    write(folder, 'odd141.syx', b''.join(plain[:odd] + [short] + plain[odd + 1:]))

    # Over 99 programs with one of them 141 bytes long: never split.
    lossy = [program(n % 100, plain_name(n % 99)) for n in range(120)]
    lossy[100] = program(100 % 100, b'Hi')
    write(folder, 'lossy120.syx', b''.join(lossy))

    between = []
    for n, dump in enumerate(plain):
        between.append(dump)
        if n % 5 == 2:
            between.append(FOREIGN[(n // 5) % len(FOREIGN)])
    mido.write_syx_file(folder + '/foreign.syx', messages(between))

    midi = mido.MidiFile(type=1, ticks_per_beat=480)
    midi.tracks.append(mido.MidiTrack([mido.MetaMessage('set_tempo', tempo=500000)]))
    tracks = [mido.MidiTrack() for _ in range(3)]
    last = [0, 0, 0]
    for n, dump in enumerate(plain):
        # Dump n at tick 100 n, on track n mod 3: the file order is not the time order.
        track = n % 3
        tracks[track].append(sysex(dump, 100 * n - last[track]))
        last[track] = 100 * n
    midi.tracks.extend(tracks)
    midi.save(folder + '/format1_3tracks.mid')

    for size in (1, 10, 30):
        small = messages(bank(size))
        mido.write_syx_file(folder + '/bank%d.syx' % size, small)
        midi = mido.MidiFile(type=0, ticks_per_beat=480)
        midi.tracks.append(mido.MidiTrack([sysex(dump, 10) for dump in bank(size)]))
        midi.save(folder + '/bank%d.mid' % size)


def performance(index, names):
    data = bytes((index * 11 + i * 5) % 128 for i in range(6, 714))
    return bytes([0xF0, 0x33, 0x00, 0x04, 0x1F, index]) + data + names + b'\xf7'


def performance_names(index):
    """The performance's name and its four part names, 50 bytes."""
    name = ('Perf %02d' % (index + 1)).ljust(10)
    return (name + ''.join(('Part%d %02d' % (k + 1, index + 1)).ljust(10) for k in range(4))).encode('ascii')


def with_real_time(dump, n):
    """A clock byte and an active-sensing byte inside the data part, as a wire recorder
    captures them; in every third dump a clock byte in its head, in the next one an
    active-sensing byte between its F0 and the maker id."""
    at = 10 + n % 100
    out = dump[:at] + b'\xf8' + dump[at:120] + b'\xfe' + dump[120:]
    return out[:3] + b'\xf8' + out[3:] if n % 3 == 0 else out[:1] + b'\xfe' + out[1:] if n % 3 == 1 else out


def third_pass(folder, count):
    """Names starting F7 F0 (a program's, a performance's and a part's), a bank whose
    first dump lost its head, and real-time bytes inside and between the dumps."""
    plain = bank(count)
    row = min(49, count - 1)  # row 50
    lost = program(row, b'\xf7\xf0Lost nam')
    write(folder, 'name_f7f0_row50.syx', b''.join(plain[:row] + [lost] + plain[row + 1:]))

    perfs = [performance(i, performance_names(i)) for i in range(min(count + 1, 100))]
    lost_name = performance(row, b'\xf7\xf0Lost nam' + performance_names(row)[10:])
    write(folder, 'perf_name_f7f0.syx', b''.join(perfs[:row] + [lost_name] + perfs[row + 1:]))
    lost_part = performance(row, performance_names(row)[:10] + b'\xf7\xf0Lost par' + performance_names(row)[20:])
    write(folder, 'perf_part_f7f0.syx', b''.join(perfs[:row] + [lost_part] + perfs[row + 1:]))

    # The file starts 25 bytes into program 0.
    write(folder, 'headless_first.nl2', b''.join(plain)[25:])

    timed = b''
    for n, dump in enumerate(plain):
        timed += with_real_time(dump, n) + (b'\xf8' if n % 4 == 1 else b'')
    write(folder, 'realtime.syx', timed)


if __name__ == '__main__':
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 99)
