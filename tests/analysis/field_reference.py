# Reference critical wavelength and field at one position, for the
# Magnetic Field tests. Input (argv[1]): line 1 "i m T", then per scan in
# ascending frequency "frequency beam" followed by a line with its V(L)
# worksheet. Output (argv[2]): "H lambda0".
import sys
import numpy as np

with open(sys.argv[1]) as f:
    i, m, t = f.readline().split()
    i, m, t = int(i), int(m), float(t)
    rows = [line.split() for line in f if line.strip()]
freq = np.array([float(r[0]) for r in rows[0::2]])
beam = np.array([float(r[1]) for r in rows[0::2]])
v = [np.abs(np.array([float(x) for x in r])) for r in rows[1::2]]

x = 30.0 / freq
low = np.array([min(w[i], w[i - m:i + m].min()) for w in v])
y = np.where(low > t, low * beam, 0.0)

# Smoothing of the profile across frequency, as the program prints it.
s = np.empty_like(y)
s[0] = (3 * y[0] + y[1]) / 4
s[-1] = (3 * y[-1] + y[-2]) / 4
s[1:-1] = (3 * y[1:-1] + y[2:] - y[:-2]) / 3

k = len(s) - 1
while k > 0 and s[k] == 0:
    k -= 1
lam = None
while k - 5 >= 0:
    seg = slice(k - 3, k + 1)
    if np.all(s[seg] != 0):
        b, a = np.polyfit(x[seg], s[seg], 1)
        if b != 0 and -a / b <= x[k]:
            lam = -a / b
            break
    k -= 1
if lam is None:
    open(sys.argv[2], "w").write("0 0\n")
    sys.exit(0)
if k + 1 < len(s) and lam < x[k + 1]:
    lam = (x[k] + x[k + 1]) / 2
lam = max(lam, 1.4)
open(sys.argv[2], "w").write("%.9g %.9g\n" % (3570 / lam, lam))
