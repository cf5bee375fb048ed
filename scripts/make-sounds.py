#!/usr/bin/env python3
"""Synthesises the program's three sounds into resources/sounds/.

Plain Python (wave, math, struct), no external packages, fully deterministic:
running it again writes the same bytes. Every file is uncompressed PCM,
2 channels, 22050 samples per second, 16 bits per sample, of these lengths:

  clear.wav       47,576 frames (190,304 bytes of samples, about 2.16 s)
  error.wav       53,395 frames (213,580 bytes, about 2.42 s)
  completion.wav  48,474 frames (193,896 bytes, about 2.20 s)

Usage: scripts/make-sounds.py [output folder]   (default resources/sounds)
"""

import math
import os
import struct
import sys
import wave

RATE = 22050


def bell(freq, start, amp, decay, partials=((1.0, 1.0), (2.0, 0.35), (3.01, 0.12), (4.2, 0.05))):
    """A struck tone: a few partials, each dying away faster than the last."""
    return ("bell", freq, start, amp, decay, partials)


def buzz(freq, start, length, amp):
    """A soft square tone (odd harmonics) held for length seconds, then released."""
    return ("buzz", freq, start, amp, length, None)


def brass(freq, start, length, amp):
    """A bright held tone with a gentle swell, for the fanfare."""
    return ("brass", freq, start, amp, length, None)


def envelope_attack(t, attack=0.006):
    return min(1.0, t / attack) if attack > 0 else 1.0


def sample(note, t):
    kind, freq, start, amp, param, partials = note
    local = t - start
    if local < 0:
        return 0.0
    if kind == "bell":
        decay = param
        value = 0.0
        for ratio, weight in partials:
            value += weight * math.exp(-local * ratio / decay) * math.sin(2 * math.pi * freq * ratio * local)
        return amp * envelope_attack(local) * value
    if kind == "buzz":
        length = param
        level = envelope_attack(local, 0.01)
        if local > length:
            level *= math.exp(-(local - length) / 0.05)
        if level < 1e-4:
            return 0.0
        # A slight pitch sag makes the tone sound like a refusal rather than a beep.
        phase = 2 * math.pi * freq * (local - 0.04 * local * local)
        value = sum(math.sin(k * phase) / k for k in (1, 3, 5, 7))
        return amp * level * value
    if kind == "brass":
        length = param
        level = envelope_attack(local, 0.03) * (0.85 + 0.15 * math.sin(2 * math.pi * 5.0 * local))
        if local > length:
            level *= math.exp(-(local - length) / 0.35)
        if level < 1e-4:
            return 0.0
        phase = 2 * math.pi * freq * local
        value = sum(math.sin(k * phase) * w for k, w in ((1, 1.0), (2, 0.5), (3, 0.3), (4, 0.15), (5, 0.08)))
        return amp * level * value
    raise ValueError(kind)


def render(path, frames, notes):
    """Mixes the notes into a stereo file of exactly frames frames."""
    fade = int(0.05 * RATE)
    data = bytearray()
    for n in range(frames):
        t = n / RATE
        value = sum(sample(note, t) for note in notes)
        if n >= frames - fade:
            value *= (frames - n) / fade
        value = max(-1.0, min(1.0, value))
        level = int(round(value * 32767))
        data += struct.pack("<hh", level, level)
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(data))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "sounds")
    os.makedirs(folder, exist_ok=True)

    # クリア: a rising four-note chime.
    clear = [bell(f, i * 0.09, 0.16, 0.55) for i, f in enumerate((783.99, 1046.50, 1318.51, 1567.98))]
    render(os.path.join(folder, "clear.wav"), 47576, clear)

    # Error: two low buzzes, the second lower.
    error = [buzz(233.08, 0.0, 0.22, 0.30), buzz(174.61, 0.30, 0.45, 0.30)]
    render(os.path.join(folder, "error.wav"), 53395, error)

    # 完成: a short fanfare rising to a held major chord.
    fanfare = [
        brass(523.25, 0.00, 0.10, 0.15),
        brass(659.25, 0.13, 0.10, 0.15),
        brass(783.99, 0.26, 0.10, 0.15),
        brass(523.25, 0.42, 1.10, 0.095),
        brass(659.25, 0.42, 1.10, 0.095),
        brass(783.99, 0.42, 1.10, 0.095),
        brass(1046.50, 0.42, 1.10, 0.11),
        bell(2093.00, 0.42, 0.05, 0.5),
    ]
    render(os.path.join(folder, "completion.wav"), 48474, fanfare)


if __name__ == "__main__":
    main()
