"""Tavo's music: a small loop sequencer, a melody writer and the arrangements
of every track (menu, five levels, umbrella power-up, level complete).

A `Song` is one loop of `n` samples. Notes are mixed into buffers that are a
few seconds longer than the loop; the overhang is folded back onto the start,
and reverb and echo are applied as circular operations over the loop. The
result is exactly periodic: playing the last sample and then the first one is
the same as playing any two neighbouring samples of the piece.
"""

import numpy as np

import sounds_synth as sy
from sounds_synth import SR, midi_hz, seconds

MAJOR = [0, 2, 4, 5, 7, 9, 11]


# ---------------------------------------------------------------- loop mixing

class Song:
    def __init__(self, bpm, beats_per_bar, bars, seed, swing=0.5, tail=6.0):
        self.bpm = bpm
        self.bpb = beats_per_bar
        self.bars = bars
        self.beats = bars * beats_per_bar
        self.spb = 60.0 * SR / bpm
        self.n = int(round(self.beats * self.spb))
        self.swing = swing
        length = self.n + seconds(tail)
        self.dry = np.zeros((2, length))
        self.verb = np.zeros((2, length))
        self.echo = np.zeros((2, length))
        self.rng = np.random.default_rng(seed)

    def sample_at(self, beat):
        beat = beat % self.beats
        b = np.floor(beat)
        f = beat - b
        if f < 0.5:
            f = f * 2.0 * self.swing
        else:
            f = self.swing + (f - 0.5) * 2.0 * (1.0 - self.swing)
        return (b + f) * self.spb

    def dur(self, beats):
        return beats * 60.0 / self.bpm

    def add(self, sig, beat, pan=0.0, gain=1.0, verb=0.25, echo=0.0, jitter=0.004):
        start = int(round(self.sample_at(beat) + self.rng.uniform(0.0, jitter) * SR))
        end = start + len(sig)
        if end > self.dry.shape[1]:
            raise ValueError("note runs past the loop tail")
        a = (pan + 1.0) * np.pi / 4.0
        gl, gr = np.cos(a) * gain, np.sin(a) * gain
        for bus, amount in ((self.dry, 1.0), (self.verb, verb), (self.echo, echo)):
            if amount:
                bus[0, start:end] += gl * amount * sig
                bus[1, start:end] += gr * amount * sig

    def _fold(self, buf):
        out = buf[:, :self.n].copy()
        over = buf[:, self.n:]
        k = over.shape[1]
        while k > 0:
            step = min(k, self.n)
            out[:, :step] += over[:, :step]
            over = over[:, step:]
            k -= step
        return out

    def render(self, room=(1.7, 1.2, 0.6), echo_beats=0.75, echo_feedback=0.4, verb_seed=7):
        dry = self._fold(self.dry)
        wet_in = self._fold(self.verb)
        echo_in = self._fold(self.echo)
        if np.any(echo_in):
            d = int(round(echo_beats * self.spb))
            g = 0.55
            for tap in range(1, 7):
                ch = 0 if tap % 2 else 1  # ping-pong: left, right, left...
                delayed = np.roll(echo_in.sum(axis=0) * 0.5, tap * d)
                dry[ch] += g * delayed
                wet_in[ch] += 0.5 * g * delayed
                g *= echo_feedback
        ir = reverb_ir(np.random.default_rng(verb_seed), room)
        mix = dry + circular_convolve(wet_in, ir)
        return highpass_circular(mix, 28.0)


def reverb_ir(rng, rt60=(1.7, 1.2, 0.6), length=2.6, predelay=0.014):
    """Stereo room impulse response: decorrelated noise decaying faster in
    the treble than in the bass, plus a few early reflections."""
    n = seconds(length)
    t = np.arange(n) / SR
    f = np.fft.rfftfreq(n, 1.0 / SR)
    low = 1.0 / (1.0 + (f / 700.0) ** 4)
    high = (f / 4500.0) ** 4 / (1.0 + (f / 4500.0) ** 4)
    mid = np.clip(1.0 - low - high, 0.0, 1.0)
    ir = np.zeros((2, n))
    for ch in range(2):
        spectrum = np.fft.rfft(rng.standard_normal(n))
        for mask, rt in zip((low, mid, high), rt60):
            ir[ch] += np.fft.irfft(spectrum * mask, n) * np.exp(-6.91 * t / rt)
        ir[ch] *= 1.0 - np.exp(-t / 0.02)
        for _ in range(6):
            pos = seconds(rng.uniform(0.005, 0.045))
            ir[ch, pos] += rng.uniform(-1.0, 1.0) * 6.0
        ir[ch] /= np.sqrt(np.sum(ir[ch] ** 2))
    shift = seconds(predelay)
    return np.concatenate((np.zeros((2, shift)), ir), axis=1)


def circular_convolve(x, ir):
    n = x.shape[1]
    h = np.zeros((2, n))
    h[:, :ir.shape[1]] = ir[:, :n]
    return np.fft.irfft(np.fft.rfft(x, axis=1) * np.fft.rfft(h, axis=1), n, axis=1)


def highpass_circular(x, cutoff):
    n = x.shape[1]
    f = np.fft.rfftfreq(n, 1.0 / SR)
    spectrum = np.fft.rfft(x, axis=1) * sy.band_mask(f, lo=cutoff, order=2)
    spectrum[:, 0] = 0.0
    return np.fft.irfft(spectrum, n, axis=1)


# ---------------------------------------------------------------- harmony and melody

class Key:
    def __init__(self, tonic):
        self.tonic = tonic  # MIDI note of degree 0

    def midi(self, deg):
        return self.tonic + 12 * (deg // 7) + MAJOR[deg % 7]

    def hz(self, deg):
        return midi_hz(self.midi(deg))

    @staticmethod
    def chord_set(root):
        r = root - 1
        return {r % 7, (r + 2) % 7, (r + 4) % 7}

    def voicing(self, root, center, size=3, seventh=False):
        """Chord tones (MIDI) of a chord on scale degree `root` (1..7) in the
        inversion closest to `center`."""
        r = root - 1
        degs = [r, r + 2, r + 4] + ([r + 6] if seventh else [])
        best = None
        for inv in range(len(degs)):
            d = degs[inv:] + [x + 7 for x in degs[:inv]]
            for octave in (-14, -7, 0, 7):
                notes = [self.midi(x + octave) for x in d][:size]
                score = abs(np.mean(notes) - center)
                if best is None or score < best[0]:
                    best = (score, notes)
        return best[1]

    def bass_note(self, root, low=40):
        m = self.midi(root - 1)
        while m >= low + 12:
            m -= 12
        while m < low:
            m += 12
        return m


def snap(deg, chord, prefer=-1):
    """Nearest scale degree whose pitch class is in `chord`; on a tie the
    one in direction `prefer` (+1 up, -1 down) wins."""
    for d in (0, 1, 2, 3):
        for cand in (deg + d * prefer, deg - d * prefer):
            if cand % 7 in chord:
                return cand
    return deg


RHYTHMS_4 = [
    [(0, 1), (1, 0.5), (1.5, 0.5), (2, 1.5), (3.5, 0.5)],
    [(0, 0.5), (0.5, 0.5), (1, 1), (2, 0.5), (2.5, 0.5), (3, 1)],
    [(0, 1.5), (1.5, 0.5), (2, 2)],
    [(0.5, 0.5), (1, 0.5), (1.5, 1), (2.5, 0.5), (3, 1)],
    [(0, 1), (1, 1), (2, 0.5), (2.5, 0.5), (3, 0.5), (3.5, 0.5)],
    [(0, 0.5), (0.5, 1), (1.5, 0.5), (2, 1), (3, 1)],
    [(0, 1), (1.5, 0.5), (2, 0.5), (2.5, 1.5)],
]
RHYTHMS_4_SLOW = [
    [(0, 2), (2, 1), (3, 1)],
    [(0, 1.5), (1.5, 0.5), (2, 2)],
    [(0, 1), (1, 1), (2, 2)],
    [(0, 3), (3, 1)],
    [(0.5, 0.5), (1, 1), (2, 2)],
]
ENDINGS_4 = [[(0, 1), (1, 1), (2, 2)], [(0, 0.5), (0.5, 0.5), (1, 3)], [(0, 2), (2, 2)]]
RHYTHMS_3 = [
    [(0, 1), (1, 1), (2, 1)],
    [(0, 2), (2, 1)],
    [(0, 1.5), (1.5, 0.5), (2, 1)],
    [(0, 1), (1, 0.5), (1.5, 0.5), (2, 1)],
    [(0, 0.5), (0.5, 0.5), (1, 1), (2, 1)],
]
ENDINGS_3 = [[(0, 3)], [(0, 2), (2, 1)]]
TURNAROUND_4 = [[(2, 0.5), (2.5, 0.5), (3, 0.5), (3.5, 0.5)], [(3, 0.5), (3.5, 0.5)], [(2, 1), (3, 1)]]


def write_melody(rng, key, prog, form, bpb, rhythms, endings, lo, hi, start):
    """Melody over `prog` (one chord root per bar). `form` gives one letter per
    bar: equal letters share rhythm and contour, so motifs come back over new
    chords. Lower-case 'e' ends a phrase on a long chord tone, 'z' lands on the
    tonic, 't' is a short turnaround back to the top of the loop."""
    if len(form) != len(prog):
        raise ValueError("melody form and chord progression differ in length")
    cells = {}
    notes = []
    deg = start
    for bar, (letter, root) in enumerate(zip(form, prog)):
        if letter not in cells:
            if letter in "ez":
                rhythm = endings[rng.integers(len(endings))]
            elif letter == "t":
                rhythm = TURNAROUND_4[rng.integers(len(TURNAROUND_4))] if bpb == 4 else [(1, 1), (2, 1)]
            else:
                rhythm = rhythms[rng.integers(len(rhythms))]
            steps = rng.choice([-2, -1, -1, -1, 1, 1, 1, 2, 3, -3], len(rhythm))
            if letter in "t":
                steps = np.array([1] * len(rhythm))
            cells[letter] = (rhythm, steps)
        rhythm, steps = cells[letter]
        chord = Key.chord_set(root)
        for i, ((on, length), step) in enumerate(zip(rhythm, steps)):
            cand = deg + int(step)
            while cand > hi:
                cand -= 2
            while cand < lo:
                cand += 2
            last = i == len(rhythm) - 1
            if letter == "z" and last:
                cand = min((d for d in range(lo - 7, hi + 8) if d % 7 == 0), key=lambda d: abs(d - cand))
            elif (on == int(on) and on % 2 == 0) or length >= 1:
                way = 1 if step > 0 else -1
                cand = snap(cand, chord, way)
                if cand == deg:
                    cand = snap(cand + way, chord, way)
            deg = cand
            notes.append((bar * bpb + on, length, deg))
    return notes


def arp_notes(key, root, center, pattern, step, bar_start, size=3, seventh=False):
    chord = key.voicing(root, center, size=size, seventh=seventh)
    chord = chord + [c + 12 for c in chord]
    return [(bar_start + i * step, chord[p]) for i, p in enumerate(pattern)]


def hum(rng, v, amount=0.1):
    return v * (1.0 + rng.uniform(-amount, amount))


# ---------------------------------------------------------------- drums

class Kit:
    """A few pre-rendered variants of each drum so repeats are not identical."""

    def __init__(self, seed, **params):
        rng = np.random.default_rng(seed)
        self.rng = rng
        self.hits = {
            "kick": [sy.kick(rng, **params.get("kick", {})) for _ in range(2)],
            "snare": [sy.snare(rng, **params.get("snare", {})) for _ in range(3)],
            "brush": [sy.snare(rng, brush=True) for _ in range(3)],
            "clap": [sy.clap(rng) for _ in range(3)],
            "hat": [sy.hat(rng) for _ in range(4)],
            "ohat": [sy.hat(rng, open_=True) for _ in range(2)],
            "shaker": [sy.shaker(rng) for _ in range(4)],
            "tamb": [sy.tambourine(rng) for _ in range(3)],
            "conga_lo": [sy.conga(rng, freq=185.0) for _ in range(2)],
            "conga_hi": [sy.conga(rng, freq=290.0) for _ in range(2)],
            "block": [sy.woodblock(rng) for _ in range(2)],
            "block_lo": [sy.woodblock(rng, freq=880.0) for _ in range(2)],
            "triangle": [sy.triangle(rng)],
        }

    def play(self, song, name, beat, gain=1.0, pan=0.0, verb=0.12):
        variants = self.hits[name]
        sig = variants[song.rng.integers(len(variants))]
        song.add(sig, beat, pan=pan, gain=hum(song.rng, gain, 0.12), verb=verb, jitter=0.003)


# ---------------------------------------------------------------- shared parts

def part_melody(song, key, notes, voice, gain, pan=0.0, verb=0.3, echo=0.0, octave=0, skip_bars=()):
    for on, length, deg in notes:
        if int(on // song.bpb) in skip_bars:
            continue
        f = midi_hz(key.midi(deg) + 12 * octave)
        sig = voice(f, song.dur(length) * 0.92, hum(song.rng, 0.9, 0.1))
        song.add(sig, on, pan=pan, gain=gain, verb=verb, echo=echo)


def part_pad(song, key, prog, center, gain, size=3, bars=None):
    for bar, root in enumerate(prog):
        if bars is not None and bar not in bars:
            continue
        chord = key.voicing(root, center, size=size)
        hold = song.dur(song.bpb) * 0.98
        for i, m in enumerate(chord):
            for cents, pan in ((-7.0, -0.6), (7.0, 0.6)):
                sig = sy.pad_voice(midi_hz(m), hold, 0.8, cents, phase0=0.37 * i)
                song.add(sig, bar * song.bpb, pan=pan, gain=gain / len(chord), verb=0.6, jitter=0.0)


# ---------------------------------------------------------------- the tracks

def track_meadow():
    """Level 1: bright C major, marimba tune over harp arpeggios."""
    song = Song(112, 4, 16, seed=101)
    key = Key(60)
    prog = [1, 5, 6, 4, 1, 5, 4, 5, 6, 4, 1, 5, 4, 5, 1, 5]
    form = "abae" "abcf" "ghgi" "abzt"
    rng = np.random.default_rng(11)
    mel = write_melody(rng, key, prog, form, 4, RHYTHMS_4, ENDINGS_4, 5, 13, 9)
    part_melody(song, key, mel, sy.marimba, 0.55, pan=0.1, verb=0.3)
    part_melody(song, key, mel, sy.glock, 0.16, pan=-0.3, octave=1, skip_bars=range(0, 8), verb=0.4)
    pattern = [0, 1, 2, 3, 2, 1, 2, 1]
    for bar, root in enumerate(prog):
        for on, m in arp_notes(key, root, 62, pattern, 0.5, bar * 4):
            song.add(sy.pluck(midi_hz(m), song.dur(0.5), hum(song.rng, 0.7)), on, pan=-0.35, gain=0.32, verb=0.35)
        b = key.bass_note(root)
        for on, mm, ln in ((0, b, 1.0), (1.5, b, 0.5), (2, b + 7, 1.0), (3, b + 12, 0.5), (3.5, b + 7, 0.5)):
            song.add(sy.bass(midi_hz(mm), song.dur(ln) * 0.9, hum(song.rng, 0.9)), bar * 4 + on, gain=0.55, verb=0.05)
    part_pad(song, key, prog, 64, 0.18)
    kit = Kit(1001)
    for bar in range(16):
        base = bar * 4
        for b in (0, 2):
            kit.play(song, "kick", base + b, 0.75)
        if bar % 4 == 3:
            kit.play(song, "kick", base + 2.5, 0.5)
        for b in (1, 3):
            kit.play(song, "clap", base + b, 0.38, pan=0.1)
        for i in range(8):
            kit.play(song, "shaker", base + i * 0.5, 0.45 if i % 2 else 0.3, pan=0.4)
        if bar % 8 == 7:
            for i, b in enumerate((3, 3.25, 3.5, 3.75)):
                kit.play(song, "conga_hi" if i % 2 else "conga_lo", base + b, 0.35, pan=-0.2)
    return song.render(room=(1.5, 1.1, 0.5))


def track_skip():
    """Level 2: G major shuffle, flute tune, electric piano off-beats, walking bass."""
    song = Song(128, 4, 16, seed=202, swing=0.63)
    key = Key(67)
    prog = [1, 6, 2, 5, 1, 6, 4, 5, 4, 4, 1, 6, 2, 5, 1, 5]
    form = "abce" "abdf" "gghe" "abzt"
    rng = np.random.default_rng(22)
    mel = write_melody(rng, key, prog, form, 4, RHYTHMS_4, ENDINGS_4, 0, 9, 4)
    frng = np.random.default_rng(23)
    part_melody(song, key, mel, lambda f, d, v: sy.flute(f, d, v, frng), 0.45, pan=0.05, verb=0.35, echo=0.12)
    for bar, root in enumerate(prog):
        chord = key.voicing(root, 62, seventh=True, size=4)
        for b in (0.5, 1.5, 2.5, 3.5):
            for m in chord:
                sig = sy.epiano(midi_hz(m), song.dur(0.3), hum(song.rng, 0.55))
                song.add(sig, bar * 4 + b, pan=-0.3, gain=0.12, verb=0.25)
        low = key.bass_note(root, low=38)
        nxt = key.bass_note(prog[(bar + 1) % 16], low=38)
        third = low + (MAJOR[(root + 1) % 7] - MAJOR[(root - 1) % 7]) % 12
        approach = nxt - 1 if song.rng.random() < 0.5 else nxt + 2
        for b, m in zip(range(4), (low, third, low + 7, approach)):
            song.add(sy.bass(midi_hz(m), song.dur(0.9), hum(song.rng, 0.85)), bar * 4 + b, gain=0.6, verb=0.05)
    kit = Kit(2002, kick={"decay": 0.16})
    for bar in range(16):
        base = bar * 4
        kit.play(song, "kick", base, 0.7)
        kit.play(song, "kick", base + 2, 0.6)
        for b in (1, 3):
            kit.play(song, "brush", base + b, 0.8, pan=0.15)
        for i in range(8):
            kit.play(song, "hat", base + i * 0.5, 0.3 if i % 2 == 0 else 0.18, pan=0.35)
        if bar % 4 == 3:
            kit.play(song, "block", base + 3.5, 0.4, pan=-0.4)
    return song.render(room=(1.4, 1.0, 0.5), echo_beats=0.75)


def track_waltz():
    """Level 3: F major waltz, glockenspiel and flute over oom-pah-pah."""
    song = Song(156, 3, 32, seed=303)
    key = Key(65)
    prog = [1, 1, 5, 5, 5, 5, 1, 1,
            1, 1, 4, 4, 1, 5, 1, 1,
            4, 4, 1, 1, 2, 5, 1, 6,
            2, 5, 1, 6, 4, 5, 1, 5]
    form = "abcdabce" "abfgahiz" "jkjlmnoe" "pqjrabsw"
    rng = np.random.default_rng(33)
    mel = write_melody(rng, key, prog, form, 3, RHYTHMS_3, ENDINGS_3, 4, 12, 7)
    frng = np.random.default_rng(34)
    a_part = [n for n in mel if n[0] < 48 or n[0] >= 72]
    b_part = [n for n in mel if 48 <= n[0] < 72]
    part_melody(song, key, a_part, sy.glock, 0.38, pan=0.15, verb=0.4)
    part_melody(song, key, b_part, lambda f, d, v: sy.flute(f, d, v, frng), 0.42, pan=0.0, verb=0.4, octave=-1)
    part_melody(song, key, a_part, sy.marimba, 0.12, pan=-0.2, octave=-1, verb=0.3)
    for bar, root in enumerate(prog):
        low = key.bass_note(root, low=41)
        m = low if bar % 2 == 0 else low + 7 - (12 if low + 7 > 55 else 0)
        song.add(sy.bass(midi_hz(m), song.dur(0.9), hum(song.rng, 0.9)), bar * 3, gain=0.6, verb=0.08)
        chord = key.voicing(root, 60)
        for b in (1, 2):
            for mm in chord:
                song.add(sy.pluck(midi_hz(mm), song.dur(0.6), hum(song.rng, 0.55), bright=0.8), bar * 3 + b, pan=-0.3, gain=0.16, verb=0.35)
    part_pad(song, key, prog, 67, 0.12)
    kit = Kit(3003)
    for bar in range(32):
        if bar % 4 == 0:
            kit.play(song, "triangle", bar * 3, 0.6, pan=0.5, verb=0.4)
        for b in (1, 2):
            kit.play(song, "shaker", bar * 3 + b, 0.3, pan=0.4)
        kit.play(song, "kick", bar * 3, 0.35)
    return song.render(room=(2.0, 1.5, 0.8))


def track_chip():
    """Level 4: D major, playful pulse-wave tune, fast arpeggios, bouncy bass."""
    song = Song(144, 4, 16, seed=404)
    key = Key(62)
    prog = [1, 4, 5, 4, 1, 4, 5, 5, 6, 4, 1, 5, 6, 4, 5, 5]
    form = "abae" "abcf" "ghgi" "abjt"
    rng = np.random.default_rng(44)
    mel = write_melody(rng, key, prog, form, 4, RHYTHMS_4, ENDINGS_4, 7, 15, 11)
    part_melody(song, key, mel, lambda f, d, v: sy.soft_lead(f, d, v, duty=0.25, cutoff=3200.0),
                0.4, pan=0.0, verb=0.2, echo=0.18)
    pattern = [0, 1, 2, 4, 2, 1, 0, 1, 2, 4, 5, 4, 2, 1, 2, 3]
    for bar, root in enumerate(prog):
        for on, m in arp_notes(key, root, 67, pattern, 0.25, bar * 4):
            song.add(sy.chip_arp(midi_hz(m), song.dur(0.2), hum(song.rng, 0.6)), on, pan=-0.4, gain=0.1, verb=0.2)
        low = key.bass_note(root, low=38)
        for i in range(8):
            m = low + (12 if i % 2 else 0)
            song.add(sy.pluck(midi_hz(m), song.dur(0.45), hum(song.rng, 0.9), bright=0.7), bar * 4 + i * 0.5, pan=0.1, gain=0.42, verb=0.05)
            if i % 2 == 0:
                song.add(sy.bass(midi_hz(low), song.dur(0.4), 0.5), bar * 4 + i * 0.5, gain=0.25, verb=0.0)
    kit = Kit(4004, kick={"decay": 0.15, "punch": 110.0})
    for bar in range(16):
        base = bar * 4
        for b in (0, 1.5, 2):
            kit.play(song, "kick", base + b, 0.55)
        for b in (1, 3):
            kit.play(song, "snare", base + b, 0.42, pan=0.05)
        for i in range(16):
            kit.play(song, "hat", base + i * 0.25, 0.2 if i % 2 else 0.13, pan=0.3)
        if bar % 4 == 3:
            for b in (3.25, 3.5, 3.75):
                kit.play(song, "snare", base + b, 0.25, pan=0.05)
    return song.render(room=(1.2, 0.9, 0.4), echo_beats=0.75, echo_feedback=0.35)


def track_island():
    """Level 5: B-flat major calypso with steel drum, kalimba and congas."""
    song = Song(104, 4, 16, seed=505, swing=0.55)
    key = Key(58)
    prog = [1, 4, 5, 1, 1, 4, 5, 5, 4, 5, 3, 6, 2, 5, 1, 5]
    form = "abce" "abdf" "ghij" "abzt"
    rng = np.random.default_rng(55)
    mel = write_melody(rng, key, prog, form, 4, RHYTHMS_4, ENDINGS_4, 7, 15, 11)
    part_melody(song, key, mel, sy.steeldrum, 0.5, pan=0.1, verb=0.35)
    part_melody(song, key, mel, sy.steeldrum, 0.12, pan=-0.3, octave=-1, verb=0.3, skip_bars=range(0, 4))
    kal = [0, 2, 1, 2, 0, 2, 1, 2]
    for bar, root in enumerate(prog):
        for on, m in arp_notes(key, root, 72, kal, 0.5, bar * 4):
            if (on - bar * 4) % 1.0 == 0.5 or on % 4 == 0:
                song.add(sy.kalimba(midi_hz(m), 0.3, hum(song.rng, 0.6)), on, pan=-0.45, gain=0.22, verb=0.35)
        low = key.bass_note(root, low=34)
        for on, m, ln in ((0, low, 1.2), (1.5, low + 7, 0.5), (2, low + 12, 0.8), (3, low + 7, 0.5), (3.5, low + 4 if root in (1, 4, 5) else low + 3, 0.5)):
            song.add(sy.bass(midi_hz(m), song.dur(ln), hum(song.rng, 0.9)), bar * 4 + on, gain=0.6, verb=0.05)
    part_pad(song, key, prog, 65, 0.1)
    kit = Kit(5005)
    clave = [0, 1.5, 3, 5, 6]
    for bar in range(16):
        base = bar * 4
        kit.play(song, "kick", base, 0.6)
        kit.play(song, "kick", base + 2, 0.5)
        for b, name, g in ((0.5, "conga_hi", 0.3), (1.5, "conga_lo", 0.45), (2, "conga_lo", 0.35),
                           (2.5, "conga_hi", 0.3), (3.5, "conga_hi", 0.45)):
            kit.play(song, name, base + b, g, pan=-0.25)
        for i in range(8):
            kit.play(song, "shaker", base + i * 0.5, 0.32 if i % 2 else 0.2, pan=0.45)
        for c in clave:
            if int(c // 4) == bar % 2:
                kit.play(song, "block", base - (bar % 2) * 4 + c, 0.32, pan=0.3)
    return song.render(room=(1.6, 1.2, 0.6))


def track_menu():
    """Menu: calm E-flat major, electric piano chords and a glockenspiel tune."""
    song = Song(92, 4, 16, seed=606)
    key = Key(63)
    prog = [1, 6, 4, 5, 1, 6, 4, 5, 4, 5, 3, 6, 2, 4, 5, 5]
    form = "abce" "abcf" "ghie" "abzt"
    rng = np.random.default_rng(66)
    mel = write_melody(rng, key, prog, form, 4, RHYTHMS_4_SLOW, ENDINGS_4, 7, 14, 9)
    part_melody(song, key, mel, sy.glock, 0.38, pan=0.2, verb=0.5, echo=0.15)
    part_melody(song, key, mel, sy.marimba, 0.16, pan=-0.1, octave=-1, verb=0.4, skip_bars=range(0, 4))
    for bar, root in enumerate(prog):
        chord = key.voicing(root, 60, size=4, seventh=True)
        for b, g in ((0, 0.55), (1.5, 0.4), (2.5, 0.45)):
            for mm in chord:
                sig = sy.epiano(midi_hz(mm), song.dur(1.0 if b else 1.4), hum(song.rng, g))
                song.add(sig, bar * 4 + b, pan=-0.25, gain=0.13, verb=0.45)
        low = key.bass_note(root, low=36)
        song.add(sy.bass(midi_hz(low), song.dur(2.5), 0.8), bar * 4, gain=0.6, verb=0.05)
        song.add(sy.bass(midi_hz(low + 7), song.dur(1.2), 0.7), bar * 4 + 2.5, gain=0.5, verb=0.05)
    part_pad(song, key, prog, 67, 0.2)
    kit = Kit(6006)
    for bar in range(16):
        base = bar * 4
        kit.play(song, "kick", base, 0.45)
        kit.play(song, "kick", base + 2.5, 0.3)
        kit.play(song, "brush", base + 1, 0.5)
        kit.play(song, "brush", base + 3, 0.5)
        for i in range(8):
            kit.play(song, "shaker", base + i * 0.5, 0.26 if i % 2 else 0.16, pan=0.4)
    return song.render(room=(2.2, 1.6, 0.8), echo_beats=1.5, echo_feedback=0.35)


def track_umbrella():
    """Umbrella power-up: fast, bright A major with a driving bass, 22 s long."""
    song = Song(64 * 60.0 / 22.0, 4, 16, seed=707)
    key = Key(69)
    prog = [1, 4, 1, 5, 1, 4, 5, 5, 6, 4, 1, 5, 4, 5, 1, 5]
    form = "abac" "abde" "fgfh" "abzt"
    rng = np.random.default_rng(77)
    mel = write_melody(rng, key, prog, form, 4, RHYTHMS_4, ENDINGS_4, 0, 9, 4)
    part_melody(song, key, mel, lambda f, d, v: sy.soft_lead(f, d, v, duty=0.33, cutoff=4000.0, vib=0.006),
                0.42, pan=0.05, verb=0.2, echo=0.12)
    part_melody(song, key, mel, sy.glock, 0.1, pan=-0.3, octave=1, verb=0.3)
    for bar, root in enumerate(prog):
        for on, m in arp_notes(key, root, 64, [0, 1, 2, 1] * 2, 0.5, bar * 4):
            song.add(sy.epiano(midi_hz(m), song.dur(0.4), hum(song.rng, 0.5)), on, pan=-0.35, gain=0.14, verb=0.25)
        low = key.bass_note(root, low=33)
        for i in range(8):
            m = low + (12 if i % 4 == 3 else 0)
            song.add(sy.bass(midi_hz(m), song.dur(0.42), hum(song.rng, 0.9)), bar * 4 + i * 0.5, gain=0.45, verb=0.03)
    kit = Kit(7007, kick={"punch": 100.0, "decay": 0.14})
    for bar in range(16):
        base = bar * 4
        for b in (0, 2):
            kit.play(song, "kick", base + b, 0.75)
        for b in (1, 3):
            kit.play(song, "snare", base + b, 0.45)
        for i in range(8):
            kit.play(song, "hat", base + i * 0.5, 0.22 if i % 2 else 0.15, pan=0.3)
        kit.play(song, "tamb", base + 1, 0.5, pan=-0.4)
        kit.play(song, "tamb", base + 3, 0.5, pan=-0.4)
        if bar % 8 == 7:
            for b in (2, 2.5, 3, 3.25, 3.5, 3.75):
                kit.play(song, "snare", base + b, 0.3)
    return song.render(room=(1.3, 0.9, 0.4), echo_beats=0.75, echo_feedback=0.3)


def track_fanfare():
    """Stage complete: a short C major fanfare whose last chord rings out and
    runs back into its start when the picture stays up."""
    song = Song(120, 4, 3, seed=808, tail=5.0)
    key = Key(60)
    name = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}

    def m(s):
        return 12 * (int(s[-1]) + 1) + name[s[0]]

    tune = [(0, "G4", 1 / 3), (1 / 3, "C5", 1 / 3), (2 / 3, "E5", 1 / 3), (1, "G5", 1.5), (2.5, "E5", 0.5),
            (3, "G5", 1), (4, "A5", 0.5), (4.5, "G5", 0.5), (5, "F5", 0.5), (5.5, "A5", 0.5),
            (6, "G5", 0.5), (6.5, "F5", 0.5), (7, "D5", 1), (8, "C6", 3.0)]
    for on, note, ln in tune:
        f = midi_hz(m(note))
        song.add(sy.soft_lead(f, song.dur(ln) * 0.95, 0.9, duty=0.3, cutoff=3000.0), on, gain=0.33, verb=0.35)
        song.add(sy.glock(f * 2, 0.2, 0.9), on, pan=-0.3, gain=0.14, verb=0.4)
    chords = [(0, 1, 4), (4, 4, 2), (6, 5, 1), (8, 1, 3.5)]
    for on, root, ln in chords:
        for mm in key.voicing(root, 62, size=3):
            song.add(sy.epiano(midi_hz(mm), song.dur(ln), 0.7), on, pan=0.25, gain=0.16, verb=0.4)
        low = key.bass_note(root, low=36)
        song.add(sy.bass(midi_hz(low), song.dur(ln) * 0.9, 0.9), on, gain=0.6, verb=0.05)
    for i, mm in enumerate((72, 76, 79, 84, 88)):
        song.add(sy.glock(midi_hz(mm), 0.2, 0.7), 8 + i * 0.25, pan=0.4 - 0.2 * i, gain=0.16, verb=0.5)
    kit = Kit(8008)
    kit.play(song, "kick", 0, 0.7)
    kit.play(song, "kick", 4, 0.6)
    kit.play(song, "kick", 6, 0.6)
    for i in range(8):
        kit.play(song, "snare", 7 + i * 0.125, 0.15 + 0.04 * i)
    kit.play(song, "kick", 8, 0.8)
    crash_rng = np.random.default_rng(8009)
    song.add(sy.cymbal_swell(crash_rng, 1.6)[::-1], 8, gain=0.8, verb=0.4)
    return song.render(room=(2.0, 1.5, 0.7))


TRACKS = {
    "mainmenu.mp3": track_menu,
    "music1.mp3": track_meadow,
    "music2.mp3": track_skip,
    "music3.mp3": track_waltz,
    "music4.mp3": track_chip,
    "music5.mp3": track_island,
    "invincible.mp3": track_umbrella,
    "levelcomplete.mp3": track_fanfare,
}
