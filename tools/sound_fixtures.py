#!/usr/bin/python3
"""Writes the WAV and MAT files that the format tests read, made by independent writers (sox,
Python's wave module, scipy's savemat), into the folder given as the only argument.

The sample values follow formulas that the tests repeat:
  16-bit sample k of channel c: ((k * 37 + c * 1000) % 60001) - 30000
  8-bit byte k of channel c:    (k * 7 + c * 50 + 3) % 256 (read back as byte - 128)
"""
import os
import struct
import subprocess
import sys
import wave

import numpy as np
import scipy.io as sio
import scipy.sparse as sparse


def s16(frames, channels):
    return [((k * 37 + c * 1000) % 60001) - 30000 for k in range(frames) for c in range(channels)]


def u8(frames, channels):
    return bytes((k * 7 + c * 50 + 3) % 256 for k in range(frames) for c in range(channels))


def sox_from_raw(out, raw, rate, channels, encoding, bits, *extra):
    src = out + ".raw"
    with open(src, "wb") as f:
        f.write(raw)
    subprocess.run(["sox", "-D", "-t", "raw", "-r", str(rate), "-e", encoding, "-b", str(bits),
                    "-c", str(channels), src, *extra, out], check=True)
    os.remove(src)


def python_wave(out, raw, rate, channels, width):
    with wave.open(out, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(raw)


def wav_with_odd_chunk(out, frames):
    data = struct.pack("<%dh" % frames, *s16(frames, 1))
    fmt = struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 1, 8000, 16000, 2, 16)
    odd = b"note" + struct.pack("<I", 3) + b"abc" + b"\0"
    body = b"WAVE" + fmt + odd + b"data" + struct.pack("<I", len(data)) + data
    with open(out, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def main():
    d = sys.argv[1]
    os.makedirs(d, exist_ok=True)
    j = lambda name: os.path.join(d, name)

    # WAV
    sox_from_raw(j("sox_u8_mono_8000.wav"), u8(100, 1), 8000, 1, "unsigned", 8)
    sox_from_raw(j("sox_s16_stereo_44100.wav"), struct.pack("<400h", *s16(200, 2)), 44100, 2,
                 "signed", 16)
    sox_from_raw(j("sox_s16_mono_50000.wav"), struct.pack("<50h", *s16(50, 1)), 50000, 1,
                 "signed", 16)
    sox_from_raw(j("sox_s16_3ch_extensible.wav"), struct.pack("<30h", *s16(10, 3)), 8000, 3,
                 "signed", 16)
    python_wave(j("py_u8_stereo_11025.wav"), u8(77, 2), 11025, 2, 1)
    python_wave(j("py_s16_3ch_22050.wav"), struct.pack("<390h", *s16(130, 3)), 22050, 3, 2)
    wav_with_odd_chunk(j("py_s16_mono_odd_chunk.wav"), 21)

    # MAT: every numeric class as a row, a column and a 2 x 3 matrix
    signed = [-3, -2, -1, 0, 1, 2]
    unsigned = [0, 1, 2, 250, 3, 4]
    classes = {"double": np.float64, "single": np.float32, "int8": np.int8, "int16": np.int16,
               "int32": np.int32, "uint8": np.uint8, "uint16": np.uint16, "uint32": np.uint32}
    variables = {}
    for name, dtype in classes.items():
        values = np.array(unsigned if name.startswith("uint") else signed, dtype=dtype)
        variables[name + "_row"] = values.reshape(1, 6)
        variables[name + "_col"] = values.reshape(6, 1)
        variables[name + "_mat"] = values.reshape(2, 3)
    sio.savemat(j("scipy_numeric_classes.mat"), variables, do_compression=False)

    sio.savemat(j("scipy_mixed.mat"), {
        "text": "hello",
        "sp": sparse.csc_matrix(np.eye(3)),
        "empty": np.zeros((0, 0)),
        "withnan": np.array([[1.0, np.nan, 3.0]]),
        "tall": np.arange(8.0).reshape(4, 2),
        "curve": {"XData": np.array([0.0, 0.5, 1.0, 1.5]), "YData": np.array([5.0, 6.0, 7.0, 8.0]),
                  "Tag": "x"},
        "cells": np.array([[np.array([1.0, 2.0]), np.array([3.0])],
                           [np.array([4.0]), np.array([5.0, 6.0, 7.0])]], dtype=object),
    }, do_compression=False)
    sio.savemat(j("scipy_compressed.mat"), {"a": np.arange(10.0)}, do_compression=True)
    sox_from_raw(j("sox_s16_stereo_8000.mat"), struct.pack("<40h", *s16(20, 2)), 8000, 2,
                 "signed", 16, "-t", "mat5")


if __name__ == "__main__":
    main()
