"""Tavo's one-shot sound effects: melting death, milk gulp, jump, footsteps.
Each function returns a mono float64 signal that starts and ends at zero."""

import numpy as np

import sounds_synth as sy
from sounds_synth import SR, midi_hz, seconds


def _glide_tone(freq, duty=0.5, cutoff=1400.0, most=30):
    """Per-sample frequency array -> soft hollow (mostly odd harmonics) tone."""
    K = sy.harmonic_count(float(np.max(freq)), cutoff=9000.0, most=most)
    amps = [np.sin(np.pi * k * duty) / k / (1.0 + (k * 300.0 / cutoff) ** 2) for k in range(1, K + 1)]
    tab = sy.harmonic_table(("glide", duty, cutoff, K), amps)
    return sy.table_osc(tab, freq, len(freq))


def death():
    """Three sad falling steps, then a long note that droops and melts away
    while the chocolate sizzles in the sun."""
    rng = np.random.default_rng(9101)
    n = seconds(2.8)
    t = np.arange(n) / SR
    # pitch line: G4, F#4, F4 (short, each bending down a little), then E4 drooping
    steps = [(0.0, 67), (0.32, 66), (0.64, 65), (0.96, 64)]
    semis = np.zeros(n)
    for i, (start, note) in enumerate(steps):
        s = seconds(start)
        end = seconds(steps[i + 1][0]) if i + 1 < len(steps) else n
        local = np.arange(end - s) / SR
        bend = -0.35 * (local / 0.3) if i < 3 else -0.05 * local - 9.0 * np.clip((local - 0.7) / 1.1, 0, 1) ** 2
        semis[s:end] = note + bend
    wobble = np.clip((t - 1.05) / 0.3, 0, 1) * (0.25 + 0.35 * np.clip(t - 1.3, 0, 1)) * np.sin(2 * np.pi * 5.5 * t)
    freq = midi_hz(semis + wobble)
    tone = _glide_tone(freq, duty=0.5, cutoff=1200.0)
    env = np.zeros(n)
    for i, (start, _) in enumerate(steps):
        s = seconds(start)
        length = 0.3 if i < 3 else 1.75
        e = sy.env_adsr(seconds(length), 0.02, 0.25, 0.75, 0.05)
        e = e[:n - s]
        env[s:s + len(e)] = np.maximum(env[s:s + len(e)], e)
    env *= np.where(t > 1.6, np.exp(-(t - 1.6) / 0.5), 1.0)
    # the tone gets duller as it melts
    tone = sy.one_pole_lowpass(tone * env, 3500.0 * np.exp(-np.maximum(t - 0.9, 0) / 1.2) + 300.0)
    # sizzle: hiss that swells and fades, with crackles popping at random
    hiss = sy.filtered_noise(rng, n, lo=3000, hi=9000) * 0.05
    hiss_env = np.clip(t / 0.4, 0, 1) * np.exp(-np.maximum(t - 0.8, 0) / 0.8)
    crackle = np.zeros(n)
    rate = 70.0
    pos = 0.05
    while pos < 2.4:
        pos += rng.exponential(1.0 / rate)
        i = seconds(pos)
        length = seconds(rng.uniform(0.002, 0.008))
        if i + length >= n:
            break
        burst = rng.standard_normal(length) * np.exp(-np.arange(length) / (length / 3.0))
        crackle[i:i + length] += burst * rng.uniform(0.2, 1.0) * np.exp(-max(pos - 0.6, 0) / 0.9)
    crackle = sy.fft_filter(crackle, lo=1500, hi=11000) * 0.12
    out = 0.6 * tone + hiss * hiss_env + crackle
    return sy.fade_edges(out, 0.003, 0.15)


def milk():
    """Two quick gulps, then a bright rising chime."""
    n = seconds(1.15)
    out = np.zeros(n)
    for start, f0, f1, g in ((0.0, 170.0, 430.0, 1.0), (0.17, 150.0, 390.0, 0.85)):
        m = seconds(0.12)
        tt = np.arange(m) / SR
        f = f0 * (f1 / f0) ** np.clip(tt / 0.07, 0, 1)
        ph = 2 * np.pi * np.cumsum(f) / SR
        v = (np.sin(ph) + 0.35 * np.sin(2 * ph) + 0.15 * np.sin(3.02 * ph))
        v *= (1 - np.exp(-tt / 0.004)) * np.exp(-tt / 0.035)
        s = seconds(start)
        out[s:s + m] += g * 0.8 * v
    notes = [84, 88, 91, 96]
    for i, m in enumerate(notes):
        s = seconds(0.34 + 0.065 * i)
        v = sy.glock(midi_hz(m), 0.2, 0.6 + 0.1 * i)
        v[:seconds(1.2)] += 0.5 * sy.kalimba(midi_hz(m - 12), 0.2, 0.5)
        v = v[:n - s]
        out[s:s + len(v)] += 0.3 * v
    return sy.fade_edges(out, 0.002, 0.12)


def jump():
    """A light springy whoop upwards."""
    rng = np.random.default_rng(9303)
    n = seconds(0.36)
    t = np.arange(n) / SR
    f = 240.0 * (2.7 ** np.clip(t / 0.15, 0, 1)) * (1.0 - 0.06 * np.clip((t - 0.18) / 0.15, 0, 1))
    f *= 1.0 + 0.03 * np.exp(-t / 0.08) * np.sin(2 * np.pi * 28.0 * t)
    tone = _glide_tone(f, duty=0.5, cutoff=2000.0, most=12)
    env = (1 - np.exp(-t / 0.006)) * np.exp(-t / 0.09)
    whoosh = sy.filtered_noise(rng, n, lo=1200, hi=5000) * np.exp(-((t - 0.06) / 0.05) ** 2) * 0.12
    return sy.fade_edges(tone * env * 0.7 + whoosh, 0.002, 0.05)


def footstep(seed, thud_hz, grains, heel_toe, weight):
    """A soft step on dry earth: a muffled thud of the heel, then the gritty
    crunch of the sole rolling over soil, a smaller second contact at the toe."""
    rng = np.random.default_rng(seed)
    n = seconds(0.24)
    t = np.arange(n) / SR
    out = np.zeros(n)
    for start, g in ((0.0, 1.0), (heel_toe, 0.55)):
        s = seconds(start)
        tt = t[:n - s]
        thud = sy.filtered_noise(rng, n - s, lo=50, hi=350) * (1 - np.exp(-tt / 0.003)) * np.exp(-tt / 0.028)
        thud += 0.9 * np.sin(2 * np.pi * thud_hz * tt * (1 - 0.3 * tt / 0.1)) * np.exp(-tt / 0.022) * (1 - np.exp(-tt / 0.002))
        out[s:] += g * weight * 0.5 * thud
    crunch = np.zeros(n)
    for _ in range(grains):
        pos = abs(rng.normal(0.025, 0.03)) + (heel_toe if rng.random() < 0.35 else 0.0)
        i = seconds(pos)
        length = seconds(rng.uniform(0.0015, 0.006))
        if i + length >= n - seconds(0.03):
            continue
        burst = rng.standard_normal(length) * np.exp(-np.arange(length) / (length / 3.0))
        crunch[i:i + length] += burst * rng.uniform(0.15, 1.0)
    crunch = sy.fft_filter(crunch, lo=900, hi=6000) * 0.4
    soil = sy.filtered_noise(rng, n, lo=400, hi=2500) * np.exp(-t / 0.04) * 0.05
    return sy.fade_edges(out + crunch + soil, 0.001, 0.06)


EFFECTS = {
    "death.wav": death,
    "milk.wav": milk,
    "dirt1.wav": lambda: footstep(9401, 78.0, 26, 0.055, 1.0),
    "dirt2.wav": lambda: footstep(9402, 92.0, 34, 0.045, 0.9),
    "dirt3.wav": lambda: footstep(9403, 70.0, 20, 0.065, 1.1),
    "dirt4.wav": lambda: footstep(9404, 85.0, 40, 0.05, 0.85),
}
MP3_EFFECTS = {
    "jump.mp3": jump,
}
