#pragma once
// Complex transform of power-of-two length, in place: sign -1 is the forward
// transform (kernel exp(-2 pi i jk/M)), +1 the inverse, no scaling; index 0
// is the zero frequency. Computed by FFTW with one plan per size and sign.
#include <complex>
#include <vector>

namespace qm {

using Complex = std::complex<double>;

bool isPowerOfTwo(std::size_t m);
// Transforms data[0 .. size); false (data untouched) unless the size is a
// power of two of at least 2.
bool fft(std::vector<Complex>& data, int sign);
bool fft(Complex* data, std::size_t size, int sign);

// Quotient by the scaled method (divided through by the larger component of
// the divisor, so no intermediate overflows); a zero divisor gives 0.
Complex divideScaled(Complex a, Complex b);
// Modulus as the larger component times sqrt(1 + ratio^2).
double modulus(Complex a);

} // namespace qm
