"""Signal building blocks for Tavo's sound generator: oscillators, envelopes,
filtered noise and the instruments used by the music and the effects.

Every function returns float64 numpy arrays at SR samples per second. Nothing
here keeps hidden state except small caches of pure results, so the same calls
always give the same samples.
"""

import numpy as np

SR = 44100
TABLE_SIZE = 4096


def midi_hz(m):
    return 440.0 * 2.0 ** ((m - 69) / 12.0)


def seconds(n):
    return int(round(n * SR))


# ---------------------------------------------------------------- envelopes

def env_adsr(note_len, attack, decay, sustain, release):
    """Attack/decay/sustain while the note is held (note_len samples), then a
    smooth release of `release` seconds. Returns note_len + release samples."""
    n_rel = max(1, seconds(release))
    t = np.arange(note_len + n_rel) / SR
    a = max(attack, 1e-4)
    e = np.where(t < a, 0.5 - 0.5 * np.cos(np.pi * np.minimum(t / a, 1.0)),
                 sustain + (1.0 - sustain) * np.exp(-(t - a) / max(decay, 1e-4)))
    if note_len < len(e):
        e_end = e[note_len - 1] if note_len > 0 else 0.0
        x = np.arange(n_rel) / n_rel
        e[note_len:] = e_end * (1.0 - x) ** 2
    return e


def fade_edges(x, fade_in=0.002, fade_out=0.01):
    """Raised-cosine fades so a one-shot starts and ends at zero."""
    x = x.copy()
    ni, no = min(len(x), seconds(fade_in)), min(len(x), seconds(fade_out))
    if ni > 0:
        x[:ni] *= 0.5 - 0.5 * np.cos(np.pi * np.arange(ni) / ni)
    if no > 0:
        x[len(x) - no:] *= 0.5 + 0.5 * np.cos(np.pi * np.arange(1, no + 1) / no)
    return x


# ---------------------------------------------------------------- oscillators

_tables = {}


def harmonic_table(name, amps):
    """One period of sum(a_k sin(2 pi k x)), cached by name and harmonic count."""
    key = (name, len(amps))
    tab = _tables.get(key)
    if tab is None:
        x = np.arange(TABLE_SIZE) / TABLE_SIZE
        tab = np.zeros(TABLE_SIZE + 1)
        for k, a in enumerate(amps, 1):
            if a != 0.0:
                tab[:TABLE_SIZE] += a * np.sin(2 * np.pi * k * x)
        tab[TABLE_SIZE] = tab[0]
        _tables[key] = tab
    return tab


def table_osc(tab, freq, n, phase0=0.0):
    """Read a wavetable at a constant (scalar) or per-sample (array) frequency."""
    if np.isscalar(freq):
        ph = phase0 + freq * np.arange(n) / SR
    else:
        ph = phase0 + np.concatenate(([0.0], np.cumsum(freq[:n - 1]))) / SR
    ph = (ph % 1.0) * TABLE_SIZE
    i = ph.astype(np.int64)
    f = ph - i
    return tab[i] * (1.0 - f) + tab[i + 1] * f


def harmonic_count(freq, cutoff=14000.0, most=60):
    return int(max(1, min(most, cutoff // max(freq, 1.0))))


def vibrato(n, freq, rate=5.2, depth=0.004, delay=0.2, phase=0.0):
    """Per-sample frequency with a vibrato that fades in after `delay` s."""
    t = np.arange(n) / SR
    fade = np.clip((t - delay) / 0.25, 0.0, 1.0)
    return freq * (1.0 + depth * fade * np.sin(2 * np.pi * rate * t + phase))


def partials(n, freqs, amps, taus, phases=None):
    """Sum of exponentially decaying sines (additive percussion voices)."""
    t = np.arange(n) / SR
    out = np.zeros(n)
    for i, (f, a, tau) in enumerate(zip(freqs, amps, taus)):
        if f >= SR * 0.45:
            continue
        p = 0.0 if phases is None else phases[i]
        out += a * np.exp(-t / tau) * np.sin(2 * np.pi * f * t + p)
    return out


# ---------------------------------------------------------------- noise

def band_mask(freqs, lo=None, hi=None, order=2):
    m = np.ones_like(freqs)
    if hi is not None:
        m /= np.sqrt(1.0 + (freqs / hi) ** (2 * order))
    if lo is not None:
        with np.errstate(divide="ignore"):
            m /= np.sqrt(1.0 + (lo / np.maximum(freqs, 1e-3)) ** (2 * order))
    return m


def filtered_noise(rng, n, lo=None, hi=None, order=2):
    """White noise shaped by a band-pass magnitude response (via FFT)."""
    w = rng.standard_normal(n)
    spectrum = np.fft.rfft(w)
    spectrum *= band_mask(np.fft.rfftfreq(n, 1.0 / SR), lo, hi, order)
    y = np.fft.irfft(spectrum, n)
    return y / (np.sqrt(np.mean(y ** 2)) + 1e-12)


def fft_filter(x, lo=None, hi=None, order=2):
    """Zero-phase band-limiting of a finished signal (linear, zero padded)."""
    n = len(x)
    m = 1
    while m < 2 * n:
        m *= 2
    spectrum = np.fft.rfft(x, m) * band_mask(np.fft.rfftfreq(m, 1.0 / SR), lo, hi, order)
    return np.fft.irfft(spectrum, m)[:n]


def one_pole_lowpass(x, cutoff):
    """Causal one-pole low-pass with a per-sample cutoff (array or scalar)."""
    c = np.broadcast_to(np.asarray(cutoff, dtype=float), x.shape)
    a = 1.0 - np.exp(-2 * np.pi * c / SR)
    y = np.empty_like(x)
    s = 0.0
    for i in range(len(x)):
        s += a[i] * (x[i] - s)
        y[i] = s
    return y


# ---------------------------------------------------------------- pitched instruments

def marimba(freq, dur, vel=1.0):
    n = seconds(max(0.9, dur + 0.4))
    k = (freq / 440.0) ** 0.35
    v = partials(n, [freq, freq * 3.99, freq * 9.9],
                 [1.0, 0.22, 0.05], [0.42 / k, 0.09 / k, 0.025])
    v *= env_attack(n, 0.0015)
    return vel * v


def env_attack(n, a):
    e = np.ones(n)
    na = min(n, max(1, seconds(a)))
    e[:na] = 0.5 - 0.5 * np.cos(np.pi * np.arange(na) / na)
    return e


def glock(freq, dur, vel=1.0):
    n = seconds(1.6)
    v = partials(n, [freq, freq * 2.756, freq * 5.404, freq * 8.933],
                 [1.0, 0.35, 0.12, 0.05], [0.9, 0.35, 0.15, 0.07])
    return vel * v * env_attack(n, 0.001)


def kalimba(freq, dur, vel=1.0):
    n = seconds(1.2)
    v = partials(n, [freq, freq * 5.93, freq * 2.0],
                 [1.0, 0.28, 0.08], [0.55, 0.05, 0.2])
    return vel * v * env_attack(n, 0.001)


def steeldrum(freq, dur, vel=1.0):
    n = seconds(max(0.7, dur + 0.35))
    t = np.arange(n) / SR
    bend = 1.0 + 0.006 * np.exp(-t / 0.02)
    f = freq * bend
    ph = 2 * np.pi * np.cumsum(f) / SR
    amps = [1.0, 0.55, 0.28, 0.22, 0.06]
    ratios = [1.0, 2.0, 3.01, 4.03, 5.2]
    taus = [0.5, 0.32, 0.2, 0.12, 0.06]
    v = np.zeros(n)
    for a, r, tau in zip(amps, ratios, taus):
        if r * freq < 15000:
            v += a * np.exp(-t / tau) * np.sin(r * ph)
    return vel * v * env_attack(n, 0.002)


def pluck(freq, dur, vel=1.0, bright=1.0, pos=0.18):
    """A harp/nylon-like plucked string: harmonics whose decay grows with
    frequency, damped softly when the note ends."""
    hold = seconds(dur)
    n = hold + seconds(0.12)
    n_full = seconds(max(dur, 0.05) + 0.12)
    t = np.arange(n) / SR
    v = np.zeros(n)
    K = harmonic_count(freq, cutoff=9000.0 * bright, most=24)
    for k in range(1, K + 1):
        a = abs(np.sin(np.pi * k * pos)) / k ** 1.1
        tau = 1.1 / (1.0 + (k * freq / (1800.0 * bright)) ** 1.4)
        v += a * np.exp(-t / tau) * np.sin(2 * np.pi * k * freq * t)
    damp = np.ones(n)
    rel = n - hold
    if rel > 0:
        damp[hold:] = np.linspace(1.0, 0.0, rel) ** 2
    v *= damp * env_attack(n, 0.002)
    return vel * v[:n_full] / 1.3


def epiano(freq, dur, vel=1.0):
    """Two-operator FM electric piano with a short bright tine."""
    hold = seconds(dur)
    n = hold + seconds(0.35)
    t = np.arange(n) / SR
    index = (0.4 + 1.6 * vel) * np.exp(-t / 0.35) + 0.25
    mod = np.sin(2 * np.pi * freq * t)
    car = np.sin(2 * np.pi * freq * t + index * mod)
    tine = 0.12 * vel * np.exp(-t / 0.04) * np.sin(2 * np.pi * freq * 14.0 * t) if freq * 14 < 16000 else 0.0
    amp = np.exp(-t / 1.6)
    rel = np.ones(n)
    rel[hold:] = np.linspace(1.0, 0.0, n - hold) ** 2
    return vel * (car * amp + tine) * rel * env_attack(n, 0.002)


def soft_lead(freq, dur, vel=1.0, duty=0.25, cutoff=3500.0, vib=0.005):
    """Rounded pulse wave, band limited and low-passed, with delayed vibrato."""
    hold = seconds(dur)
    env = env_adsr(hold, 0.008, 0.12, 0.7, 0.07)
    n = len(env)
    K = harmonic_count(freq, cutoff=12000.0)
    amps = [np.sin(np.pi * k * duty) / k / np.sqrt(1.0 + (k * freq / cutoff) ** 2)
            for k in range(1, K + 1)]
    tab = harmonic_table(("pulse", duty, int(freq), cutoff), amps)
    f = vibrato(n, freq, rate=5.5, depth=vib, delay=0.18)
    return vel * 0.8 * env * table_osc(tab, f, n)


def flute(freq, dur, vel=1.0, rng=None):
    hold = seconds(dur)
    env = env_adsr(hold, 0.05, 0.3, 0.85, 0.12)
    n = len(env)
    K = harmonic_count(freq, cutoff=10000.0, most=6)
    amps = [1.0, 0.32, 0.12, 0.05, 0.02, 0.01][:K]
    tab = harmonic_table(("flute", int(freq)), amps)
    f = vibrato(n, freq, rate=5.0, depth=0.006, delay=0.22)
    v = table_osc(tab, f, n)
    if rng is not None:
        breath = filtered_noise(rng, n, lo=freq * 1.5, hi=freq * 5.0, order=1)
        v += 0.05 * breath
    return vel * 0.8 * env * v


def bass(freq, dur, vel=1.0):
    """Round plucked bass: warm low harmonics fading towards a sine."""
    hold = seconds(dur)
    n = hold + seconds(0.06)
    t = np.arange(n) / SR
    v = np.zeros(n)
    for k, (a, tau) in enumerate([(1.0, 9.0), (0.5, 0.35), (0.25, 0.18),
                                  (0.12, 0.1), (0.06, 0.07)], 1):
        v += a * (0.25 + 0.75 * np.exp(-t / tau)) * np.sin(2 * np.pi * k * freq * t)
    env = np.exp(-t / 1.4)
    rel = np.ones(n)
    rel[hold:] = np.linspace(1.0, 0.0, n - hold) ** 2
    return vel * 0.7 * v * env * rel * env_attack(n, 0.004)


def pad_voice(freq, dur, vel=1.0, detune_cents=0.0, cutoff=2200.0, phase0=0.0):
    """Soft saw-based pad voice with slow attack and release."""
    hold = seconds(dur)
    env = env_adsr(hold, min(0.35, dur * 0.4), 0.6, 0.85, 0.6)
    n = len(env)
    f = freq * 2.0 ** (detune_cents / 1200.0)
    K = harmonic_count(f, cutoff=8000.0, most=40)
    amps = [1.0 / k / (1.0 + (k * f / cutoff) ** 2) for k in range(1, K + 1)]
    tab = harmonic_table(("pad", int(f), cutoff), amps)
    return vel * 0.5 * env * table_osc(tab, f, n, phase0)


def chip_arp(freq, dur, vel=1.0):
    """Short narrow pulse blip for fast arpeggios."""
    hold = seconds(dur)
    env = env_adsr(hold, 0.003, 0.06, 0.35, 0.03)
    n = len(env)
    K = harmonic_count(freq, cutoff=9000.0)
    amps = [np.sin(np.pi * k * 0.125) / k / (1.0 + (k * freq / 2800.0) ** 2) for k in range(1, K + 1)]
    tab = harmonic_table(("chip", int(freq)), amps)
    return vel * 0.8 * env * table_osc(tab, freq, n)


# ---------------------------------------------------------------- drums

def kick(rng, vel=1.0, low=48.0, punch=85.0, decay=0.2):
    n = seconds(0.45)
    t = np.arange(n) / SR
    f = low + punch * np.exp(-t / 0.035)
    ph = 2 * np.pi * np.cumsum(f) / SR
    body = np.sin(ph) * np.exp(-t / decay)
    click = filtered_noise(rng, n, lo=1200, hi=5000) * np.exp(-t / 0.003) * 0.12
    return vel * fade_edges(body + click, 0.0005, 0.05)


def snare(rng, vel=1.0, tone=190.0, decay=0.11, brush=False):
    n = seconds(0.4)
    t = np.arange(n) / SR
    if brush:
        noise = filtered_noise(rng, n, lo=2500, hi=9000) * (1 - np.exp(-t / 0.006)) * np.exp(-t / 0.09)
        return vel * 0.5 * fade_edges(noise, 0.0005, 0.05)
    body = (np.sin(2 * np.pi * tone * t) + 0.5 * np.sin(2 * np.pi * tone * 1.72 * t)) * np.exp(-t / 0.045)
    noise = filtered_noise(rng, n, lo=1500, hi=9000) * np.exp(-t / decay)
    return vel * fade_edges(0.45 * body + 0.5 * noise, 0.0005, 0.05)


def clap(rng, vel=1.0):
    n = seconds(0.35)
    t = np.arange(n) / SR
    noise = filtered_noise(rng, n, lo=900, hi=5500)
    env = np.zeros(n)
    for off in (0.0, 0.011, 0.021):
        tt = t - off
        env += np.where(tt >= 0, np.exp(-np.maximum(tt, 0) / 0.006), 0.0) * 0.6
    env += np.where(t > 0.028, np.exp(-np.maximum(t - 0.028, 0) / 0.09), 0.0) * 0.5
    return vel * 0.6 * fade_edges(noise * env, 0.0005, 0.05)


def hat(rng, vel=1.0, open_=False):
    n = seconds(0.35 if open_ else 0.12)
    t = np.arange(n) / SR
    noise = filtered_noise(rng, n, lo=7000, hi=15000)
    return vel * 0.35 * fade_edges(noise * np.exp(-t / (0.16 if open_ else 0.025)), 0.0005, 0.02)


def shaker(rng, vel=1.0):
    n = seconds(0.14)
    t = np.arange(n) / SR
    noise = filtered_noise(rng, n, lo=4500, hi=12000)
    env = (1 - np.exp(-t / 0.012)) * np.exp(-t / 0.035)
    return vel * 0.4 * fade_edges(noise * env, 0.0005, 0.02)


def tambourine(rng, vel=1.0):
    n = seconds(0.3)
    t = np.arange(n) / SR
    jingles = partials(n, [6100, 7650, 9050, 10600], [1, 0.8, 0.7, 0.5],
                       [0.08, 0.07, 0.06, 0.05], rng.uniform(0, 6.28, 4))
    jingles *= 1 + 0.5 * filtered_noise(rng, n, hi=200)
    noise = filtered_noise(rng, n, lo=5000, hi=13000) * np.exp(-t / 0.05)
    return vel * 0.22 * fade_edges(0.6 * jingles + noise, 0.0005, 0.03)


def conga(rng, vel=1.0, freq=210.0):
    n = seconds(0.4)
    t = np.arange(n) / SR
    f = freq * (1 + 0.08 * np.exp(-t / 0.01))
    ph = 2 * np.pi * np.cumsum(f) / SR
    body = (np.sin(ph) + 0.25 * np.sin(1.5 * ph)) * np.exp(-t / 0.14)
    slap = filtered_noise(rng, n, lo=800, hi=4000) * np.exp(-t / 0.006) * 0.25
    return vel * 0.8 * fade_edges(body + slap, 0.0005, 0.04)


def woodblock(rng, vel=1.0, freq=1250.0):
    n = seconds(0.12)
    v = partials(n, [freq, freq * 2.7], [1.0, 0.3], [0.025, 0.012])
    return vel * 0.5 * fade_edges(v, 0.0005, 0.01)


def triangle(rng, vel=1.0):
    n = seconds(0.9)
    v = partials(n, [2100, 2100 * 2.71, 2100 * 4.3], [1.0, 0.4, 0.2], [0.35, 0.2, 0.12])
    return vel * 0.18 * fade_edges(v, 0.0005, 0.05)


def cymbal_swell(rng, length, vel=1.0):
    """Reverse-shaped cymbal wash that grows towards its end."""
    n = seconds(length)
    t = np.arange(n) / SR
    noise = filtered_noise(rng, n, lo=4000, hi=14000, order=1)
    env = (t / length) ** 2.5
    return vel * 0.25 * fade_edges(noise * env, 0.001, 0.01)
