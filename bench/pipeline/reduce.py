#!/usr/bin/python3
"""The same reduction written with astropy and scipy.ndimage: read the scan
set, smooth both channels of every scan with the Gaussian of a 20" window and
a running median of 5", write the cube. The windows and the ends follow
Quillmar's definitions so the results can be compared point for point.

    reduce.py SET.fits OUT.fits [STEP_ARCSEC]
"""
import sys

import numpy as np
from astropy.io import fits
from scipy import ndimage


def window(width, step):
    return int(width / step) + 1


def gauss_weights(n):
    """Symmetric weights: 1/2 at n/2 points, the sum normalised to one."""
    h = n // 2
    c = 0.548662 / h
    m = int(1.41421356 / c) + 1
    t = np.arange(m + 1) * 1.41421356 / m
    g = 10.0 ** (-t * t)
    g /= 2 * g.sum() - g[0]
    return np.concatenate([g[:0:-1], g])


def gauss_smooth(x, n_window):
    """Points 1..n-3 (Quillmar's shown part after a load is 1..n-2 and the
    smoothing takes e - b points from b), the ends continued by odd
    reflection about their levels where the scan has no points left."""
    w = gauss_weights(n_window)
    m = len(w) // 2
    x64 = x.astype(np.float64)
    inner = x[:, 1:-2]
    level_l = 2.0 * (x64[:, 0:1] + x64[:, 1:2] + x64[:, 2:3]) / 3
    level_r = 2.0 * (2.0 * x64[:, -3:-2] + x64[:, -4:-3]) / 3
    left = np.concatenate([(level_l - x64[:, 3:m + 2][:, ::-1]).astype(np.float32), x[:, 0:1]], axis=1)
    right = np.concatenate([x[:, -2:-1], (level_r - x64[:, -2 - m:-3][:, ::-1]).astype(np.float32)], axis=1)
    padded = np.concatenate([left, inner, right], axis=1).astype(np.float64)
    out = ndimage.correlate1d(padded, w, axis=1, mode="constant")
    x[:, 1:-2] = out[:, m:m + inner.shape[1]].astype(np.float32)


def median_smooth(x, half):
    """Points 1..n-3, the ends padded with their end values."""
    x[:, 1:-2] = ndimage.median_filter(x[:, 1:-2], size=(1, 2 * half + 1), mode="nearest")


def main():
    source, target = sys.argv[1], sys.argv[2]
    step = float(sys.argv[3]) if len(sys.argv) > 3 else 1.0
    with fits.open(source) as f:
        cube = np.array(f[0].data, dtype=np.float32)  # scans x 2 x points
        params = f[1].copy()
    scans, channels, points = cube.shape
    rows = cube.reshape(scans * channels, points)
    gauss_smooth(rows, window(20, step))
    median_smooth(rows, window(5, step))
    # The shown part, points 1..n-2, is what Quillmar saves.
    out = rows.reshape(cube.shape)[:, :, 1:-1]
    fits.HDUList([fits.PrimaryHDU(out), params]).writeto(target, overwrite=True)


if __name__ == "__main__":
    main()
