// acm_sound_match REFERENCE RECORDING: where a recording (raw 16-bit mono
// samples) holds the reference best, by normalised cross-correlation over
// every lag at which the whole reference lies inside the recording. Prints
// "lag L samples, correlation C, recording peak P"; exit code 1 when the
// files cannot be read or the recording is shorter than the reference.
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

typedef std::complex<double> Complex;

bool readSamples(const char* path, std::vector<double>& samples)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    samples.resize(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return true;
}

// In-place radix-2 transform; inverse without the 1/n scale.
void fft(std::vector<Complex>& a, bool inverse)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    const double pi = std::acos(-1.0);
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * pi / static_cast<double>(len) * (inverse ? 1 : -1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// sum over i of ref[i] * rec[i + lag], for every lag from 0.
std::vector<double> crossCorrelation(const std::vector<double>& ref, const std::vector<double>& rec)
{
    size_t n = 1;
    while (n < ref.size() + rec.size()) n <<= 1;
    std::vector<Complex> a(n), b(n);
    std::copy(ref.begin(), ref.end(), a.begin());
    std::copy(rec.begin(), rec.end(), b.begin());
    fft(a, false);
    fft(b, false);
    for (size_t i = 0; i < n; ++i) a[i] = std::conj(a[i]) * b[i];
    fft(a, true);
    std::vector<double> corr(rec.size() - ref.size() + 1);
    for (size_t lag = 0; lag < corr.size(); ++lag) corr[lag] = a[lag].real() / static_cast<double>(n);
    return corr;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<double> ref, rec;
    if (argc != 3 || !readSamples(argv[1], ref) || !readSamples(argv[2], rec)) {
        std::fprintf(stderr, "usage: acm_sound_match REFERENCE.raw RECORDING.raw (both readable)\n");
        return 1;
    }
    double peak = 0;
    for (double s : rec) peak = std::fmax(peak, std::fabs(s));
    if (ref.empty() || rec.size() < ref.size()) {
        std::printf("recording of %zu samples is shorter than the reference of %zu; recording peak %.0f\n",
                    rec.size(), ref.size(), peak);
        return 1;
    }
    const std::vector<double> corr = crossCorrelation(ref, rec);
    double refEnergy = 0;
    for (double s : ref) refEnergy += s * s;
    // Energy of the recording under the reference at each lag, as a running sum.
    double window = 0;
    for (size_t i = 0; i < ref.size(); ++i) window += rec[i] * rec[i];
    size_t bestLag = 0;
    double best = -2;
    for (size_t lag = 0; lag < corr.size(); ++lag) {
        if (lag > 0) window += rec[lag + ref.size() - 1] * rec[lag + ref.size() - 1] - rec[lag - 1] * rec[lag - 1];
        const double norm = std::sqrt(refEnergy * std::fmax(window, 0.0));
        const double value = norm > 0 ? corr[lag] / norm : 0;
        if (value > best) {
            best = value;
            bestLag = lag;
        }
    }
    std::printf("lag %zu samples, correlation %.4f, recording peak %.0f\n", bestLag, best, peak);
    return 0;
}
