#!/usr/bin/env python3
"""Writes demo.mid, Korvanta's demo song: a bass line, soft chords, a lead struck hard whose long notes get
vibrato from mod-wheel rides, and a slow channel-pressure sweep that morphs the wave shape. The same note
data always gives the same bytes.

Usage: make-demo.py [OUTPUT]   (default: demo.mid beside this script)
"""

import os
import struct
import sys

TICKS_PER_QUARTER = 480
BPM = 112
BAR = 4 * TICKS_PER_QUARTER
EIGHTH = TICKS_PER_QUARTER // 2

BASS, CHORDS, LEAD = 0, 1, 2  # MIDI channels

# One chord per bar: (bass root, chord notes). Two eight-bar halves; the second ends at home.
PROGRESSION = [
    (45, [57, 60, 64]), (41, [57, 60, 65]), (48, [55, 60, 64]), (43, [55, 59, 62]),
    (45, [57, 60, 64]), (41, [57, 60, 65]), (48, [55, 60, 64]), (40, [56, 59, 64]),
    (38, [57, 62, 65]), (45, [57, 60, 64]), (41, [57, 60, 65]), (43, [55, 59, 62]),
    (45, [57, 60, 64]), (41, [57, 60, 65]), (40, [56, 59, 62, 64]), (45, [57, 60, 64, 69]),
]

# Bass rhythm of one bar in eighths: offset above the root in semitones.
BASS_PATTERN = [0, 0, 12, 0, 7, 0, 12, 7]

# Lead melody from bar 5 on: (bar, eighth in bar, length in eighths, note). Long notes get vibrato.
LEAD_LINE = [
    (4, 0, 3, 76), (4, 3, 1, 74), (4, 4, 2, 72), (4, 6, 2, 74),
    (5, 0, 6, 77), (5, 6, 2, 76),
    (6, 0, 3, 79), (6, 3, 1, 77), (6, 4, 2, 76), (6, 6, 2, 72),
    (7, 0, 8, 76),
    (8, 0, 2, 74), (8, 2, 2, 77), (8, 4, 4, 81),
    (9, 0, 3, 79), (9, 3, 1, 76), (9, 4, 4, 72),
    (10, 0, 2, 77), (10, 2, 2, 76), (10, 4, 2, 74), (10, 6, 2, 72),
    (11, 0, 6, 74), (11, 6, 2, 71),
    (12, 0, 3, 72), (12, 3, 1, 74), (12, 4, 4, 76),
    (13, 0, 2, 77), (13, 2, 2, 76), (13, 4, 2, 74), (13, 6, 2, 72),
    (14, 0, 4, 71), (14, 4, 4, 68),
    (15, 0, 8, 69),
]

VIBRATO_FROM_EIGHTHS = 4  # lead notes at least this long get a mod-wheel ride


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def track_chunk(events):
    """events: (tick, bytes) pairs in any order; ties keep their order (note-offs were added first)."""
    body = b""
    now = 0
    for tick, data in sorted(events, key=lambda e: e[0]):
        body += var_len(tick - now) + data
        now = tick
    body += var_len(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def note(events, channel, start, length, pitch, velocity):
    events.append((start + length, bytes([0x80 | channel, pitch, 0])))
    events.append((start, bytes([0x90 | channel, pitch, velocity])))


def conductor():
    micros = round(60_000_000 / BPM)
    return [
        (0, b"\xff\x03" + var_len(13) + b"Korvanta demo"),
        (0, b"\xff\x51\x03" + micros.to_bytes(3, "big")),
        (0, b"\xff\x58\x04\x04\x02\x18\x08"),
    ]


def bass():
    events = [(0, b"\xff\x03\x04Bass")]
    for bar, (root, _) in enumerate(PROGRESSION[:-1]):
        for step, offset in enumerate(BASS_PATTERN):
            accent = 100 if step % 2 == 0 else 84
            note(events, BASS, bar * BAR + step * EIGHTH, EIGHTH * 3 // 4, root + offset, accent)
    note(events, BASS, (len(PROGRESSION) - 1) * BAR, BAR, PROGRESSION[-1][0], 100)
    return events


def chords():
    events = [(0, b"\xff\x03\x06Chords")]
    for bar, (_, notes) in enumerate(PROGRESSION):
        # A short chord on the one, struck again on the "and" of beat three to push into the next bar; played
        # softly, so that the velocity-sensitive program keeps it under the lead.
        hits = [(0, 3 * EIGHTH, 40), (5 * EIGHTH, 2 * EIGHTH, 32)] if bar < len(PROGRESSION) - 1 else [(0, BAR, 48)]
        for offset, length, velocity in hits:
            for pitch in notes:
                note(events, CHORDS, bar * BAR + offset, length - 20, pitch, velocity)
    return events


def lead():
    events = [(0, b"\xff\x03\x04Lead")]
    for bar, eighth, length, pitch in LEAD_LINE:
        start = bar * BAR + eighth * EIGHTH
        ticks = length * EIGHTH
        note(events, LEAD, start, ticks - 30, pitch, 124)
        if length >= VIBRATO_FROM_EIGHTHS:
            # The wheel comes in after the note has spoken and rises to its end, then drops.
            steps = 16
            begin = start + ticks // 4
            for i in range(steps + 1):
                events.append((begin + (ticks * 3 // 4 - 30) * i // steps,
                               bytes([0xB0 | LEAD, 1, 10 + 100 * i // steps])))
            events.append((start + ticks - 10, bytes([0xB0 | LEAD, 1, 0])))
    return events


def wave_sweep():
    """Channel pressure climbs over the first half and falls back over the second: the wave shape of
    oscillator 1 morphs through its table while the song plays."""
    events = [(0, b"\xff\x03\x0aWave sweep")]
    half = len(PROGRESSION) * BAR // 2
    step = TICKS_PER_QUARTER // 4
    for tick in range(0, 2 * half, step):
        rise = tick / half if tick < half else 2.0 - tick / half
        events.append((tick, bytes([0xD0 | CHORDS, round(127 * rise)])))
    return events


def song():
    tracks = [conductor(), bass(), chords(), lead(), wave_sweep()]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TICKS_PER_QUARTER)
    return header + b"".join(track_chunk(t) for t in tracks)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "demo.mid")
    with open(path, "wb") as out:
        out.write(song())


if __name__ == "__main__":
    main()
