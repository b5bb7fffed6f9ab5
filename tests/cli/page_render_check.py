#!/usr/bin/python3
"""Compares renders of an exported page with the PNG of the same page.

Usage: page_render_check.py REFERENCE.ppm [scaled:]RENDER.ppm...

Each picture is read as a binary PPM. In each one the plot frame is found
as the longest dark rows and columns, and the curve as the topmost dark
pixel of every column in the middle half of the frame (clear of the scale
bars and labels). A render passes when its frame has the size of the
reference frame and its curve, and the curve's peak, lie where the
reference has them relative to the frame, all within 2 pixels. A render
marked "scaled:" comes from a reader that sizes a metafile by the extent
of its drawing, text included as the reader measures it: its curve is
compared after scaling its frame onto the reference frame. Prints one line
per render and exits 1 when any of them differs.
"""
import sys

import numpy as np

TOLERANCE = 2


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and int(fields[3]) == 255, path
    w, h = int(fields[1]), int(fields[2])
    pixels = np.frombuffer(data[pos + 1:pos + 1 + w * h * 3], dtype=np.uint8)
    return pixels.reshape(h, w, 3)


def features(image):
    ink = image.min(axis=2) < 160
    cols, rows = ink.sum(axis=0), ink.sum(axis=1)
    frame_cols = np.nonzero(cols >= 0.6 * cols.max())[0]
    frame_rows = np.nonzero(rows >= 0.6 * rows.max())[0]
    left, right = frame_cols.min(), frame_cols.max()
    top, bottom = frame_rows.min(), frame_rows.max()
    width, height = right - left, bottom - top
    curve = []
    for k in range(width // 4, 3 * width // 4):
        column = ink[top + 3:bottom - 2, left + k]
        hits = np.nonzero(column)[0]
        curve.append(hits[0] + 3 if len(hits) else height)
    curve = np.array(curve, dtype=float)
    peak_y = curve.min()
    peak_x = np.nonzero(curve == peak_y)[0].mean()
    return {"frame": (width, height), "curve": curve, "peak": (peak_x, peak_y)}


def scaled_to(reference, render):
    sx = reference["frame"][0] / render["frame"][0]
    sy = reference["frame"][1] / render["frame"][1]
    n = len(render["curve"])
    positions = np.arange(n) * sx
    curve = np.interp(np.arange(len(reference["curve"])), positions, render["curve"] * sy)
    return {"frame": reference["frame"], "curve": curve,
            "peak": (render["peak"][0] * sx, render["peak"][1] * sy)}


def compare(reference, render):
    problems = []
    if max(abs(a - b) for a, b in zip(reference["frame"], render["frame"])) > TOLERANCE:
        problems.append("frame %s, expected %s" % (render["frame"], reference["frame"]))
    n = min(len(reference["curve"]), len(render["curve"]))
    off = np.abs(reference["curve"][:n] - render["curve"][:n])
    if np.median(off) > TOLERANCE:
        problems.append("curve off by %.1f px (median)" % np.median(off))
    if max(abs(a - b) for a, b in zip(reference["peak"], render["peak"])) > TOLERANCE:
        problems.append("peak %s, expected %s" % (render["peak"], reference["peak"]))
    return problems


def main(argv):
    reference = features(read_ppm(argv[1]))
    failed = False
    for path in argv[2:]:
        scaled = path.startswith("scaled:")
        path = path[len("scaled:"):] if scaled else path
        try:
            render = features(read_ppm(path))
            problems = compare(reference, scaled_to(reference, render) if scaled else render)
        except (ValueError, AssertionError, OSError) as e:
            problems = ["unreadable: %s" % e]
        print("%s: %s" % (path, "; ".join(problems) if problems else "ok"))
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
