# Reference fit of Gaussian components with scipy, for the Gauss Flux tests.
# Input (argv[1]): line 1 "b e sigma", line 2 the curve y[b..e], then one line
# "A w c" per starting component (model A*exp(-(i-c)^2/w^2)).
# Output (argv[2]): per component "A w c sA sw sc": the least_squares optimum
# and the standard errors of curve_fit with absolute sigma.
import sys
import numpy as np
from scipy.optimize import least_squares, curve_fit

with open(sys.argv[1]) as f:
    b, e, sigma = f.readline().split()
    b, e, sigma = int(b), int(e), float(sigma)
    y = np.array([float(v) for v in f.readline().split()])
    start = np.array([[float(v) for v in line.split()] for line in f if line.strip()]).ravel()
i = np.arange(b, e + 1, dtype=float)

def model(x, *p):
    p = np.asarray(p).reshape(-1, 3)
    return sum(a * np.exp(-((x - c) / w) ** 2) for a, w, c in p)

def jac(p):
    p = p.reshape(-1, 3)
    cols = []
    for a, w, c in p:
        ex = np.exp(-((i - c) / w) ** 2)
        cols += [ex, a * ex * 2 * (i - c) ** 2 / w ** 3, a * ex * 2 * (i - c) / w ** 2]
    return np.array(cols).T

fit = least_squares(lambda p: model(i, *p) - y, start, jac=lambda p: jac(p), method="lm", xtol=1e-14, ftol=1e-14)
popt, pcov = curve_fit(model, i, y, p0=fit.x, sigma=np.full(i.size, sigma), absolute_sigma=True)
err = np.sqrt(np.diag(pcov))
with open(sys.argv[2], "w") as f:
    for k in range(len(start) // 3):
        f.write(" ".join("%.10g" % v for v in list(fit.x[3 * k:3 * k + 3]) + list(err[3 * k:3 * k + 3])) + "\n")
