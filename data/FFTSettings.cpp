#include "data/FFTSettings.h"

#include "data/FourierTransform.h"
#include "foundation/Numeric.h"

#include <cmath>
#include <vector>

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

double WindowWeight(uint32_t window, double a, size_t i)
{
    const double x = a * static_cast<double>(i);
    switch (window) {
        case CKSTFFTSettings::kWindowHann:
            return 0.5 - 0.5 * std::cos(x);
        case CKSTFFTSettings::kWindowHamming:
            return 0.54 - 0.46 * std::cos(x);
        case CKSTFFTSettings::kWindowBlackmanHarris:
            return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2.0 * x) -
                   0.01168 * std::cos(3.0 * x);
        default:
            return 1.0;
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
    CKSTChannel work(source);
    if (work.m_timeBaseType == kTimeVector &&
        (!convertTimeVector || !work.ConvertToEquidistant(true, false))) {
        return false;
    }
    if (maximumLength >= 3 && work.m_count > static_cast<uint32_t>(maximumLength)) {
        work.CutIndexRange(work.m_count - static_cast<uint32_t>(maximumLength), work.m_count,
                           false);
    }
    if (removeMean) {
        work.SubtractFromValues(work.GetMeanValue());
    }
    const uint32_t n = work.m_count;
    const uint32_t p = LargestPowerOfTwoNotAbove(n);
    if (p != n) {
        const bool pad =
            lengthMode == CKSTFFTSettings::kLengthPadWithMean ||
            (lengthMode != CKSTFFTSettings::kLengthCut &&
             lengthMode != CKSTFFTSettings::kLengthResample && static_cast<double>(n) / p > 1.1);
        if (lengthMode == CKSTFFTSettings::kLengthResample) {
            work.ResampleToPowerOfTwo(false);
        } else if (pad) {
            work.AppendValues(work.GetMeanValue(), false, 2 * p - n);
        } else {
            work.CutIndexRange(0, p, true);
        }
        // Missing samples at the ends can leave a resampled channel short of the power.
        if (!kst_fft::IsPowerOfTwo(work.m_count)) {
            work.CutIndexRange(0, LargestPowerOfTwoNotAbove(work.m_count), true);
        }
    }
    const uint32_t length = work.m_count;
    if (length < 4) {
        return false;
    }

    std::vector<double> x(work.m_values.get(), work.m_values.get() + length);
    if (window != CKSTFFTSettings::kWindowRectangle) {
        const double a = 2.0 * kPi / (length - 1);
        for (uint32_t i = 0; i < length; ++i) {
            x[i] *= WindowWeight(window, a, i);
        }
    }
    const uint32_t bins = length / 2 + 1;
    std::vector<double> re(bins);
    std::vector<double> im(bins);
    kst_fft::RealForward(x.data(), length, re.data(), im.data());

    CKSTChannel amplitude;
    amplitude.CopyFrom(work);
    CKSTChannel phase;
    for (CKSTChannel* out : {&amplitude, &phase}) {
        if (out == &phase && phaseOut == nullptr) {
            break;
        }
        out->m_timeBaseType = kEquidistant;
        out->m_t0 = 0.0;
        out->m_dt = 1.0 / (work.m_dt * length);
        out->m_timeUnit = "Hz";
        out->SetCapacity(bins);
        out->m_count = bins;
    }
    const double norm = length * 0.5;
    const double correction = WindowCorrection(window);
    for (uint32_t k = 0; k < bins; ++k) {
        double r = re[k] / norm;
        const double i = -(im[k] / norm);
        if (k == 0 || k == bins - 1) {
            r *= 0.5;
        }
        amplitude.m_values[k] = std::sqrt(r * r + i * i) * correction;
        if (phaseOut != nullptr) {
            phase.m_values[k] = std::atan2(i, r);
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
