#!/usr/bin/env python3
"""Checks the background-music file the saver plays.

    check_music.py FILE [--cues 10.2:F#4,20.4:B3,30.6:D2] [--min-seconds 60]

Fails (exit 1) unless FILE is a RIFF WAVE with a PCM, mono, 22050 Hz, 8-bit
format chunk, at least --min-seconds long, and no sample at 0 or 255 (which
would mean clipping). Prints the length, the peak level, the loudness of each
second, and for each cue time how much louder the second after it is than the
second before, in all and in two low bands (a player coming in should show
as a rise; the viola and cello show best in the low bands). A cue may name
the pitch its player starts on; the power at that pitch is compared too.
"""
import argparse
import math
import struct
import sys

RATE = 22050


def read_chunks(data):
    if len(data) < 12 or data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("not a RIFF WAVE file")
    (riff_size,) = struct.unpack_from("<I", data, 4)
    if riff_size + 8 != len(data):
        raise ValueError(f"RIFF size {riff_size} does not match the file size {len(data)}")
    chunks, at = {}, 12
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack_from("<I", data, at + 4)[0]
        if at + 8 + size > len(data):
            raise ValueError(f"chunk {tag!r} runs past the end")
        chunks.setdefault(tag, data[at + 8:at + 8 + size])
        at += 8 + size + (size & 1)
    return chunks


def check_format(fmt):
    expected = (1, 1, RATE, RATE, 1, 8)  # PCM, channels, rate, bytes/s, align, bits
    if len(fmt) < 16:
        raise ValueError("format chunk too short")
    actual = struct.unpack_from("<HHIIHH", fmt)
    if actual != expected:
        raise ValueError(f"format {actual}, expected {expected}")


def rms_db(samples):
    if not samples:
        return -math.inf
    mean_square = sum((s - 128) ** 2 for s in samples) / len(samples)
    return 10 * math.log10(mean_square / 128 ** 2) if mean_square else -math.inf


def low_band(samples, cutoff_hz, poles=4):
    """The signal below cutoff_hz (cascaded one-pole low-passes): below 300 Hz
    lie the viola's and cello's fundamentals but not the violins', below 120 Hz
    only the cello's."""
    a = 1 - math.exp(-2 * math.pi * cutoff_hz / RATE)
    signal = [s - 128.0 for s in samples]
    for _ in range(poles):
        y, out = 0.0, []
        for x in signal:
            y += a * (x - y)
            out.append(y)
        signal = out
    return signal


def power_db(signal):
    mean_square = sum(x * x for x in signal) / max(1, len(signal))
    return 10 * math.log10(mean_square / 128 ** 2) if mean_square else -math.inf


def pitch_hz(name):
    """'D2' -> 73.4 Hz, 'F#4' -> 370.0 Hz (A4 = 440 Hz)."""
    classes = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
    key = classes[name[0]] + 12 * (int(name.lstrip("ABCDEFG#b")) + 1)
    key += 1 if "#" in name else -1 if "b" in name[1:] else 0
    return 440 * 2 ** ((key - 69) / 12)


def tone_db(samples, hz, window=RATE // 4):
    """Mean power at hz over Hann-windowed quarter seconds: how much of a
    note of that pitch sounds."""
    total, count = 0.0, 0
    hann = [0.5 - 0.5 * math.cos(2 * math.pi * n / window) for n in range(window)]
    step = 2 * math.pi * hz / RATE
    for start in range(0, len(samples) - window + 1, window):
        re = sum(hann[n] * (samples[start + n] - 128) * math.cos(step * n) for n in range(window))
        im = sum(hann[n] * (samples[start + n] - 128) * math.sin(step * n) for n in range(window))
        total += (re * re + im * im) / (window * 128 / 4) ** 2
        count += 1
    return 10 * math.log10(total / count) if total else -math.inf


def tone_onset(samples, at, hz, window=RATE // 10, hop=RATE // 100):
    """The time (s) near sample `at` where the tone at hz first comes within
    10 dB of its level in the second after `at`, scanning 10 ms hops."""
    level = tone_db(samples[at:at + RATE], hz, window)
    for start in range(at - RATE, at + RATE, hop):
        if tone_db(samples[start:start + window], hz, window) > level - 10:
            return (start + window / 2) / RATE
    return math.nan


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--cues", default="")
    parser.add_argument("--min-seconds", type=float, default=60)
    args = parser.parse_args()

    with open(args.file, "rb") as f:
        chunks = read_chunks(f.read())
    if b"fmt " not in chunks or b"data" not in chunks:
        raise ValueError("missing fmt or data chunk")
    check_format(chunks[b"fmt "])
    samples = chunks[b"data"]
    seconds = len(samples) / RATE
    lowest, highest = min(samples), max(samples)
    peak = max(128 - lowest, highest - 128)
    print(f"length {seconds:.3f} s ({len(samples)} bytes), samples {lowest}..{highest}, "
          f"peak {20 * math.log10(peak / 128):.2f} dBFS")
    print("rms per second (dBFS):", " ".join(
        f"{rms_db(samples[i:i + RATE]):.0f}" for i in range(0, len(samples), RATE)))
    cues = [cue.split(":") for cue in args.cues.split(",") if cue]
    bands = {cutoff: low_band(samples, cutoff) for cutoff in (300, 120)} if cues else {}
    for cue, *pitch in cues:
        cue = float(cue)
        at = round(cue * RATE)
        before, after = rms_db(samples[at - RATE:at]), rms_db(samples[at:at + RATE])
        line = f"cue {cue:6.2f} s: rise {after - before:+5.1f} dB ({before:.1f} -> {after:.1f})"
        for cutoff, band in bands.items():
            band_before, band_after = power_db(band[at - RATE:at]), power_db(band[at:at + RATE])
            line += f"; below {cutoff} Hz {band_after - band_before:+5.1f} dB"
        if pitch:
            hz = pitch_hz(pitch[0])
            tone_before, tone_after = tone_db(samples[at - RATE:at], hz), tone_db(samples[at:at + RATE], hz)
            line += f"; at {pitch[0]} ({hz:.0f} Hz) {tone_after - tone_before:+5.1f} dB"
            line += f", heard from {tone_onset(samples, at, hz):.2f} s"
        print(line)

    problems = []
    if seconds < args.min_seconds:
        problems.append(f"shorter than {args.min_seconds} s")
    if lowest == 0 or highest == 255:
        problems.append("a sample is at full scale (clipped)")
    for problem in problems:
        print("FAIL:", problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (OSError, ValueError) as error:
        print("FAIL:", error, file=sys.stderr)
        sys.exit(1)
