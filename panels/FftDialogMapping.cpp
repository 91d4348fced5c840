#include "panels/FftDialogMapping.h"

KstFftFields KstFftFieldsFromRecord(const KstFftRecord& record)
{
    KstFftFields fields;
    switch (record.lengthMode) {
        case 2:
            fields.lengthIndex = 1;
            break;
        case 3:
            fields.lengthIndex = 2;
            break;
        default:
            fields.lengthIndex = 0;
            break;
    }
    fields.windowIndex = record.window >= 0 && record.window <= 3 ? record.window : 0;
    fields.suppressDc = record.suppressDc ? 1 : 0;
    // Smoothing over fewer than three points is no smoothing: the box starts clear with 3.
    fields.smooth = record.smoothPoints > 2 ? 1 : 0;
    fields.smoothPoints = record.smoothPoints > 2 ? record.smoothPoints : 3;
    fields.onlineLength = record.onlineLength;
    return fields;
}

void KstFftRecordFromFields(const KstFftFields& fields, KstFftRecord& record)
{
    record.lengthMode = fields.lengthIndex >= 0 && fields.lengthIndex <= 2 ? fields.lengthIndex + 1 : 1;
    record.window = fields.windowIndex >= 0 && fields.windowIndex <= 3 ? fields.windowIndex : 0;
    record.suppressDc = fields.suppressDc != 0;
    record.smoothPoints = fields.smooth ? fields.smoothPoints : 0;
    record.onlineLength = fields.onlineLength;
}
