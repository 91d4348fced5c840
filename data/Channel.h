#pragma once
// One measured signal: names, units, time base, start time stamp and the parallel sample arrays
// (times, values, missing flags) that readers fill, recorders grow and curve windows walk.

#include "data/ChannelObserver.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

struct CKSTFFTSettings;

// Thrown when sample storage cannot be allocated; the channel keeps its previous arrays.
class CKSTBadAlloc : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "bad allocation"; }
};

class CKSTChannel {
public:
    // Time-base kinds.
    static constexpr uint32_t kEquidistant = 0;  // time of sample i is t0 + i x dt
    static constexpr uint32_t kTimeVector = 1;   // explicit time per sample
    static constexpr uint32_t kMatrix = 2;       // rows of a fixed length over a second axis

    // Bounds of index-range queries meaning "the whole channel".
    static constexpr uint32_t kWholeChannel = 0xFFFFFFFFu;

    static constexpr uint32_t kDefaultGrowthStep = 1000;

    // Sample arrays live in malloc'd memory so that they can be resized in place and so that a
    // large zeroed array comes as untouched pages from the system.
    struct FreeArray {
        void operator()(void* p) const noexcept { std::free(p); }
    };
    template <typename T>
    using Array = std::unique_ptr<T[], FreeArray>;

    CKSTChannel();
    // Deep copy without the windows that show the source and without its backing file, which
    // stays the source's to delete.
    CKSTChannel(const CKSTChannel& other);
    CKSTChannel& operator=(const CKSTChannel& other);
    ~CKSTChannel();

    // --- Texts and header fields ---
    CKSTString GetName() const { return m_name; }
    CKSTString GetGroup() const { return m_group; }
    CKSTString GetComment() const { return m_comment; }
    CKSTString GetUniqueName() const { return m_uniqueName; }
    CKSTString GetSourceFile() const { return m_sourceFile; }
    CKSTString GetBackingFile() const { return m_backingFile; }
    CKSTString GetTimeUnit() const { return m_timeUnit; }
    CKSTString GetUnit() const { return m_unit; }
    CKSTString GetSecondAxisUnit() const { return m_secondAxisUnit; }
    void SetName(const CKSTString& text) { m_name = text; }
    void SetGroup(const CKSTString& text) { m_group = text; }
    void SetComment(const CKSTString& text) { m_comment = text; }
    void SetUniqueName(const CKSTString& text) { m_uniqueName = text; }
    void SetSourceFile(const CKSTString& path) { m_sourceFile = path; }
    // A temporary file holding this channel's data; deleted when the channel is destroyed.
    void SetBackingFile(const CKSTString& path) { m_backingFile = path; }
    void SetTimeUnit(const CKSTString& text) { m_timeUnit = text; }
    void SetUnit(const CKSTString& text) { m_unit = text; }
    void SetSecondAxisUnit(const CKSTString& text) { m_secondAxisUnit = text; }

    uint32_t GetTimeBaseType() const { return m_timeBaseType; }
    uint16_t GetSampleType() const { return m_sampleType; }
    uint16_t GetStoredSampleType() const { return m_storedSampleType; }
    void SetSampleType(uint16_t type) { m_sampleType = type; }
    void SetStoredSampleType(uint16_t type) { m_storedSampleType = type; }
    int32_t GetNumber() const { return m_number; }
    void SetNumber(int32_t number) { m_number = number; }
    int32_t GetSourceAttribute() const { return m_sourceAttribute; }
    void SetSourceAttribute(int32_t value) { m_sourceAttribute = value; }
    // Channel colour, -1 for none (the curve window then picks one).
    int32_t GetColor() const { return m_color; }
    void SetColor(int32_t color) { m_color = color; }
    uint16_t GetStoredDisplayFlags() const { return m_storedDisplayFlags; }
    uint16_t GetDisplayFlags() const { return m_displayFlags; }
    void SetStoredDisplayFlags(uint16_t flags) { m_storedDisplayFlags = flags; }
    void SetDisplayFlags(uint16_t flags) { m_displayFlags = flags; }
    bool IsSelected() const { return m_selected != 0; }
    void SetSelected(bool selected) { m_selected = selected ? 1 : 0; }

    CKSTTimeStamp GetStartTimeStamp() const { return m_startTimeStamp; }
    void SetStartTimeStamp(const CKSTTimeStamp& stamp) { m_startTimeStamp = stamp; }
    double GetDt() const { return m_dt; }
    void SetDt(double dt) { m_dt = dt; }
    double GetT0() const { return m_t0; }
    void SetT0(double t0) { m_t0 = t0; }
    double GetTimeOffset() const { return m_timeOffset; }
    double GetValueOffset() const { return m_valueOffset; }

    uint32_t GetMatrixRowLength() const { return m_matrixRowLength; }
    void SetMatrixRowLength(uint32_t n) { m_matrixRowLength = n; }
    double GetSecondAxisOrigin() const { return m_secondAxisOrigin; }
    void SetSecondAxisOrigin(double origin) { m_secondAxisOrigin = origin; }
    double GetSecondAxisStep() const { return m_secondAxisStep; }
    void SetSecondAxisStep(double step) { m_secondAxisStep = step; }
    // Set: every value of a matrix channel is a colour painted as it is.
    bool IsColorMatrix() const { return m_matrixFlag != 0; }
    void SetColorMatrix(bool on) { m_matrixFlag = on ? 1 : 0; }

    // --- Storage ---
    uint32_t GetCount() const { return m_count; }
    uint32_t GetCapacity() const { return m_capacity; }
    uint32_t GetGrowthStep() const { return m_growthStep; }
    bool AreTimesAscending() const { return m_timesAscending != 0; }
    bool HasMissing() const { return m_hasMissing != 0; }
    // The arrays themselves, `GetCount` entries valid; times only for the time-vector kind.
    const double* GetTimes() const { return m_times.get(); }
    const double* GetValues() const { return m_values.get(); }
    const uint8_t* GetMissingFlags() const { return m_missing.get(); }

    // Only while nothing is allocated; unknown kinds are ignored.
    void SetTimeBaseType(uint32_t kind);
    // Only n > 1 is taken.
    void SetGrowthStep(uint32_t n);
    // Total capacity of at least n samples, growing by at least one growth step.
    void Reserve(uint32_t n);
    // Writes once into every page of the values' room behind the count, on several threads: a
    // reader that knows what follows pays the first touches of the fresh pages there, shared
    // out, instead of block by block on one thread.
    void TouchRoom();
    // Reallocates every array to n samples, keeping the first min(count, n); a large capacity
    // raises the growth step to a tenth of it.
    void SetCapacity(uint32_t n);

    // n present samples behind the last one, written in place by decode(double* out) into
    // out[0] .. out[n-1]. A first block gets room for exactly n samples, later ones grow the
    // arrays geometrically. The times of a time vector's new samples are the caller's to set.
    template <typename Decode>
    void AppendDecoded(uint32_t n, Decode&& decode)
    {
        if (n != 0) {
            decode(MakeRoom(n));
            m_count += n;
        }
    }
    // n missing samples (value 0) behind the last one, growing like AppendDecoded.
    void AppendMissing(uint32_t n);

    // Equidistant channels only.
    void AppendValue(double value, bool missing);
    // n copies of one sample, for any kind (times of a time vector are left 0 for the caller).
    void AppendValues(double value, bool missing, uint32_t n);
    // Appends a sample at a time relative to the start time stamp; an equidistant channel stays
    // one while the time lies on its grid, otherwise it becomes a time vector.
    void AppendTimeValue(double time, double value);
    // Whether a sample at `time` lies where sample `index` of the equidistant grid does, within a
    // thousandth of a step: what keeps AppendTimeValue's channel equidistant.
    bool IsOnGrid(uint32_t index, double time) const
    {
        return std::fabs(time - (index * m_dt + m_t0)) <= 0.001 * m_dt;
    }
    // Decodes n codes of bitsPerCode bits (most significant bit first, packed across bytes)
    // from bytes and appends them: code x scale + offset, or with delta firstValue followed by
    // the running sum of the codes less the bias -offset / scale. Returns KST_ERR_END_OF_DATA
    // when `available` holds fewer than ceil(n x bitsPerCode / 8) bytes and
    // KST_ERR_INVALID_PACKED_BLOCK for codes wider than 32 bits; nothing is appended then.
    int ReadPackedValues(const uint8_t* bytes, size_t available, uint32_t n, uint32_t bitsPerCode,
                         double scale, double offset, bool delta, double firstValue);

    void SetTimeAt(uint32_t i, double time);
    // A time vector's times become the first GetCount() values of `times` (which holds at least
    // as many), whose arrays it takes over; `times` is left empty.
    void TakeTimes(CKSTChannel& times);
    void FillTimes(double time);
    void SetValueAt(uint32_t i, double value);

    // Missing flag of sample i clamped into the channel; false when empty.
    bool IsMissing(int64_t i) const;
    // First index >= i whose sample is missing, or the count.
    uint32_t FindNextMissing(uint32_t i) const;
    // First index >= i whose sample is present, or the count.
    uint32_t FindNextPresent(uint32_t i) const;
    // Recomputes the has-missing flag (only equidistant channels can gain it); returns the first
    // missing index, or the count.
    uint32_t RescanMissing();
    // Recomputes the times-ascending flag of a time vector.
    void RescanAscending();

    void FreeData(bool arrays, bool texts);
    void Reset() { FreeData(true, true); }
    // Every field back to its default; the windows showing the channel stay registered.
    void InitDefaults();
    // Takes the description of another channel without its samples or value texts.
    void CopyFrom(const CKSTChannel& other);

    // An equidistant channel becomes a time vector with times t0 + i x dt + offset; missing
    // samples are dropped.
    void ConvertToTimeVector(double offset);
    // Same kind, grid or times, start time stamp and count.
    bool HasSameTimeBase(const CKSTChannel& other) const;

    // --- Time base ---
    double GetTimeAt(int64_t i) const;
    double GetValue(int64_t i) const;
    double GetLastValue() const;
    double GetStartTime() const;
    double GetEndTime() const;
    double GetSampleInterval() const;
    // Inclusive index range; kWholeChannel for both bounds covers every sample.
    double GetMinValue(uint32_t first = kWholeChannel, uint32_t last = kWholeChannel) const;
    double GetMaxValue(uint32_t first = kWholeChannel, uint32_t last = kWholeChannel) const;
    // Half-open index range [first, end) over the samples that are present; positiveOnly gives
    // a range usable by a logarithmic axis.
    void GetValueRange(double& min, double& max, bool positiveOnly = false,
                       uint32_t first = kWholeChannel, uint32_t end = kWholeChannel) const;
    // Nearest sample.
    uint32_t FindIndex(double time) const;
    // Last usable sample at or before the time.
    uint32_t GetIndexAtTime(double time) const;
    double GetValueAtTime(double time, bool noInterpolation = false,
                          bool zeroOutside = false) const;
    // True when a sample lies within 1e-6 of the time; index is the sample found.
    bool FindSampleAtTime(double time, uint32_t& index) const;

    double GetSecondsFromStart(const CKSTTimeStamp& stamp) const;
    double GetValueAtTimeStamp(const CKSTTimeStamp& stamp, bool noInterpolation = false,
                               bool zeroOutside = false) const;
    uint32_t GetIndexAtTimeStamp(const CKSTTimeStamp& stamp) const;
    bool FindSampleAtTimeStamp(const CKSTTimeStamp& stamp, uint32_t& index) const;
    CKSTTimeStamp GetFirstSampleTimeStamp() const;
    CKSTTimeStamp GetLastSampleTimeStamp() const;
    // Earliest sample later than the stamp, or a far-future stamp (9999-12-30) when none is.
    CKSTTimeStamp GetNextSampleTimeStamp(const CKSTTimeStamp& stamp) const;
    static CKSTTimeStamp FarFutureTimeStamp();

    // --- Value texts of text channels: value k is shown as entry k; entry 0 is empty ---
    int32_t AddValueText(const CKSTString& text, bool reuse);
    // Grows the table with empty texts up to i; entry 0 always stays empty.
    void SetValueText(int32_t i, const CKSTString& text);
    bool HasValueText(double value) const;
    CKSTString GetValueText(int32_t i) const;
    int32_t GetValueTextCount() const { return static_cast<int32_t>(m_valueTexts.size()); }
    CKSTString FormatValue(double value) const;
    void ConvertToValueTexts();

    // --- Windows that show the channel ---
    void AddObserver(IKSTChannelObserver* observer);
    void RemoveObserver(IKSTChannelObserver* observer);

    // Heap and record bytes of the channel as the channel list accounts them.
    uint64_t GetMemorySize() const;

    // --- Time window and origin (data/ChannelEdit.cpp) ---
    // Sample 0 takes the place of the time `shift` (its first samples were cut away): with
    // keepStamp t0 becomes shift + t0 (returns 0.0), otherwise the start time stamp advances by
    // that and t0 becomes 0 (returns shift). A time vector's times drop by shift instead, so its
    // samples keep their absolute times.
    double ShiftTimeOrigin(double shift, bool keepStamp);
    // Keeps samples [first, end) and moves the origin to the first kept one; 0.0 when empty.
    double CutIndexRange(uint32_t first, uint32_t end, bool keepStamp = false);
    // Keeps the samples from t1 up to (not including) t2, or all from t1 when t2 lies at or
    // beyond the last sample; frees the samples when none lies in [t1, t2].
    double CutTimeRange(double t1, double t2, bool keepStamp = false);
    double CutBetweenTimeStamps(const CKSTTimeStamp& stamp1, const CKSTTimeStamp& stamp2,
                                bool keepStamp = false);
    // This channel becomes the source's description with its samples between the nearest
    // samples to t1 and t2 (to the end when t2 lies beyond it).
    void CopyTimeWindow(const CKSTChannel& source, double t1, double t2, bool keepStamp);
    void CopyTimeWindow(const CKSTChannel& source, const CKSTTimeStamp& stamp1,
                        const CKSTTimeStamp& stamp2, bool keepStamp);

    // --- Appending and merging (data/ChannelEdit.cpp) ---
    // The other's samples behind this one's, as they are.
    void AppendDirect(const CKSTChannel& other);
    // The other's samples on this channel's time axis: behind the end (continueAfterEnd) or at
    // the distance of the two start time stamps; returns the other's origin on this axis.
    double Append(const CKSTChannel& other, bool continueAfterEnd);
    // Union of two ascending value runs; values closer than the tolerance count once.
    void MergeSortedValues(const CKSTChannel& other, double tolerance);

    // --- Value arithmetic (data/ChannelEdit.cpp) ---
    void AddToValues(double c);
    void SubtractFromValues(double c);
    void MultiplyValues(double c);
    void SquareValues();
    void ReverseValues();
    // Successive differences of the other (one sample fewer, at the later sample's time).
    void Difference(const CKSTChannel& other);
    // Running sum of the other's values before each sample, then one sample with the total.
    void CumulativeSum(const CKSTChannel& other);
    // Time vectors: every time moves by offset - stored offset.
    void SetTimeOffset(double offset);
    void SetValueOffset(double offset);

    // --- Time-base conversions (data/ChannelTimeBase.cpp) ---
    // An ascending time vector with regular steps becomes equidistant; irregular steps give
    // false unless resampleIfIrregular resamples to the smallest step first. A time that is not
    // finite gives false.
    bool ConvertToEquidistant(bool resampleIfIrregular, bool noInterpolation);
    // After an import: regular time vectors, also with missing grid points, become equidistant;
    // one with a time that is not finite stays a time vector.
    void MakeEquidistantIfRegular();
    // This becomes a time vector with x's values as times and y's values (y's description).
    void MakeXYChannel(const CKSTChannel& x, const CKSTChannel& y);
    // Times into timesOut's values, values into valuesOut's; both indexed 0, 1, 2 ...
    void SplitTimesAndValues(CKSTChannel& timesOut, CKSTChannel& valuesOut) const;
    // The step shared by more than half of the samples, within relTol.
    bool GetDominantTimeStep(double& step, double relTol) const;
    bool GetDominantValueStep(double& step, bool absolute, double relTol) const;

    // --- Resampling, smoothing and reduction (data/ChannelResample.cpp) ---
    void Resample(double newDt, bool noInterpolation);
    // Resamples to the largest power of two not above the count, or to twice that when the
    // count lies 10 % or more above it.
    void ResampleToPowerOfTwo(bool noInterpolation);
    // Runs of equal values become straight lines towards the next different value.
    void InterpolateSteps();
    // Band-limited interpolation of an equidistant channel to newDt <= dt.
    void InterpolateSinc(double newDt);
    // Triangular weights 1, 2, .., h, .., 2, 1 over `points` (made odd, at least 3) samples.
    void SmoothTriangular(uint32_t points);
    // The same over `width` in the time unit.
    void SmoothTriangularWidth(double width);
    // Keeps the last sample of each block of n.
    void Decimate(uint32_t n);
    // One sample per full block of n, over the block's samples that are not missing.
    void ReduceByAverage(uint32_t n);
    void ReduceByAverageToBinary(uint32_t n);
    void ReduceByMinimum(uint32_t n);
    void ReduceByMaximum(uint32_t n);

    // --- Test signals (data/ChannelGenerate.cpp): n equidistant samples from time 0; phase in
    // degrees ---
    void GenerateConstant(double value, uint32_t n, double dt);
    void GenerateRamp(uint32_t n, double dt);
    void GenerateSine(uint32_t n, double dt, double amplitude, double frequency, double phase);
    void GenerateSquare(uint32_t n, double dt, double amplitude, double frequency, double phase);
    void GenerateTriangle(uint32_t n, double dt, double amplitude, double frequency, double phase);
    void GenerateSawtooth(uint32_t n, double dt, double amplitude, double frequency, double phase);

    // --- Statistics and searches (data/ChannelStatistics.cpp) ---
    double GetMeanValue() const;
    // Over [first, end) (0, 0: the whole channel), missing samples included.
    void GetStatistics(double& min, double& max, double& mean, double& deviation, double& timeOfMin,
                       double& timeOfMax, uint32_t first = 0, uint32_t end = 0) const;
    double GetTimeOfMaxValue() const;
    // The earliest time the values reach the level: a sample at it or an interpolated crossing
    // between two samples; none gives the first time of a time vector, else 0.0.
    double FindLevelCrossingTime(double level) const;
    double FindLevelCrossingTimeInRange(double level, uint32_t first, uint32_t last) const;
    double FindLevelCrossingTimeAfter(double level, double time) const;
    double GetTimeOfNearestValue(double value) const;
    // Crossing directions of FindNextCrossingIndex.
    static constexpr uint32_t kCrossRising = 0;
    static constexpr uint32_t kCrossFalling = 1;
    static constexpr uint32_t kCrossEither = 2;
    // First index i >= start (i > 0) where the values cross the level; 0 when none.
    uint32_t FindNextCrossingIndex(double level, uint32_t start, uint32_t mode) const;
    bool GetMinMaxBetween(double t1, double t2, double& min, double& max) const;
    bool GetMinMaxInWindow(double t1, double t2, double& min, double& max) const;
    bool GetBarRangeInWindow(double t1, double t2, double& low, double& high) const;
    // First and last usable sample of the window [t1, t2].
    bool GetIndexRange(double t1, double t2, uint32_t& first, uint32_t& last) const;
    // A sample that is not missing lies in [t1, t2].
    bool HasSamplesBetween(double t1, double t2) const;
    // A segment between successive (time, value) points touches the rectangle.
    bool IntersectsRect(double left, double top, double right, double bottom) const;
    bool AreValuesAscending() const;
    bool AreValuesStrictlyAscending() const;
    bool IsBinary() const;

    // --- Spectrum (data/ChannelSpectrum.cpp, settings in data/FFTSettings.h) ---
    // Amplitude and phase over 0 .. 1/(2 dt) in N/2 + 1 bins; false below 4 samples, for a
    // time vector that is not to be converted or cannot be, or when fewer than 4 samples remain.
    static bool FFT(const CKSTChannel& source, CKSTChannel& amplitudeOut, CKSTChannel& phaseOut,
                    uint32_t lengthMode, uint32_t window, int32_t maximumLength, bool removeMean,
                    bool convertTimeVector);
    bool ComputeSpectrum(CKSTChannel& amplitudeOut, const CKSTFFTSettings& settings) const;

    // --- Integer grid of an index range [first, end) (end clamped), data/IntegerScaling.h ---
    // Values, times (time vectors only) or the differences of successive entries (at least two)
    // as code x scale + offset with codes 0 .. levels-1; false when no grid reproduces them.
    bool GetIntegerScaling(double& scale, double& offset, uint32_t& levels, uint32_t first,
                           uint32_t end) const;
    bool GetTimeIntegerScaling(double& scale, double& offset, uint32_t& levels, uint32_t first,
                               uint32_t end) const;
    bool GetDifferenceIntegerScaling(double& scale, double& offset, uint32_t& levels,
                                     uint32_t first, uint32_t end) const;
    bool GetTimeDifferenceIntegerScaling(double& scale, double& offset, uint32_t& levels,
                                         uint32_t first, uint32_t end) const;


    // --- Matrix channels: rows of GetMatrixRowLength columns, column c at time c x dt + t0,
    // row r at second-axis position r x step + origin. Other kinds give false or 0.0. ---
    // The columns c with floor(x1) < c <= floor(x2), x = (t - t0) / dt: adjacent windows share
    // no column. False when none lies in the window.
    bool GetColumnRange(double t1, double t2, uint32_t& first, uint32_t& last) const;
    // The same over the rows and the second axis.
    bool GetRowRange(double y1, double y2, uint32_t& first, uint32_t& last) const;
    double GetFirstRowPosition() const;
    double GetLastRowPosition() const;
    // Over columns c1..c2 and rows r1..r2 (inclusive; both kWholeChannel: all); 0.0 for an
    // empty block.
    double GetMatrixMin(uint32_t c1, uint32_t c2, uint32_t r1, uint32_t r2) const;
    double GetMatrixMax(uint32_t c1, uint32_t c2, uint32_t r1, uint32_t r2) const;
    // Largest GetMatrixValueAt along a row cut (columns c1..c2 at y) or a column cut (rows
    // r1..r2 at t); 0.0 for an empty range.
    double GetRowCutMax(uint32_t c1, uint32_t c2, double y) const;
    double GetColumnCutMax(double t, uint32_t r1, uint32_t r2) const;
    // Bilinear value at (t, y); beyond the grid the edge values. A colour matrix blends its red,
    // green and blue bytes separately. 0.0 for an empty matrix.
    double GetMatrixValueAt(double t, double y) const;

private:
    void CopyHeader(const CKSTChannel& other);
    // Takes a scratch channel's description, samples and value texts without copying arrays;
    // the windows and the backing file stay this channel's. The source is left empty.
    void TakeOver(CKSTChannel& source);
    // Replaces the arrays by ones holding exactly `count` samples (null arrays for none).
    void AdoptArrays(Array<double> times, Array<double> values, Array<uint8_t> missing,
                     uint32_t count);
    void ReduceBlocks(uint32_t n, int mode);
    uint32_t FirstIndexAtOrAfter(double time) const;
    double CrossingTime(double level, uint32_t first, uint32_t last) const;
    // FFT with the phase left out when phaseOut is null.
    static bool ComputeFFT(const CKSTChannel& source, CKSTChannel& amplitudeOut,
                           CKSTChannel* phaseOut, uint32_t lengthMode, uint32_t window,
                           int32_t maximumLength, bool removeMean, bool convertTimeVector);
    // Whole rows of a matrix channel (0 for other kinds).
    uint32_t GetMatrixRowCount() const;
    double MatrixBlock(uint32_t c1, uint32_t c2, uint32_t r1, uint32_t r2, bool maximum) const;
    void GrowByStep();
    // Room for n more samples, grown geometrically; where sample GetCount() goes.
    double* MakeRoom(uint32_t n);
    double ValueAtTimeUnordered(double time) const;
    uint32_t NextSampleIndexAfter(const CKSTTimeStamp& stamp) const;

    uint32_t m_timeBaseType;
    uint16_t m_sampleType;
    uint16_t m_storedSampleType;
    CKSTString m_name;
    CKSTString m_group;
    CKSTString m_comment;
    CKSTString m_uniqueName;
    CKSTString m_sourceFile;
    CKSTString m_backingFile;
    int32_t m_number;
    CKSTString m_timeUnit;
    CKSTString m_unit;
    CKSTString m_secondAxisUnit;
    uint32_t m_count;
    uint32_t m_capacity;
    uint32_t m_growthStep;
    CKSTTimeStamp m_startTimeStamp;
    double m_dt;
    double m_t0;
    uint8_t m_timesAscending;
    uint8_t m_hasMissing;
    int32_t m_sourceAttribute;
    double m_timeOffset;
    double m_valueOffset;
    uint8_t m_selected;
    int32_t m_color;
    uint16_t m_storedDisplayFlags;
    uint16_t m_displayFlags;
    std::vector<IKSTChannelObserver*> m_observers;
    Array<double> m_times;
    Array<double> m_values;
    // Flags at and beyond the count are always 0, so present samples never touch this array.
    Array<uint8_t> m_missing;
    std::vector<CKSTString> m_valueTexts;
    uint32_t m_matrixRowLength;
    double m_secondAxisOrigin;
    double m_secondAxisStep;
    uint8_t m_matrixFlag;
};
