#!/usr/bin/env python3
"""numpy references for the beam tests.

  fft IN             IN: blocks of a line "sign M" and M lines "re im";
                     prints M lines "re im" a block (sign -1:
                     numpy.fft.fft, +1: M * numpy.fft.ifft)
  correct IN         IN: JSON {v, focal, shifted, middle, noise}; prints
                     the corrected values, one a line
  fraunhofer PHI0 WL...
                     half-power width in arc seconds of the far field of the
                     illuminated projected aperture with its central hole
  geometric DFX PHI0 main-lobe direction in arc seconds from the straight line
                     fitted, illumination-weighted, to the path over the aperture
"""
import json
import sys

import numpy as np

RA = 288520.0
ARCSEC = 206264.806
ILLUM = [9.99, 9.9, 9.57, 9.01, 8.26, 7.41, 6.57, 5.61, 4.78, 4.0, 3.35,
         2.67, 2.07, 1.59, 1.23, 0.9, 0.6, 0.4, 0.3, 0.1, 0.0]


def illumination(alpha_deg):
    return np.interp(alpha_deg / 5.0, np.arange(len(ILLUM)), ILLUM)


def fft_file(src):
    numbers = np.loadtxt(src).ravel()
    out, at = [], 0
    while at < len(numbers):
        sign, m = int(numbers[at]), int(numbers[at + 1])
        x = numbers[at + 2:at + 2 + 2 * m].reshape(m, 2) @ [1, 1j]
        at += 2 + 2 * m
        y = np.fft.fft(x) if sign < 0 else np.fft.ifft(x) * m
        out.append(np.column_stack([y.real, y.imag]))
    np.savetxt(sys.stdout, np.vstack(out), fmt="%.17e")


def correct_file(src):
    p = json.load(open(src))
    v = np.array(p["v"], dtype=float)
    b = np.array(p["focal"], dtype=float)
    s = np.array(p["shifted"], dtype=float)
    n = len(v)
    axis = len(s) // 2 if p["middle"] else int(np.argmax(s))
    m = 1
    while m <= n - 1:
        m *= 2
    while not (len(b) <= m and axis <= m // 2 and len(s) - axis <= m // 2):
        m *= 2
    fb = np.zeros(m, complex)
    fb[m // 2 - (len(b) - 1) // 2 + np.arange(len(b))] = b - b[0]
    fb = np.fft.fft(fb)
    a = np.zeros(m, complex)
    start = (m - n) // 2
    a[start:start + n] = v - v[0]
    a = np.fft.fft(a)
    cut = m // 2
    for k in range(1, m // 2):
        if abs(fb[k]) < p["noise"]:
            cut = k
            break
    fs = np.zeros(m, complex)
    fs[m // 2 - axis + np.arange(len(s))] = s - s[0]
    fs = np.fft.fft(fs)
    k = np.arange(1, cut)
    for idx in (k, m - k):
        a[idx] = a[idx] * fb[idx] / fs[idx]
    out = np.fft.ifft(a).real[start:start + n] + v[0]
    np.savetxt(sys.stdout, out, fmt="%.17e")


def fraunhofer(wl, phi0):
    # Elements on the parabola spread evenly in azimuth carry cos(psi) each,
    # so per unit of projected aperture the field is the illumination alone.
    step = 50.0
    half = RA * np.sin(np.radians(phi0 / 2))
    x = np.arange(-half + step / 2, half, step)
    psi = np.degrees(np.arcsin(x / RA))
    z = -RA + x * x / (2 * RA)
    alpha = np.degrees(np.arctan2(np.abs(x), -RA / 2 - z))
    g = illumination(alpha) * (np.abs(psi) >= 1.1)
    size = 1 << 21
    power = np.abs(np.fft.fft(g, size)) ** 2
    power /= power[0]
    k = np.argmax(power < 0.5)
    edge = k - 1 + (0.5 - power[k - 1]) / (power[k] - power[k - 1])
    return 2 * np.arcsin(edge * wl / (size * step)) * ARCSEC


def geometric(dfx, phi0):
    m = int(RA * np.radians(phi0) / 2150)
    m += 1 - m % 2
    m = min(max(m, 33), 201)
    psi = (np.arange(m) - (m - 1) / 2) * phi0 / m
    psi = psi[np.abs(psi) >= 1.1]
    x = RA * np.sin(np.radians(psi))
    z = -RA + x * x / (2 * RA)
    dz = -RA / 2 - z
    d = np.hypot(x - dfx, dz)
    w = illumination(np.degrees(np.arctan2(np.abs(x - dfx), dz))) * np.cos(np.radians(psi))
    slope = np.polyfit(x, d - z, 1, w=np.sqrt(w))[0]
    return np.arcsin(slope) * ARCSEC


if __name__ == "__main__":
    cmd = sys.argv[1]
    if cmd == "fft":
        fft_file(sys.argv[2])
    elif cmd == "correct":
        correct_file(sys.argv[2])
    elif cmd == "fraunhofer":
        for wl in sys.argv[3:]:
            print("%.9f" % fraunhofer(float(wl), float(sys.argv[2])))
    elif cmd == "geometric":
        print("%.9f" % geometric(float(sys.argv[2]), float(sys.argv[3])))
