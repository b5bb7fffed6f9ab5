# Times scipy's least_squares (Levenberg-Marquardt, analytic Jacobian,
# started at the true components) on the curve written by bench_gauss_fit.
# Input (argv[1]): line 1 the curve, then "A w c" per true component (model
# A*exp(-(i-c)^2/w^2)). Prints the seconds of one fit (best of 5).
import sys
import time
import numpy as np
from scipy.optimize import least_squares

with open(sys.argv[1]) as f:
    y = np.array([float(v) for v in f.readline().split()])
    start = np.array([[float(v) for v in line.split()] for line in f if line.strip()]).ravel()
i = np.arange(y.size, dtype=float)

def residual(p):
    p = p.reshape(-1, 3)
    return sum(a * np.exp(-((i - c) / w) ** 2) for a, w, c in p) - y

def jac(p):
    cols = []
    for a, w, c in p.reshape(-1, 3):
        ex = np.exp(-((i - c) / w) ** 2)
        cols += [ex, a * ex * 2 * (i - c) ** 2 / w ** 3, a * ex * 2 * (i - c) / w ** 2]
    return np.array(cols).T

best = float("inf")
for _ in range(5):
    t = time.perf_counter()
    least_squares(residual, start, jac=jac, method="lm")
    best = min(best, time.perf_counter() - t)
print("%.9f" % best)
