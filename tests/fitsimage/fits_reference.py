#!/usr/bin/env python3
"""numpy reference of the simulated scans of a FITS image of the Sun.

  fits_reference.py IMAGE ARGS  with ARGS a JSON object:
    scanRadius, angleP, sign, quietSun, mode (0 or 9), vrtBeam, intoI,
    scans: [{f, h, tq, centre, step, n}]
  prints one line per scan: the worksheet values.
The image is read with astropy; every formula is written out here.
"""
import json
import sys

import numpy as np
from astropy.io import fits


def half_to_zero(v):
    t = np.trunc(v)
    return np.where(np.abs(v - t) > 0.5, t + np.sign(v), t)


def resample(src, cs, ds, ct, dt, nt):
    out = np.zeros(nt)
    ns = len(src)
    i = int(cs)
    j = int(ct)
    while j < nt:
        x = (j - ct) * dt
        while i < ns and (i - cs) * ds < x:
            i += 1
        if i >= ns:
            break
        e = x - (i - cs) * ds
        out[j] = src[i] + (src[i] - src[i - 1]) * e / ds
        j += 1
    i = int(cs)
    for j in range(int(ct), -1, -1):
        x = (ct - j) * dt
        while x - (cs - i) * ds > 0 and i >= 1:
            i -= 1
        e = x - (cs - i) * ds
        out[j] = src[i] + (src[i] - src[i + 1]) * e / ds
    return out


def main():
    hdu = fits.open(sys.argv[1])[0]
    a = json.loads(sys.argv[2])
    img = hdu.data.astype(np.float64)  # rows: y, columns: x
    h, w = img.shape
    img[0, :] = img[-1, :] = 0
    img[:, 0] = img[:, -1] = 0
    cx, cy = int(np.trunc(hdu.header['CRPIX1'] - 1)), int(np.trunc(hdu.header['CRPIX2'] - 1))
    radius = hdu.header['RADIUS'] / abs(hdu.header['CDELT1'])
    s = a['scanRadius'] / radius
    if a['sign'] != 0:
        ang = np.radians(a['sign'] * a['angleP'])
        y, x = np.mgrid[0:h, 0:w]
        dx, dy = x - cx, y - cy
        si = np.clip(half_to_zero(dx * np.cos(ang) + dy * np.sin(ang)) + cx, 0, w - 1).astype(int)
        sj = np.clip(half_to_zero(dy * np.cos(ang) - dx * np.sin(ang)) + cy, 0, h - 1).astype(int)
        img = img[sj, si] + a['quietSun'] * (np.hypot(dx, dy) <= radius)
    if a['mode'] == 9:
        img = np.sign(img) * np.abs(img) ** 0.25
    for sc in a['scans']:
        v = a['vrtBeam'] if a['vrtBeam'] > 0 else 225.0
        b = 30.0 / s / sc['f'] * v
        wts = np.exp(-(cy - np.arange(h)) ** 2 / (1.4426950 * b * b))
        prof = wts @ img
        sigma = sc['h'] / (2 * s)
        m = int(1.41421356 / (0.548662 / sigma)) + 1
        k = 10.0 ** (-(np.arange(m + 1) * 1.41421356 / m) ** 2)
        k /= 2 * k.sum() - k[0]
        prof = np.convolve(prof, np.concatenate([k[:0:-1], k]), mode='same')
        lo = prof.min()
        d = prof.max() - lo or 1.0
        factor = sc['tq'] * 0.8 / d if sc['tq'] != 0 else 1.0
        prof = (prof - lo) * factor if a['intoI'] else prof * factor
        out = resample(prof, cx, s, sc['centre'], sc['step'], sc['n'])
        print(' '.join('%.9g' % x for x in out))


main()
