// Best-lag search by FFT cross-correlation and a running energy window.
#include "SoundMatch.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

typedef std::complex<double> Complex;

// In-place radix-2 transform; inverse without the 1/n scale.
void Fft(std::vector<Complex>& a, bool inverse)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i)
    {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    const double pi = std::acos(-1.0);
    for (size_t len = 2; len <= n; len <<= 1)
    {
        const double angle = 2 * pi / static_cast<double>(len) * (inverse ? 1 : -1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len)
        {
            Complex w(1);
            for (size_t k = 0; k < len / 2; ++k, w *= step)
            {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// sum over i of ref[i] * rec[i + lag], for every lag from 0.
std::vector<double> CrossCorrelation(const std::vector<double>& ref, const std::vector<double>& rec)
{
    size_t n = 1;
    while (n < ref.size() + rec.size())
        n <<= 1;
    std::vector<Complex> a(n), b(n);
    std::copy(ref.begin(), ref.end(), a.begin());
    std::copy(rec.begin(), rec.end(), b.begin());
    Fft(a, false);
    Fft(b, false);
    for (size_t i = 0; i < n; ++i)
        a[i] = std::conj(a[i]) * b[i];
    Fft(a, true);
    std::vector<double> corr(rec.size() - ref.size() + 1);
    for (size_t lag = 0; lag < corr.size(); ++lag)
        corr[lag] = a[lag].real() / static_cast<double>(n);
    return corr;
}

}  // namespace

SoundMatch BestLag(const std::vector<double>& reference, const std::vector<double>& recording)
{
    const std::vector<double> corr = CrossCorrelation(reference, recording);
    double refEnergy = 0;
    for (double s : reference)
        refEnergy += s * s;
    // Energy of the recording under the reference at each lag, as a running sum.
    double window = 0;
    for (size_t i = 0; i < reference.size(); ++i)
        window += recording[i] * recording[i];
    SoundMatch best;
    for (size_t lag = 0; lag < corr.size(); ++lag)
    {
        if (lag > 0)
        {
            const double in = recording[lag + reference.size() - 1], out = recording[lag - 1];
            window += in * in - out * out;
        }
        const double norm = std::sqrt(refEnergy * std::fmax(window, 0.0));
        const double value = norm > 0 ? corr[lag] / norm : 0;
        if (value > best.correlation)
        {
            best.correlation = value;
            best.lag = lag;
        }
    }
    return best;
}

NonZero WithoutZeros(const std::vector<double>& samples)
{
    NonZero result;
    for (size_t i = 0; i < samples.size(); ++i)
    {
        if (samples[i] == 0)
            continue;
        result.samples.push_back(samples[i]);
        result.kept.push_back(i);
    }
    return result;
}
