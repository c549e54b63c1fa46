#!/usr/bin/python3
"""Builds every sound and music file of Tavo into resources/sounds/.

Run from anywhere:  /usr/bin/python3 tools/content/make_sounds.py

Music tracks are exact loops: they are mixed as periodic signals (see
sounds_music.py), levelled, limited and encoded with lame, which writes a
LAME/Xing header holding the encoder delay and padding so that decoders such
as libsndfile return exactly the loop's samples. The loop is encoded with a
little of itself wrapped around both ends, hidden again through that header,
so the decoded end runs into the decoded start as smoothly as anywhere else. Effects are 16-bit mono WAV,
except the jump, which the game loads as MP3. All randomness is seeded and no
file carries a date, so two runs write identical bytes.
"""

import ctypes
import subprocess
import sys
import tempfile
import wave
from pathlib import Path

import numpy as np
from numpy.lib.stride_tricks import sliding_window_view

sys.path.insert(0, str(Path(__file__).resolve().parent))
import sounds_effects  # noqa: E402
import sounds_music  # noqa: E402
from sounds_synth import SR, seconds  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
OUT = ROOT / "resources" / "sounds"

# Levels in dBFS (gated power, see loudness_db). Music and effects share one
# level; footsteps repeat two or three times a second and sit lower.
MUSIC_LEVEL = -18.0
EFFECT_LEVEL = -18.0
FOOTSTEP_LEVEL = -24.0
CEILING = 10 ** (-2.5 / 20.0)  # sample peak before encoding; leaves room for MP3 overshoot
LAME_FLAGS = ["--quiet", "--nohist", "-V", "2", "--noreplaygain"]
LOOP_CONTEXT = 1152  # samples of wrap-around context around an encoded loop (one MP3 frame)


# ---------------------------------------------------------------- levels

def loudness_db(x):
    """Mean power of the 20 ms blocks that come within 20 dB of the loudest
    block, in dBFS: music is measured as a whole, short effects on their
    audible part rather than on their silent tails."""
    x = np.atleast_2d(x)
    block = seconds(0.02)
    nb = x.shape[1] // block
    if nb == 0:
        return 10 * np.log10(np.mean(x ** 2) + 1e-20)
    p = np.mean(x[:, :nb * block].reshape(x.shape[0], nb, block) ** 2, axis=(0, 2))
    keep = p[p >= p.max() * 0.01]
    return 10 * np.log10(np.mean(keep) + 1e-20)


def limit(x, ceiling, circular):
    """Look-ahead peak limiter: the gain curve is the moving minimum of the
    needed gain, smoothed over the same window, so no sample exceeds the
    ceiling and the gain never jumps. Circular for loops."""
    x = np.atleast_2d(x)
    need = np.minimum(1.0, ceiling / np.maximum(np.max(np.abs(x), axis=0), 1e-12))
    if need.min() >= 1.0:
        return x
    w = seconds(0.003)
    if circular:
        pad = np.concatenate((need[-2 * w:], need, need[:2 * w]))
    else:
        pad = np.concatenate((np.ones(2 * w), need, np.ones(2 * w)))
    m = sliding_window_view(pad, 2 * w + 1).min(axis=1)  # length n + 2w
    c = np.concatenate(([0.0], np.cumsum(m)))
    g = (c[2 * w + 1:] - c[:-(2 * w + 1)]) / (2 * w + 1)
    return x * np.minimum(g, need)


def level(x, target_db, circular):
    x = np.atleast_2d(x)
    for _ in range(3):
        x = x * 10 ** ((target_db - loudness_db(x)) / 20.0)
        x = limit(x, CEILING, circular)
    return x


# ---------------------------------------------------------------- files

def to_pcm16(x):
    x = np.atleast_2d(x)
    q = np.clip(np.round(x * 32767.0), -32767, 32767).astype("<i2")
    return q.T.copy()


def write_wav(path, x):
    q = to_pcm16(x)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(q.shape[1])
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(q.tobytes())


def write_mp3(path, x, loop=False):
    """Encode with lame. A loop is encoded with LOOP_CONTEXT samples of its
    own end in front and of its own start behind, so the encoder codes its
    edges as the middle of the music it really is; the LAME header's encoder
    delay and padding are then widened to hide that context again."""
    x = np.atleast_2d(x)
    if loop:
        x = np.concatenate((x[:, -LOOP_CONTEXT:], x, x[:, :LOOP_CONTEXT]), axis=1)
    with tempfile.TemporaryDirectory() as tmp:
        wav = Path(tmp) / "in.wav"
        write_wav(wav, x)
        subprocess.run(["lame", *LAME_FLAGS, str(wav), str(path)], check=True)
    if loop:
        data = bytearray(path.read_bytes())
        widen_lame_gap(data, LOOP_CONTEXT, LOOP_CONTEXT)
        path.write_bytes(bytes(data))


def crc16(data):
    """CRC-16 (polynomial 0x8005, reflected) as used by the LAME tag."""
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def widen_lame_gap(data, more_delay, more_padding):
    """Add to the encoder delay and padding stored in the LAME tag of the
    first (Xing) frame and renew the tag's checksum."""
    tag = data.find(b"LAME", 0, 400)
    if tag < 0 or crc16(data[:tag + 34]) != (data[tag + 34] << 8 | data[tag + 35]):
        raise RuntimeError("no valid LAME tag in the first frame")
    d = data[tag + 21:tag + 24]
    delay = (d[0] << 4 | d[1] >> 4) + more_delay
    padding = ((d[1] & 15) << 8 | d[2]) + more_padding
    if delay > 4095 or padding > 4095:
        raise RuntimeError("encoder delay or padding too large for the LAME tag")
    data[tag + 21:tag + 24] = bytes((delay >> 4, (delay & 15) << 4 | padding >> 8, padding & 255))
    crc = crc16(data[:tag + 34])
    data[tag + 34:tag + 36] = bytes((crc >> 8, crc & 255))


# ---------------------------------------------------------------- decoding check

class _SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


def decode(path):
    """Decode with libsndfile, as the game and the content test do."""
    lib = ctypes.CDLL("libsndfile.so.1")
    lib.sf_open.restype = ctypes.c_void_p
    lib.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(_SfInfo)]
    lib.sf_readf_float.restype = ctypes.c_int64
    lib.sf_readf_float.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int64]
    lib.sf_close.argtypes = [ctypes.c_void_p]
    info = _SfInfo()
    handle = lib.sf_open(str(path).encode(), 0x10, ctypes.byref(info))
    if not handle:
        raise RuntimeError(f"libsndfile cannot open {path}")
    chunks = []
    while True:
        buf = np.zeros((65536, info.channels), np.float32)
        got = lib.sf_readf_float(handle, buf.ctypes.data, 65536)
        if got <= 0:
            break
        chunks.append(buf[:got])
    lib.sf_close(handle)
    return info.samplerate, np.concatenate(chunks).T


def report(name, x, decoded=None, loop=False):
    """Print the levels of one file; return what is wrong with it."""
    problems = []
    y = x if decoded is None else decoded
    peak = 20 * np.log10(np.max(np.abs(y)) + 1e-12)
    if peak > -1.0:
        problems.append(f"{name}: peak {peak:.1f} dBFS leaves under 1 dB of headroom")
    line = f"{name:18s} {x.shape[-1] / SR:6.2f} s  loudness {loudness_db(y):6.1f} dB  peak {peak:5.1f} dB"
    if loop:
        steps = np.abs(np.diff(y, axis=1))
        seam = np.abs(y[:, 0] - y[:, -1]).max()
        line += f"  seam step {seam:.4f} (99.9% of steps {np.percentile(steps, 99.9):.4f})"
        if decoded is not None:
            # coding error is continuous through the seam when the context trick works
            e = decoded - to_pcm16(x).T / 32767.0
            jump = np.abs(e[:, 0] - e[:, -1]).max()
            line += f"  coding-error jump {jump:.4f} (median step {np.median(np.abs(np.diff(e, axis=1))):.4f})"
    print(line, flush=True)
    return problems


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    only = set(sys.argv[1:])
    problems = []
    for name, make in sounds_music.TRACKS.items():
        if only and name not in only:
            continue
        x = level(make(), MUSIC_LEVEL, circular=True)
        path = OUT / name
        write_mp3(path, x, loop=True)
        rate, y = decode(path)
        if rate != SR or y.shape != x.shape:
            problems.append(f"{name}: decodes to {y.shape} at {rate} Hz, wanted {x.shape} at {SR} Hz")
        problems += report(name, x, y, loop=True)
    for name, make in sounds_effects.MP3_EFFECTS.items():
        if only and name not in only:
            continue
        x = level(make(), EFFECT_LEVEL, circular=False)
        path = OUT / name
        write_mp3(path, x)
        rate, y = decode(path)
        if rate != SR or y.shape != x.shape:
            problems.append(f"{name}: decodes to {y.shape} at {rate} Hz, wanted {x.shape} at {SR} Hz")
        problems += report(name, x, y)
    for name, make in sounds_effects.EFFECTS.items():
        if only and name not in only:
            continue
        target = FOOTSTEP_LEVEL if name.startswith("dirt") else EFFECT_LEVEL
        x = level(make(), target, circular=False)
        write_wav(OUT / name, x)
        problems += report(name, x)
    for p in problems:
        print("ERROR: " + p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
