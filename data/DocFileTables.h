#pragma once
// Record pieces shared by the curve-window settings set, the process block and the property
// entries: the font and image table records, tables grown to an index read from a file, texts
// with a 16-bit length and the image a section scan reads.

#include <cstdint>

#include "data/DocFile.h"
#include "data/settings/OwnedTable.h"
#include "foundation/FontDesc.h"
#include "foundation/RasterImage.h"
#include "foundation/String.h"

// Highest table index a record can carry (u16).
constexpr uint32_t kMaxTableIndex = 0xFFFF;

// Default elements are appended until the index exists; returns that element.
template <class T>
T& GrowTableTo(KstOwnedTable<T>& table, uint32_t index)
{
    while (table.size() <= index) {
        table.push_back(std::make_unique<T>());
    }
    return *table[index];
}

// The image of an open container for a section scan; *newerKinds (when given) is reset first.
// KST_ERR_FILE_NOT_OPEN, or the result of LoadImage.
int LoadRecordImage(CKSTDocFile& file, CKSTDocImage& image, uint8_t* newerKinds);

// u16 length and the text, cut to 65535 bytes.
void PutText16(CKSTDocRecord& record, const CKSTString& text);
bool ReadText16(CKSTDocReader& record, CKSTString& text);

// The font table as font table records, then the image table as image table records.
int WriteTableRecords(CKSTDocFile& file, const KstOwnedTable<CKSTFontDesc>& fonts,
                      const KstOwnedTable<CKSTRasterImage>& images);

// Font table record (tag '='): u16 index, font record.
void PutFontTableRecord(CKSTDocRecord& record, uint32_t index, const CKSTFontDesc& font);
// 0 or KST_ERR_BAD_RECORD.
int ReadFontTableRecord(CKSTDocReader& record, KstOwnedTable<CKSTFontDesc>& table);

// Image table record (tag ']'): u16 index, u32 columns, u32 rows, one colour triple per pixel.
// A picture whose pixels were released is stored as 0 x 0.
void PutImageTableRecord(CKSTDocRecord& record, uint32_t index, const CKSTRasterImage& image);
// 0, KST_ERR_BAD_RECORD when the size does not match the record or exceeds what a raster may
// hold, KST_ERR_TOO_LARGE when the pixels cannot be allocated.
int ReadImageTableRecord(CKSTDocReader& record, KstOwnedTable<CKSTRasterImage>& table);
