#!/usr/bin/env python3
"""Times numpy.fft.fft on the sizes bench_beam's transform uses (2^10 .. 2^16
complex points), for comparison with FFTW as the program calls it."""
import timeit

import numpy as np

rng = np.random.default_rng(1)
for p in range(10, 17):
    m = 1 << p
    x = rng.uniform(-1, 1, m) + 1j * rng.uniform(-1, 1, m)
    runs, total = timeit.Timer(lambda: np.fft.fft(x)).autorange()
    best = min(timeit.repeat(lambda: np.fft.fft(x), number=runs, repeat=5)) / runs
    print("numpy.fft.fft/%d\t%.3f us" % (m, best * 1e6))
