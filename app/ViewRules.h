#pragma once
// Decisions of the main view that need no window: what a key asks of the folder, the two
// status texts of a position report, and the channel of a generated standard waveform.
// Portable; the view itself is in win/TalvenorView.
#include <cstdint>

#include "data/DataSet.h"
#include "foundation/String.h"

// +1 for the next file of the folder (Space), -1 for the previous one (Backspace), 0 for a
// key the view leaves to the default handling.
int KstFolderStepForKey(unsigned key);

// "Pos: left,top" and "<size label>: widthxheight" of a reported rectangle.
struct KstCursorReport {
    CKSTString position;
    CKSTString size;
};
KstCursorReport KstCursorReportTexts(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                     const CKSTString& sizeLabel);

// The fields of the standard waveform dialog.
struct KstSignalRequest {
    enum Waveform { Sine, Square, Triangle, Sawtooth, Constant, Ramp };
    int waveform = Sine;
    int64_t count = 1000;
    double interval = 0.01;  // seconds between samples
    double amplitude = 1.0;
    double frequency = 1.0;
    double phase = 0.0;  // degrees
    double offset = 0.0;
    CKSTString name;
    CKSTString unit;
};

// The most samples a generated channel may have.
constexpr int64_t kKstMaxSignalSamples = 50000000;

// False when the request cannot give a channel: an unknown waveform, no samples or more than
// the limit, an interval that is not a positive finite number, or a value that is not finite.
bool KstIsValidSignal(const KstSignalRequest& request);
// Appends the waveform to the data set as a new channel; when the set already holds channels
// it starts at their earliest start. False (and nothing appended) for an invalid request.
bool KstAppendSignal(const KstSignalRequest& request, CKSTDataSet& dataSet);
