// Amplitude and phase spectra of a channel: the samples, their mean removed, padded, cut or
// resampled to a power of two and windowed, go through one real transform.

#include "data/Channel.h"
#include "data/ChannelStorage.h"
#include "data/FFTSettings.h"
#include "data/FourierTransform.h"

#include <algorithm>
#include <cmath>
#include <memory>

using kst_channel::AllocateZeroed;

namespace {

// Amplitude correction of a window: the inverse of its mean weight.
double WindowCorrection(uint32_t window)
{
    switch (window) {
        case CKSTFFTSettings::kWindowHann:
            return 2.0;
        case CKSTFFTSettings::kWindowHamming:
            return 1.852612421875;
        case CKSTFFTSettings::kWindowBlackmanHarris:
            return 2.7708584375;
        default:
            return 1.0;
    }
}

// Multiplies x[0 .. n-1] by the window over them: cos(2 pi i / (n - 1)) from the twiddle
// tables, its multiples by the Chebyshev recurrence, instead of a cosine call per sample.
void ApplyWindow(uint32_t window, double* x, uint32_t n)
{
    if (window == CKSTFFTSettings::kWindowRectangle || window > CKSTFFTSettings::kWindowBlackmanHarris) {
        return;
    }
    const kst_fft::Twiddles twiddles(n - 1);
    for (uint32_t i = 0; i < n; ++i) {
        double c = 0.0;
        double s = 0.0;
        twiddles.At(i, c, s);
        double weight = 1.0;
        switch (window) {
            case CKSTFFTSettings::kWindowHann:
                weight = 0.5 - 0.5 * c;
                break;
            case CKSTFFTSettings::kWindowHamming:
                weight = 0.54 - 0.46 * c;
                break;
            default: {
                const double c2 = 2.0 * c * c - 1.0;
                const double c3 = c * (4.0 * c * c - 3.0);
                weight = 0.35875 - 0.48829 * c + 0.14128 * c2 - 0.01168 * c3;
                break;
            }
        }
        x[i] *= weight;
    }
}

uint32_t LargestPowerOfTwoNotAbove(uint32_t n)
{
    uint32_t p = 1;
    while (p <= n / 2) {
        p *= 2;
    }
    return p;
}

}  // namespace

bool CKSTChannel::FFT(const CKSTChannel& source, CKSTChannel& amplitudeOut, CKSTChannel& phaseOut,
                      uint32_t lengthMode, uint32_t window, int32_t maximumLength, bool removeMean,
                      bool convertTimeVector)
{
    return ComputeFFT(source, amplitudeOut, &phaseOut, lengthMode, window, maximumLength,
                      removeMean, convertTimeVector);
}

bool CKSTChannel::ComputeFFT(const CKSTChannel& source, CKSTChannel& amplitudeOut,
                             CKSTChannel* phaseOut, uint32_t lengthMode, uint32_t window,
                             int32_t maximumLength, bool removeMean, bool convertTimeVector)
{
    if (source.m_count < 4 || source.m_timeBaseType == kMatrix) {
        return false;
    }
    // The samples are read where they are; only a time vector to convert and a resampling
    // need a copy of the channel to work on.
    CKSTChannel work;
    const CKSTChannel* samples = &source;
    if (source.m_timeBaseType == kTimeVector) {
        if (!convertTimeVector) {
            return false;
        }
        work = source;
        if (!work.ConvertToEquidistant(true, false)) {
            return false;
        }
        samples = &work;
    }
    // The last maximumLength samples; the spectrum's start time stamp moves to the first.
    uint32_t first = 0;
    uint32_t n = samples->m_count;
    if (maximumLength >= 3 && n > static_cast<uint32_t>(maximumLength)) {
        first = n - static_cast<uint32_t>(maximumLength);
        n = static_cast<uint32_t>(maximumLength);
    }
    CKSTTimeStamp stamp = samples->m_startTimeStamp;
    if (first > 0) {
        stamp.AddSeconds(first * samples->m_dt + samples->m_t0);
    }
    double dt = samples->m_dt;

    uint32_t p = LargestPowerOfTwoNotAbove(n);
    bool pad = false;
    double mean = 0.0;
    if (removeMean) {
        const double* v = samples->m_values.get() + first;
        double sum = 0.0;
        for (uint32_t i = 0; i < n; ++i) {
            sum += v[i];
        }
        mean = sum / n;
    }
    if (p != n && lengthMode == CKSTFFTSettings::kLengthResample) {
        if (samples != &work) {
            work = source;
        }
        if (first > 0) {
            work.CutIndexRange(first, first + n, false);
        }
        work.SubtractFromValues(mean);
        mean = 0.0;
        work.ResampleToPowerOfTwo(false);
        // Missing samples at the ends can leave a resampled channel short of the power.
        if (!kst_fft::IsPowerOfTwo(work.m_count)) {
            work.CutIndexRange(0, LargestPowerOfTwoNotAbove(work.m_count), true);
        }
        samples = &work;
        first = 0;
        n = work.m_count;
        p = n;
        dt = work.m_dt;
        stamp = work.m_startTimeStamp;
    } else if (p != n) {
        pad = lengthMode == CKSTFFTSettings::kLengthPadWithMean ||
              (lengthMode != CKSTFFTSettings::kLengthCut && static_cast<double>(n) / p > 1.1);
    }
    const uint32_t length = pad ? 2 * p : p;
    if (length < 4) {
        return false;
    }

    // The transform's input: the samples less their mean, then the padding, which is the mean
    // of the samples as they are then.
    std::unique_ptr<double[]> x(new double[length]);
    {
        const double* v = samples->m_values.get() + first;
        const uint32_t used = std::min(n, length);
        double sum = 0.0;
        for (uint32_t i = 0; i < used; ++i) {
            x[i] = v[i] - mean;
            sum += x[i];
        }
        std::fill(x.get() + used, x.get() + length, used > 0 ? sum / used : 0.0);
    }
    ApplyWindow(window, x.get(), length);

    const uint32_t bins = length / 2 + 1;
    CKSTChannel amplitude;
    CKSTChannel phase;
    Array<double> im = AllocateZeroed<double>(bins);
    // The amplitudes take the channel's description, the phases only the frequency axis.
    amplitude.CopyHeader(*samples);
    amplitude.m_startTimeStamp = stamp;
    for (CKSTChannel* out : {&amplitude, &phase}) {
        if (out == &phase && phaseOut == nullptr) {
            break;
        }
        out->m_timeBaseType = kEquidistant;
        out->m_t0 = 0.0;
        out->m_dt = 1.0 / (dt * length);
        out->m_timeUnit = "Hz";
    }
    double* re = nullptr;
    amplitude.AppendDecoded(bins, [&](double* out) { re = out; });
    kst_fft::RealForward(x.get(), length, re, im.get());
    x.reset();

    const double norm = length * 0.5;
    const double correction = WindowCorrection(window);
    double* phases = nullptr;
    if (phaseOut != nullptr) {
        phase.AppendDecoded(bins, [&](double* out) { phases = out; });
    }
    for (uint32_t k = 0; k < bins; ++k) {
        double r = re[k] / norm;
        const double i = -(im[k] / norm);
        if (k == 0 || k == bins - 1) {
            r *= 0.5;
        }
        re[k] = std::sqrt(r * r + i * i) * correction;
        if (phases != nullptr) {
            phases[k] = std::atan2(i, r);
        }
    }
    amplitudeOut.TakeOver(amplitude);
    if (phaseOut != nullptr) {
        phaseOut->TakeOver(phase);
    }
    return true;
}

bool CKSTChannel::ComputeSpectrum(CKSTChannel& amplitudeOut, const CKSTFFTSettings& settings) const
{
    if (!ComputeFFT(*this, amplitudeOut, nullptr, settings.m_LengthMode, settings.m_Window,
                    settings.m_MaximumLength, settings.m_RemoveMean != 0,
                    settings.m_ConvertTimeVector != 0)) {
        return false;
    }
    if (settings.m_Power) {
        amplitudeOut.SquareValues();
    }
    if (settings.m_SmoothingPoints >= 2) {
        amplitudeOut.SmoothTriangular(settings.m_SmoothingPoints);
    } else if (settings.m_SmoothingWidth > 0.0) {
        amplitudeOut.SmoothTriangularWidth(settings.m_SmoothingWidth);
    }
    return true;
}
