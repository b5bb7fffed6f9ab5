# Reference Surf3D map for the tests: the worksheets w(i, f) = f*(100 +
# 50*sin(i/9)) + i are sampled at the map's columns and interpolated along
# the scale axis with numpy.interp; the FITS image (astropy) must agree
# within its 16-bit quantisation. argv: fits, viewBegin, viewEnd, scale
# ("GHz" or "cm"), then the frequencies. Prints the largest difference in
# units of BSCALE.
import sys
import numpy as np
from astropy.io import fits

path, vb, ve, unit = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
freq = np.array([float(f) for f in sys.argv[5:]])
n = 256
dx = (ve - vb) / n
cols = np.array([vb] + [vb + int((j + 1) * dx) for j in range(1, n - 1)] + [ve])
w = np.array([f * (100 + 50 * np.sin(cols / 9.0)) + cols for f in freq])
scale = freq if unit == "GHz" else 30.0 / freq
order = np.argsort(scale)
ymin, ymax = scale.min(), scale.max()
y = ymin + np.arange(n) * (ymax - ymin) / n
ref = np.array([np.interp(y, scale[order], w[order, j]) for j in range(n)]).T

with fits.open(path, do_not_scale_image_data=True) as h:
    hdr = h[0].header
    img = h[0].data.astype(float) * hdr["BSCALE"] + hdr["BZERO"]
    assert hdr["CTYPE2"] == unit and abs(hdr["Y_MIN"] - ymin) < 1e-4 and abs(hdr["Y_MAX"] - ymax) < 1e-4
    assert hdr["NSCANS"] == len(freq)
print(np.abs(img - ref).max() / hdr["BSCALE"])
