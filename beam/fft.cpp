#include "beam/fft.h"

#include <fftw3.h>

#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace qm {

namespace {

// Plans are made once per (size, sign) on a scratch buffer, in place and
// without alignment assumptions, then run on the caller's array.
class PlanCache {
public:
    ~PlanCache()
    {
        for (auto& [key, plan] : plans_)
            fftw_destroy_plan(plan);
    }
    fftw_plan get(std::size_t size, int sign)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& plan = plans_[{size, sign}];
        if (!plan) {
            auto* scratch = fftw_alloc_complex(size);
            plan = fftw_plan_dft_1d(static_cast<int>(size), scratch, scratch,
                                    sign < 0 ? FFTW_FORWARD : FFTW_BACKWARD, FFTW_ESTIMATE | FFTW_UNALIGNED);
            fftw_free(scratch);
        }
        return plan;
    }

private:
    std::mutex mutex_;
    std::map<std::pair<std::size_t, int>, fftw_plan> plans_;
};

PlanCache& planCache()
{
    static PlanCache cache;
    return cache;
}

} // namespace

bool isPowerOfTwo(std::size_t m) { return m >= 1 && (m & (m - 1)) == 0; }

bool fft(Complex* data, std::size_t size, int sign)
{
    if (size < 2 || !isPowerOfTwo(size) || size > (std::size_t(1) << 30))
        return false;
    auto* p = reinterpret_cast<fftw_complex*>(data);
    fftw_execute_dft(planCache().get(size, sign), p, p);
    return true;
}

bool fft(std::vector<Complex>& data, int sign) { return fft(data.data(), data.size(), sign); }

Complex divideScaled(Complex a, Complex b)
{
    const double br = b.real(), bi = b.imag();
    if (br == 0 && bi == 0)
        return 0;
    if (std::abs(br) >= std::abs(bi)) {
        const double r = bi / br, den = br + r * bi;
        return {(a.real() + r * a.imag()) / den, (a.imag() - r * a.real()) / den};
    }
    const double r = br / bi, den = bi + r * br;
    return {(a.real() * r + a.imag()) / den, (a.imag() * r - a.real()) / den};
}

double modulus(Complex a)
{
    const double x = std::abs(a.real()), y = std::abs(a.imag());
    if (x == 0)
        return y;
    if (y == 0)
        return x;
    return x > y ? x * std::sqrt(1 + (y / x) * (y / x)) : y * std::sqrt(1 + (x / y) * (x / y));
}

} // namespace qm
