#pragma once
// The spectrum settings of the application, the document and every data set, edited by the FFT
// settings dialog; the transform itself is CKSTChannel::FFT and CKSTChannel::ComputeSpectrum.

#include "data/Channel.h"

#include <cstdint>

struct CKSTFFTSettings {
    // Length modes: what happens when the count is not a power of two.
    static constexpr uint32_t kLengthAutomatic = 0;  // pad when 10 % beyond a power, else cut
    static constexpr uint32_t kLengthCut = 1;
    static constexpr uint32_t kLengthPadWithMean = 2;
    static constexpr uint32_t kLengthResample = 3;
    // Windows.
    static constexpr uint32_t kWindowRectangle = 0;
    static constexpr uint32_t kWindowHann = 1;
    static constexpr uint32_t kWindowHamming = 2;
    static constexpr uint32_t kWindowBlackmanHarris = 3;

    uint8_t m_RemoveMean = 1;
    // A time-vector channel is made equidistant first; without it it gives no spectrum.
    uint8_t m_ConvertTimeVector = 1;
    uint8_t m_Power = 0;
    // >= 2: the amplitudes are smoothed over this many points.
    uint32_t m_SmoothingPoints = 0;
    // Used when the points are below 2: smoothing over this width in Hz when > 0.
    double m_SmoothingWidth = 0.0;
    uint32_t m_LengthMode = kLengthAutomatic;
    uint32_t m_Window = kWindowRectangle;
    // >= 3: only the last this-many samples of a longer channel are used (online spectra).
    int32_t m_MaximumLength = -1;
};
