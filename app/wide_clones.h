#pragma once
// QM_WIDE_CLONES before a function definition compiles it twice: once for
// processors with AVX2 and FMA, where its loops use the wider registers,
// and once plain. The copy is chosen by a resolver that runs while the
// program is loaded, before ThreadSanitizer is ready, so its builds keep
// the one plain copy. A function marked so must give the same result in
// both copies: no sum whose rounding FMA contraction would change.
#if defined(__SANITIZE_THREAD__)
#define QM_WIDE_CLONES
#else
#define QM_WIDE_CLONES __attribute__((target_clones("arch=haswell", "default")))
#endif
