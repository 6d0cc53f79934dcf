#!/usr/bin/env python3
"""Writes the built-in confirmation sound: two short rising tones, 16-bit mono.

The desktop program plays the club folder's "Qrecord.wav" when there is one and
this sound otherwise. Run from the repository root to regenerate it.
"""
import math
import struct
import wave

RATE = 22050
TONES = [(880.0, 0.07), (1320.0, 0.09)]
VOLUME = 0.35

frames = bytearray()
for frequency, seconds in TONES:
    count = int(RATE * seconds)
    for i in range(count):
        # A short fade at both ends keeps the tone from clicking.
        envelope = min(1.0, i / 200, (count - i) / 200)
        sample = VOLUME * envelope * math.sin(2 * math.pi * frequency * i / RATE)
        frames += struct.pack("<h", int(sample * 32767))

with wave.open("src/ui/sounds/confirm.wav", "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    out.writeframes(bytes(frames))
