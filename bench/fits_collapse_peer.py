# numpy's side of the scan-convolution benchmark: reads the image written by
# bench_fits_image with astropy and times `w @ image` for the same weight
# vectors (one per scan). argv: IMAGE CY B1 B2 ... (vertical beam widths in
# rows). Prints the seconds of one product (best of 5).
import sys
import time

import numpy as np
from astropy.io import fits

img = fits.getdata(sys.argv[1]).astype(np.float64)
cy = int(sys.argv[2])
b = np.array([float(v) for v in sys.argv[3:]])
y = np.arange(img.shape[0])
w = np.exp(-(cy - y[None, :]) ** 2 / (1.4426950 * b[:, None] ** 2))
best = float("inf")
for _ in range(5):
    t = time.perf_counter()
    s = w @ img
    best = min(best, time.perf_counter() - t)
print("%.9f" % best)
