#!/usr/bin/env python3
"""Writes the two explosion sounds, assets/BAN.WAV and assets/BIGBAN.WAV.

16-bit mono PCM at 22050 Hz, made from seeded noise so every run writes the same bytes.
Run from anywhere:  python3 assets/tools/make_sounds.py
"""

import math
import random
import struct
import wave
from pathlib import Path

RATE = 22050
ASSETS = Path(__file__).resolve().parent.parent


class LowPass:
    """One-pole low-pass filter whose cutoff may change per sample."""

    def __init__(self):
        self.y = 0.0

    def __call__(self, x, cutoff):
        a = 1.0 - math.exp(-2.0 * math.pi * cutoff / RATE)
        self.y += a * (x - self.y)
        return self.y


def envelope(t, attack, decay):
    """Fast linear attack, then exponential decay."""
    if t < attack:
        return t / attack
    return math.exp(-(t - attack) / decay)


def small_explosion():
    """A short crack and thump: bright noise burst, quickly darkening and dying away."""
    rnd = random.Random(1987)
    seconds = 0.7
    lp1, lp2 = LowPass(), LowPass()
    out = []
    phase = 0.0
    for n in range(int(seconds * RATE)):
        t = n / RATE
        cutoff = 300.0 + 3200.0 * math.exp(-t / 0.06)  # the crack darkens into a boom
        noise = lp2(lp1(rnd.uniform(-1.0, 1.0), cutoff), cutoff)
        phase += 2.0 * math.pi * (45.0 + 90.0 * math.exp(-t / 0.05)) / RATE
        thump = math.sin(phase) * math.exp(-t / 0.09)
        out.append(2.2 * noise * envelope(t, 0.003, 0.15) + 0.55 * thump * min(1.0, t / 0.004))
    return out


def big_explosion():
    """A deep blast: heavy low-passed noise with a long tail, a falling rumble and patter of debris."""
    rnd = random.Random(2024)
    seconds = 2.2
    lp1, lp2, lp3 = LowPass(), LowPass(), LowPass()
    debris_lp = LowPass()
    out = []
    phase = 0.0
    burst_left, burst_amp = 0, 0.0
    for n in range(int(seconds * RATE)):
        t = n / RATE
        cutoff = 220.0 + 1400.0 * math.exp(-t / 0.2)
        noise = lp3(lp2(lp1(rnd.uniform(-1.0, 1.0), cutoff), cutoff), cutoff)
        phase += 2.0 * math.pi * (48.0 + 60.0 * math.exp(-t / 0.3)) / RATE
        rumble = math.sin(phase) * envelope(t, 0.01, 0.5)
        # Debris: short soft bursts of noise, frequent at first and thinning out.
        if burst_left == 0 and rnd.random() < 0.0025 * math.exp(-t / 0.6):
            burst_left = int(rnd.uniform(0.008, 0.025) * RATE)
            burst_amp = rnd.uniform(0.3, 1.0) * math.exp(-t / 0.7)
        debris = 0.0
        if burst_left > 0:
            burst_left -= 1
            debris = rnd.uniform(-1.0, 1.0) * burst_amp
        debris = debris_lp(debris, 1500.0)
        out.append(3.2 * noise * envelope(t, 0.012, 0.55) + 0.45 * rumble + 0.5 * debris)
    return out


def write(path, samples, peak=0.85):
    # A short fade at the end so playback stops without a click.
    fade = int(0.03 * RATE)
    for i in range(fade):
        samples[-1 - i] *= i / fade
    gain = peak * 32767.0 / max(abs(s) for s in samples)
    frames = b"".join(struct.pack("<h", int(round(s * gain))) for s in samples)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


if __name__ == "__main__":
    write(ASSETS / "BAN.WAV", small_explosion())
    write(ASSETS / "BIGBAN.WAV", big_explosion())
