#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz corpora (corpus/<target>/seed-*).

The bank files that the plug-in itself wrote (real-*) and the inputs the fuzzers
found are kept as they are; run this again after changing a seed below.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# ---- pattern text ------------------------------------------------------------------
HEADER = "[QVT SeqPattern]"
TYPICAL = ["0.04000000000", "0.50000000000"] + ["%.11f" % (0.43 + 0.02 * i) for i in range(16)]


def pattern(values, header=HEADER, end="\r\n"):
    return end.join([header] + list(values)) + end


def with_value(position, text):
    values = list(TYPICAL)
    values[position] = text
    return pattern(values)


write("pattern_text", "copied", pattern(TYPICAL))
write("pattern_text", "lower-case-header", pattern(TYPICAL, "[qvt seqpattern]"))
write("pattern_text", "blanks-around", pattern(["  \t" + v + " \t" for v in TYPICAL],
                                               " \t\x01" + HEADER + "  "))
write("pattern_text", "lf-endings", pattern(TYPICAL, end="\n"))
write("pattern_text", "cr-endings", pattern(TYPICAL, end="\r"))
write("pattern_text", "no-final-ending", pattern(TYPICAL)[:-2])
write("pattern_text", "seventeen-lines", pattern(TYPICAL[:16]))
write("pattern_text", "word-in-fifth", with_value(4, "abc"))
write("pattern_text", "too-many-lines", pattern(TYPICAL + ["0.7"] * 12))
write("pattern_text", "empty", "")
write("pattern_text", "header-only", HEADER + "\r\n")
write("pattern_text", "wrong-header", pattern(TYPICAL, "[QVT Pattern]"))
write("pattern_text", "text-before-header", "Pattern:\r\n" + pattern(TYPICAL))
write("pattern_text", "huge", pattern(["340282346638528859811704183484516925440.0",
                                       "-340282346638528859811704183484516925440.0",
                                       "340282356779733661637539395458142568448.0",
                                       "9" * 60 + ".5", "1" + "0" * 400 + ".0"] + TYPICAL[5:]))
write("pattern_text", "tiny", pattern(["0." + "0" * 40 + "1", "0." + "0" * 400 + "1",
                                       "-0." + "0" * 320 + "7", "0.00000000001",
                                       "0.000000000000000000000000000000000000000000001401298"]
                                      + TYPICAL[5:]))
write("pattern_text", "negative", pattern(["-0.5", "-1000000.0", "-0.0", "-0", "-1.5"]
                                          + TYPICAL[5:]))
write("pattern_text", "large-steps", pattern(TYPICAL[:2] + ["40.0", "13.5", "-40.0", "12.0"]
                                             + TYPICAL[6:]))
for i, spelling in enumerate(["nan", "NaN", "-nan", "inf", "-inf", "+Inf", "infinity", "1e3",
                              "1E-3", "1.5e+2", "0x10", "0x1p3", "0X1.8", "0,5", "+0.5", ".5",
                              "5.", ".", "-", "+", "1.2.3", "--1", "0.5x", "0000000.25",
                              "\xa00.5", "\xbd", "\xef\xbc\x91"]):
    write("pattern_text", "spelling-%02d" % i, with_value(2 + i % 16, spelling))
write("pattern_text", "binary-after-header",
      pattern(TYPICAL[:3]) + "".join(chr(b) for b in range(256)) + "\r\n" * 20)
write("pattern_text", "blank-lines", pattern([""] * 18))
write("pattern_text", "nul-inside", with_value(1, "0.5\x000.7"))

# ---- bank files --------------------------------------------------------------------
MAGIC = b"\xa4QVT"


def header(version, count, magic=MAGIC):
    return magic + struct.pack("<HH", version, count)


def record(name, values, floats):
    raw = name.encode("latin-1")[:23].ljust(23, b"\0")
    vals = list(values) + [0.0] * (floats - len(values))
    return raw + struct.pack("<%df" % floats, *vals[:floats])


def program(i, floats=72):
    return record("Program %d" % i, [((i * 7 + k) % 10) / 10.0 for k in range(floats)], floats)


write("bank_file", "v22-three", header(22, 3) + b"".join(program(i) for i in range(3)))
write("bank_file", "v21-two", header(21, 2) + b"".join(program(i, 71) for i in range(2)))
v20 = [0.0] * 70
v20[10], v20[11], v20[12] = 0.3333, 1.0, 2.0 / 3.0
write("bank_file", "v20-waveforms", header(20, 2) + record("Old", v20, 70) + program(1, 70))
write("bank_file", "v21-invert", header(21, 1) + record("Pipe", [0.0] * 32 + [0.7], 71))
write("bank_file", "empty-count", header(22, 0))
write("bank_file", "version-23", header(23, 1) + program(0))
write("bank_file", "version-19", header(19, 1) + program(0))
write("bank_file", "not-a-bank", b"RIFF" + b"\0" * 300)
write("bank_file", "short-header", MAGIC + b"\x16")
write("bank_file", "nothing", b"")
write("bank_file", "truncated-record", header(22, 2) + program(0) + program(1)[:100])
write("bank_file", "count-beyond-data", header(22, 65535) + program(0))
write("bank_file", "trailing-bytes", header(22, 1) + program(0) + b"extra bytes after the bank")
write("bank_file", "name-without-zero", header(22, 1) + record("N" * 23, [0.5] * 72, 72))
odd = [float("nan"), float("inf"), -float("inf"), -1.0, 2.0, 1e30, -1e30, 1e-45, 3.4e38]
write("bank_file", "odd-values", header(22, 2) + record("Odd", (odd * 8)[:72], 72)
      + record("Odd too", (odd[::-1] * 8)[:72], 72))
write("bank_file", "v20-odd-waveforms", header(20, 1) + record("W", [1e30] * 70, 70))
write("bank_file", "accented-name", header(22, 1) + record("Caf\xe9 \xabbass\xbb", [0.5] * 72, 72))

# ---- dispatcher sequences ----------------------------------------------------------
# The bytes follow the reader in DispatcherFuzzer.cpp: an action byte (mod 8),
# then the action's fields.
def u32(v):
    return struct.pack(">I", v & 0xFFFFFFFF)


def dispatch(opcode, index=b"\x04\x00", value=b"\x03", opt=b"\x01\x00", null=False, extra=b""):
    # index: kind byte 4 -> InRange(0, 90) from the next byte; value kind 3 -> 0;
    # opt: odd byte -> one of the usual rates.
    return bytes([0, opcode]) + index + value + opt + bytes([0 if null else 255]) + extra


def set_parameter(index, kind_and_value):
    return bytes([3, 4, index]) + kind_and_value


def render(frames_kind, frames, outputs=7, replacing=True):
    return bytes([5, frames_kind]) + frames + bytes([outputs, 1 if replacing else 0])


def note_list(*notes):
    data = bytes([2, len(notes) - 1 + 12])  # kind 2 -> InRange(1, 12) from the next byte
    for status, key, velocity in notes:
        data += bytes([0, 1]) + bytes([1]) + u32(0) + u32(0) + bytes([status, 0, 0, key, velocity, 0])
    return data + bytes([1] * len(notes))


RATE_10MHZ = bytes([1, 5])       # odd byte, then entry 5 of the rates: 10 MHz
NAN = bytes([0, 200, 14])        # even byte, special value 14: not a number
MAX_FLOAT = bytes([0, 200, 10])  # even byte, special value 10: the largest float

write("dispatcher", "note-and-render", b"\x01" + bytes([6]) + note_list((1, 60, 100))
      + render(3, u32(512)))
write("dispatcher", "ten-megahertz", b"\x01" + dispatch(10, opt=RATE_10MHZ)
      + bytes([6]) + note_list((1, 57, 100)) + render(3, u32(4096)))
write("dispatcher", "absurd-rates", b"\x01" + dispatch(10, opt=MAX_FLOAT)
      + dispatch(10, opt=NAN) + dispatch(43, value=b"\x01" + u32(0x7FFFFFFF), opt=MAX_FLOAT)
      + render(3, u32(256)))
write("dispatcher", "negative-frames", b"\x01" + render(1, u32(5)) + render(0, b"")
      + render(3, u32(64), outputs=0) + render(3, u32(64), outputs=1) + render(3, u32(64), outputs=2))
write("dispatcher", "null-everywhere", b"\x01" + b"".join(dispatch(op, null=True)
                                                          for op in range(80) if op != 1))
write("dispatcher", "close-early", b"\x01" + dispatch(1) + render(3, u32(64)))
write("dispatcher", "odd-events", b"\x01" + bytes([6, 1]) + u32(17) + bytes([6, 0])
      + bytes([6, 2, 2, 255]) + u32(1234) + bytes([0]) + u32(0xFFFFFFFF) + u32(0)
      + bytes([3, 0, 0, 0, 0, 0]) + bytes([230]) + u32(6) + bytes([1]) + u32(99) + u32(0)
      + bytes([1, 0, 0, 0, 0, 0]) + bytes([1, 0]) + render(3, u32(128)))
write("dispatcher", "wild-parameters", b"\x01" + b"".join(
    set_parameter(i, MAX_FLOAT if i % 3 == 0 else NAN) for i in range(72))
      + bytes([6]) + note_list((1, 60, 100)) + render(3, u32(2048)))
write("dispatcher", "texts", b"\x01" + b"".join(dispatch(op, index=bytes([4, i]))
                                               for op in (5, 6, 7, 8, 29, 33, 34, 45, 47, 48)
                                               for i in (0, 80, 90))
      + dispatch(4, extra=bytes([40]) + b"A very long program name that goes on and on....")
      + dispatch(51, extra=bytes([16]) + b"receiveVstEvents"))
write("dispatcher", "editor", b"\x01" + dispatch(13) + dispatch(14) + dispatch(19) + dispatch(15)
      + dispatch(59, index=bytes([1])) + dispatch(60, index=bytes([0])))
