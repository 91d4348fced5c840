// Property entries (typed name/value pairs of a header list or a node message) in the native
// container.
//
// Property entry: tag by type, Count16 length, u8 flags (bit 0 hidden), u8 name length, name,
// value. Hidden entries are stored scrambled; the scrambling keeps every length, so the stored
// lengths are those of the plain texts.

#include <algorithm>
#include <cstdint>

#include "data/DocFile.h"
#include "data/DocFileTables.h"
#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"

namespace {

enum KstPropertyTag : uint8_t {
    kTagDoubleOld = 42,  // '*'
    kTagStringOld = 43,  // '+'
    kTagBool = 44,
    kTagShort = 45,
    kTagStringOlder = 46,  // '.': plain u16 length, flags and name length
    kTagLong = 47,
    kTagDoubleOlder = 48,  // '0': as '.'
    kTagDouble = 49,
    kTagString = 50,
    kTagInt64 = 51,
    kTagTime = 52,
    kTagPreciseTime = 53,
};

constexpr uint32_t kMaxNameLength = 255;

uint8_t TagOfType(int32_t type)
{
    switch (type) {
        case KST_HIT_BOOL:
            return kTagBool;
        case KST_HIT_SHORT:
            return kTagShort;
        case KST_HIT_LONG:
            return kTagLong;
        case KST_HIT_INT64:
            return kTagInt64;
        case KST_HIT_DOUBLE:
            return kTagDouble;
        case KST_HIT_STRING:
            return kTagString;
        case KST_HIT_TIME:
            return kTagTime;
        case KST_HIT_PRECISE_TIME:
            return kTagPreciseTime;
        default:
            return 0;
    }
}

bool IsOldPropertyTag(uint8_t tag)
{
    return tag == kTagDoubleOld || tag == kTagStringOld || tag == kTagStringOlder ||
           tag == kTagDoubleOlder;
}

// Reads the value of a property record into entry by the type its tag gives.
bool ReadPropertyValue(CKSTDocReader& r, uint8_t tag, bool hidden, CKSTHeaderInfoItem& entry)
{
    switch (tag) {
        case kTagBool: {
            uint8_t v;
            if (!r.ReadU8(v)) {
                return false;
            }
            entry.SetBool(v, hidden);
            return true;
        }
        case kTagShort: {
            int16_t v;
            if (!r.ReadI16(v)) {
                return false;
            }
            entry.SetShort(v, hidden);
            return true;
        }
        case kTagLong: {
            int32_t v;
            if (!r.ReadI32(v)) {
                return false;
            }
            entry.SetLong(v, hidden);
            return true;
        }
        case kTagInt64: {
            int64_t v;
            if (!r.ReadI64(v)) {
                return false;
            }
            entry.SetInt64(v, hidden);
            return true;
        }
        case kTagDouble:
        case kTagDoubleOld:
        case kTagDoubleOlder: {
            double v;
            if (!r.ReadF64(v)) {
                return false;
            }
            entry.SetDouble(v, hidden);
            return true;
        }
        case kTagString:
        case kTagStringOld: {
            CKSTString text;
            if (!r.ReadPropertyString(text)) {
                return false;
            }
            entry.SetString(text, hidden);
            return true;
        }
        case kTagStringOlder: {
            CKSTString text;
            if (!ReadText16(r, text)) {
                return false;
            }
            entry.SetString(text, hidden);
            return true;
        }
        case kTagTime: {
            double days;
            if (!r.ReadF64(days)) {
                return false;
            }
            entry.SetTime(CKSTTimeStamp(days), hidden);
            return true;
        }
        case kTagPreciseTime: {
            double days;
            double fraction;
            if (!r.ReadF64(days) || !r.ReadF64(fraction)) {
                return false;
            }
            entry.SetPreciseTime(CKSTTimeStamp(days, fraction), hidden);
            return true;
        }
        default:
            return false;
    }
}

void PutPropertyValue(CKSTDocRecord& p, const CKSTHeaderInfoItem& entry)
{
    switch (entry.m_type) {
        case KST_HIT_BOOL:
            p.PutU8(static_cast<uint8_t>(entry.m_longValue));
            break;
        case KST_HIT_SHORT:
            p.PutI16(entry.GetShort());
            break;
        case KST_HIT_LONG:
            p.PutI32(entry.m_longValue);
            break;
        case KST_HIT_INT64:
            p.PutI64(entry.m_int64Value);
            break;
        case KST_HIT_DOUBLE:
            p.PutF64(entry.m_doubleValue);
            break;
        case KST_HIT_STRING:
            p.PutPropertyString(entry.m_text);
            break;
        case KST_HIT_TIME:
            p.PutF64(entry.GetDouble());
            break;
        case KST_HIT_PRECISE_TIME:
            p.PutF64(entry.m_timeValue.GetSerialDays());
            p.PutF64(entry.m_timeValue.GetFraction());
            break;
        default:
            break;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Property entries

int CKSTDocFile::WritePropertyEntry(const CKSTHeaderInfoItem& entry)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    const uint8_t tag = TagOfType(entry.m_type);
    if (tag == 0) {
        return KST_ERR_UNKNOWN_PROPERTY_TYPE;
    }
    CKSTHeaderInfoItem stored = entry;
    // Cut before scrambling, so that what is stored unscrambles to the cut plain texts.
    if (static_cast<uint32_t>(stored.m_name.GetLength()) > kMaxNameLength) {
        stored.m_name = stored.m_name.Left(kMaxNameLength);
    }
    if (stored.m_type == KST_HIT_STRING &&
        static_cast<uint32_t>(stored.m_text.GetLength()) > CKSTDocRecord::kMaxPropertyString) {
        stored.m_text = stored.m_text.Left(CKSTDocRecord::kMaxPropertyString);
    }
    stored.Scramble(KST_SCRAMBLE_RANMAR, false);

    CKSTDocRecord p;
    p.PutU8(stored.m_hidden != 0 ? 1 : 0);
    p.PutU8(static_cast<uint8_t>(stored.m_name.GetLength()));
    p.PutBytes(stored.m_name.c_str(), static_cast<size_t>(stored.m_name.GetLength()));
    PutPropertyValue(p, stored);
    Seek(0, 2);
    return WriteFramedRecord(tag, p);
}

int CKSTDocFile::ReadPropertyEntry(CKSTDocReader& records, CKSTHeaderInfoItem& entry, uint8_t tag)
{
    if (!IsPropertyTag(tag)) {
        return KST_OK;
    }
    CKSTDocReader r;
    const bool wideHead = tag == kTagStringOlder || tag == kTagDoubleOlder;
    if (wideHead) {
        const size_t start = records.GetPosition();
        uint16_t length;
        if (!records.ReadU16(length) || !records.TakeRecord(length, r)) {
            records.SetPosition(start);
            return KST_ERR_END_OF_DATA;
        }
    } else if (!records.TakeFramedRecord(r)) {
        return KST_ERR_END_OF_DATA;
    }

    uint32_t flags = 0;
    uint32_t nameLength = 0;
    if (wideHead) {
        uint16_t f;
        uint16_t n;
        if (!r.ReadU16(f) || !r.ReadU16(n)) {
            return KST_ERR_BAD_RECORD;
        }
        flags = f;
        nameLength = n;
    } else {
        uint8_t f;
        uint8_t n;
        if (!r.ReadU8(f) || !r.ReadU8(n)) {
            return KST_ERR_BAD_RECORD;
        }
        flags = f;
        nameLength = n;
    }
    if (nameLength > r.GetRemaining()) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTHeaderInfoItem item;
    item.m_name.Assign(reinterpret_cast<const char*>(r.GetCurrent()), static_cast<int>(nameLength));
    r.Skip(nameLength);
    if (!ReadPropertyValue(r, tag, (flags & 1) != 0, item)) {
        return KST_ERR_BAD_RECORD;
    }
    item.Unscramble(IsOldPropertyTag(tag) ? KST_SCRAMBLE_CRT : KST_SCRAMBLE_RANMAR, false);
    entry = item;
    return KST_OK;
}

int WriteKxdPropertyList(CKSTDocFile& file, const CKSTHeaderInfoList& list)
{
    const int count = list.GetCount(true);
    for (int i = 0; i < count; ++i) {
        const int result = file.WritePropertyEntry(list.GetItem(i));
        if (result != KST_OK) {
            return result;
        }
    }
    return KST_OK;
}

int ReadKxdPropertyList(CKSTDocFile& file, CKSTHeaderInfoList& list, uint8_t* newerKinds)
{
    CKSTDocImage image;
    const int result = LoadRecordImage(file, image, newerKinds);
    return result != KST_OK ? result
                            : ReadKxdPropertyList(file, image.GetRecords(), list, newerKinds);
}

int ReadKxdPropertyList(CKSTDocFile& file, const CKSTDocReader& records, CKSTHeaderInfoList& list,
                        uint8_t* newerKinds)
{
    uint8_t newer = 0;
    list.Clear();
    CKSTDocReader r = records;
    r.SetPosition(std::min<size_t>(kDocMagicSize, r.GetSize()));
    int result = KST_OK;
    for (;;) {
        uint8_t tag;
        if (r.ReadTag(tag) != KST_OK) {
            break;
        }
        if (IsPropertyTag(tag)) {
            CKSTHeaderInfoItem item;
            result = file.ReadPropertyEntry(r, item, tag);
            if (result != KST_OK) {
                // An entry cut off by the end of the data ends the list with what was read.
                if (result == KST_ERR_END_OF_DATA) {
                    result = KST_OK;
                }
                break;
            }
            // A second entry of the same name and hidden flag with another type is dropped;
            // the first one stands.
            list.Add(item);
            continue;
        }
        if (IsBlockBracketTag(tag)) {
            uint8_t id;
            if (!r.ReadU8(id)) {
                break;
            }
            continue;
        }
        if (r.SkipByClass(tag, &newer) != KST_OK) {
            break;
        }
    }
    if (newerKinds != nullptr) {
        *newerKinds = newer;
    }
    return result;
}
