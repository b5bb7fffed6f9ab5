#!/bin/sh
# The pipeline benchmark: a 200-scan x 8000-point set reduced by Quillmar's
# script and by the astropy + scipy script, results compared to 1e-4 of the
# data range, wall times and their ratio printed.
#   bench/pipeline/run.sh BUILD_DIR
set -e
BUILD=$(cd "${1:-build}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK="$BUILD/pipeline"
PY=/usr/bin/python3
rm -rf "$WORK" && mkdir -p "$WORK" && cd "$WORK"
"$BUILD/quillmar-synth" --out set.0hd --freqs 200 --from 2 --to 24 --points 8000 --step 1 --seed 3 >/dev/null
"$BUILD/quillmar-batch" --quiet --convert set.0hd set.fits
rm -f set.0hd set.0*
now() { date +%s.%N; }
t0=$(now)
"$BUILD/quillmar-batch" --quiet --script "$HERE/reduce.spt" set.fits
t1=$(now)
"$PY" "$HERE/reduce.py" set.fits python.fits 1
t2=$(now)
"$PY" - quillmar.fits python.fits <<'PYEOF'
import sys
import numpy as np
from astropy.io import fits
a = fits.getdata(sys.argv[1]).astype(np.float64)
b = fits.getdata(sys.argv[2]).astype(np.float64)
assert a.shape == b.shape, (a.shape, b.shape)
worst = np.abs(a - b).max() / (b.max() - b.min())
print("largest difference: %.2e of the range" % worst)
sys.exit(0 if worst <= 1e-4 else 1)
PYEOF
awk -v q="$(echo "$t1 - $t0" | bc)" -v p="$(echo "$t2 - $t1" | bc)" \
    'BEGIN { printf "quillmar %.3f s, astropy+scipy %.3f s: %.1fx\n", q, p, p / q }'
