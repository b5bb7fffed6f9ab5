"""Independent computation of the melvane smoothing for the tests: direct
window sums instead of running ones, weighted least squares by numpy's
lstsq instead of normal equations, numpy's median over padded windows.
Usage: melvane_reference.py in out method mode w S iterations level"""
import sys
import numpy as np

T = [1.0, 0.99, 0.97, 0.89, 0.70, 0.35, 0.11, 0.04, 0.01, 0.0]
G = [1.0, 0.995, 0.99, 0.98, 0.97, 0.95, 0.92, 0.88, 0.82, 0.75,
     0.65, 0.54, 0.42, 0.31, 0.22, 0.14, 0.08, 0.04, 0.02, 0.01]


def extended(x, q):
    n = len(x)
    left, right = x[:3].mean(), x[-3:].mean()

    def at(m):
        if 0 <= m < n:
            return x[m], q[m]
        if m < 0:
            k = min(-m, n - 1)
            return 2 * left - x[k], q[k]
        k = max(2 * n - 1 - m, 0)
        return 2 * right - x[k], q[k]
    return at


def sliding(x, q, w, p):
    at, h = extended(x, q), w // 2
    for i in range(len(x)):
        vals = [at(m) for m in range(i - h + 1, i + w - h + 1)]
        ws = np.array([max(b, 0.001) for _, b in vals])
        vs = np.array([a for a, _ in vals])
        p[i] = (ws * vs).sum() / ws.sum()


def gauss(x, q, w, p):
    at, c = extended(x, q), 0.025 * w
    for i in range(len(x)):
        W = Z = 0.0
        for j, d in ((i + 1, 1), (i, -1)):
            B = 0.0
            Wh = Zh = 0.0
            for g in G:
                B += c * g
                while Wh < B:
                    v, qq = at(j)
                    if qq > 1e-5:
                        Wh += g * qq
                        Zh += g * qq * v
                    B -= 0.3 * g * (1 - qq)
                    j += d
            W += Wh
            Z += Zh
        if W != 0:
            p[i] = Z / W


def fits(x, q, w, S, mode, p):
    n, at = len(x), extended(x, q)
    S = max(1, min(S, w // 2))
    deg = mode if mode <= 2 else max(1, min(mode, 15, w // 3))
    kern = np.exp(-(3.0 * np.arange(w) / w) ** 2)

    def fit(c):
        js = np.arange(c - w + 1, c + w - 1)
        vals = [at(j) for j in js]
        wt = np.array([kern[abs(j - c)] * b for j, (_, b) in zip(js, vals)])
        v = np.array([a for a, _ in vals])
        xs = js.astype(float) if mode <= 2 else (js - (c - S)) * 100.0 / n
        V = np.vander(xs, deg + 1)
        sw = np.sqrt(wt)
        return np.linalg.lstsq(V * sw[:, None], v * sw, rcond=None)[0]

    def val(a, i, node):
        return np.polyval(a, float(i) if mode <= 2 else (i - (node - S)) * 100.0 / n)

    c = -S
    cur = fit(c)
    prev_node, prev = c, cur
    for i in range(n):
        if i > c:
            prev_node, prev = c, cur
            c += S
            cur = fit(c)
        if i == c:
            p[i] = val(cur, i, c)
        elif i == prev_node:
            p[i] = val(prev, i, prev_node)
        else:
            u = (c - i) / (c - prev_node)
            p[i] = u * val(prev, i, prev_node) + (1 - u) * val(cur, i, c)


def weights(x, p, up, down, M):
    q = np.ones(len(x))
    for i in range(len(x)):
        d = x[i] - p[i]
        r = p[i] / M if M != 0 else 0
        t = np.sqrt(r) if r > 0 else 1.0
        u = 0.0 if abs(d) < 1e-20 else (-5 * d / (t * down) if d < 0 else 5 * d / (t * up))
        if u < 0.5:
            q[i] = 1
        elif u < 9:
            k = int(u)
            q[i] = T[k] + (u - k) * (T[k + 1] - T[k])
        else:
            q[i] = 0
    return q


def main():
    x = np.loadtxt(sys.argv[1], dtype=np.float32).astype(float)
    method, mode, w, S, iters, level = sys.argv[3], int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6]), \
        int(sys.argv[7]), float(sys.argv[8])
    n = len(x)
    if method == 'm':
        h = w
        e = np.concatenate([np.full(h, x[0]), x, np.full(h + 1, x[-1])])
        p = np.array([np.median(e[i:i + 2 * h + 1]) for i in range(n)])
    else:
        up = 1e30 if method == 'a' else level
        down = 1e30 if method == 'e' else level
        q, p, M = np.ones(n), np.zeros(n), 0.0
        for _ in range(iters):
            if mode < 0:
                sliding(x, q, w, p)
            elif mode == 0:
                gauss(x, q, w, p)
            else:
                fits(x, q, w, S, mode, p)
            if M == 0:
                M = p.mean()
            q = weights(x, p, up, down, M)
    np.savetxt(sys.argv[2], p, fmt='%.9g')


main()
