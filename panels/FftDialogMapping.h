#pragma once
// How the spectrum options record maps onto the fields of the FFT settings dialog and back.
#include <cstdint>

// The caller's record: length mode (1 truncate, 2 pad with zeros, 3 interpolate; 0 counts as
// 1), window (0 rectangle .. 3 Blackman-Harris), DC suppression, smoothing points (0 off) and
// the FFT length of online mode.
struct KstFftRecord {
    int32_t lengthMode = 0;
    int32_t window = 0;
    bool suppressDc = false;
    int32_t smoothPoints = 0;
    int32_t onlineLength = 0;
};

// The dialog's fields.
struct KstFftFields {
    int lengthIndex = -1;
    int windowIndex = -1;
    int suppressDc = 0;
    int smooth = 0;
    int smoothPoints = 0;
    int onlineLength = 0;
};

KstFftFields KstFftFieldsFromRecord(const KstFftRecord& record);
// Writes the fields into the record (only after OK).
void KstFftRecordFromFields(const KstFftFields& fields, KstFftRecord& record);
