#pragma once
// Typed name/value properties: file headers, settings trees and node-protocol messages.

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/String.h"
#include "foundation/TimeStamp.h"

// Entry type codes; they are stored in files and messages.
enum KstHeaderInfoType : int32_t {
    KST_HIT_NONE = 0,
    KST_HIT_BOOL = 1,
    KST_HIT_SHORT = 2,
    KST_HIT_LONG = 3,
    KST_HIT_INT64 = 4,
    KST_HIT_DOUBLE = 5,
    KST_HIT_STRING = 6,
    KST_HIT_TIME = 7,
    KST_HIT_PRECISE_TIME = 8,
};

// Stored forms of hidden entries: 1 is the old form (C runtime generator), 2 the current one.
enum KstScrambleMode : int {
    KST_SCRAMBLE_CRT = 1,
    KST_SCRAMBLE_RANMAR = 2,
};

// Constants of the stored form of hidden entries. Documents and registry trees written by every
// earlier version depend on them: never change them.
constexpr unsigned char kHeaderScrambleNameOffset = 0x0D;
constexpr unsigned char kHeaderScrambleBound = 0x40;

class CKSTHeaderInfoItem {
public:
    CKSTHeaderInfoItem() = default;
    CKSTHeaderInfoItem(const CKSTHeaderInfoItem& other) = default;
    CKSTHeaderInfoItem& operator=(const CKSTHeaderInfoItem& other) = default;

    CKSTHeaderInfoItem(const CKSTString& name, const CKSTString& value, bool hidden = false);
    CKSTHeaderInfoItem(const CKSTString& name, const char* value, bool hidden = false);
    CKSTHeaderInfoItem(const CKSTString& name, double value, bool hidden = false);
    CKSTHeaderInfoItem(const CKSTString& name, long long value, bool hidden = false);
    CKSTHeaderInfoItem(const CKSTString& name, int value, bool hidden = false);
    CKSTHeaderInfoItem(const CKSTString& name, unsigned int value, bool hidden = false);
#if LONG_MAX == INT32_MAX
    CKSTHeaderInfoItem(const CKSTString& name, long value, bool hidden = false);
    CKSTHeaderInfoItem(const CKSTString& name, unsigned long value, bool hidden = false);
#else
    // Where long is 64 bits wide (int64_t), it makes a 64-bit entry.
    CKSTHeaderInfoItem(const CKSTString& name, long value, bool hidden = false);
#endif
    CKSTHeaderInfoItem(const CKSTString& name, int16_t value, bool hidden = false);
    CKSTHeaderInfoItem(const CKSTString& name, bool value, bool hidden = false);

    void SetString(const CKSTString& text, bool hidden = false);
    void SetDouble(double value, bool hidden = false);
    void SetInt64(int64_t value, bool hidden = false);
    void SetLong(int32_t value, bool hidden = false);
    void SetShort(int16_t value, bool hidden = false);
    void SetBool(int value, bool hidden = false);  // low byte kept
    void SetTime(const CKSTTimeStamp& stamp, bool hidden = false);
    void SetPreciseTime(const CKSTTimeStamp& stamp, bool hidden = false);
    void Set(const CKSTString& name, const CKSTString& text, bool hidden = false);

    // Every type converts to every form; doubles round half away from zero and saturate.
    CKSTString GetValueText() const;
    double GetDouble() const;
    int64_t GetInt64() const;
    int32_t GetLong() const;
    int16_t GetShort() const;
    uint8_t GetByte() const;
    bool GetBool() const;
    CKSTTimeStamp GetTimeStampValue() const
    {
        return m_timeValue;
    }

    // Stored form of a hidden entry and back; entries that are not hidden stay unchanged.
    void Scramble(int mode, bool keepName);
    void Unscramble(int mode, bool keepName);

    int32_t m_type = KST_HIT_NONE;
    CKSTString m_name;
    uint8_t m_hidden = 0;
    CKSTString m_text;
    double m_doubleValue = 0.0;
    int32_t m_longValue = 0;
    int64_t m_int64Value = 0;
    CKSTTimeStamp m_timeValue;

private:
    void ClearValues(int32_t type, bool hidden);
    void Transform(int mode, bool keepName, bool scramble);
};

class CKSTHeaderInfoList {
public:
    CKSTHeaderInfoList() = default;
    CKSTHeaderInfoList(const CKSTHeaderInfoList& other) { Copy(other); }
    CKSTHeaderInfoList& operator=(const CKSTHeaderInfoList& other);
    CKSTHeaderInfoList(CKSTHeaderInfoList&&) noexcept = default;
    CKSTHeaderInfoList& operator=(CKSTHeaderInfoList&&) noexcept = default;

    int GetCount(bool all) const;
    // Entry by index; an index out of range throws KST_ERR_INDEX as a plain int. The writable
    // entry may be renamed by the caller: the next lookup by name rebuilds the name index, so
    // a list must not be read by another thread while it is changed this way.
    const CKSTHeaderInfoItem& GetItem(int index) const;
    CKSTHeaderInfoItem& GetItem(int index);

    void Clear();
    void Copy(const CKSTHeaderInfoList& other);

    int IndexOf(const CKSTString& name) const;
    int Find(const CKSTString& name, bool hidden) const;
    bool HasVisible(const CKSTString& name) const { return Find(name, false) >= 0; }
    bool Has(const CKSTString& name, bool hidden) const { return Find(name, hidden) >= 0; }

    int Add(const CKSTHeaderInfoItem& item);
    int SetString(const CKSTString& name, const CKSTString& text, bool hidden = false);
    int SetDouble(const CKSTString& name, double value, bool hidden = false);
    int SetInt64(const CKSTString& name, int64_t value, bool hidden = false);
    int SetLong(const CKSTString& name, int32_t value, bool hidden = false);
    int SetInt(const CKSTString& name, int value, bool hidden = false);
    int SetDWord(const CKSTString& name, uint32_t value, bool hidden = false);
    int SetShort(const CKSTString& name, int16_t value, bool hidden = false);
    int SetBool(const CKSTString& name, bool value, bool hidden = false);
    int SetBoolText(const CKSTString& name, bool value, bool hidden = false);
    int SetShortAsText(const CKSTString& name, int16_t value, bool hidden = false);
    int SetLongAsText(const CKSTString& name, int32_t value, bool hidden = false);

    int Remove(const CKSTString& name);

    int GetString(const CKSTString& name, CKSTString& text, bool hidden = false) const;
    int GetTime(const CKSTString& name, CKSTTimeStamp& stamp, bool hidden = false) const;
    int GetStringOr(const CKSTString& name, CKSTString& text, const CKSTString& fallback) const;

    // Visible entries only; the value converted from whatever type the entry has.
    int GetDouble(const CKSTString& name, double& value) const;
    int GetInt64(const CKSTString& name, int64_t& value) const;
    int GetLong(const CKSTString& name, int32_t& value) const;
    int GetShort(const CKSTString& name, int16_t& value) const;
    int GetBoolByte(const CKSTString& name, uint8_t& value) const;
    int GetBool(const CKSTString& name, bool& value) const;

    int GetDoubleOr(const CKSTString& name, double& value, double fallback) const;
    int GetInt64Or(const CKSTString& name, int64_t& value, int64_t fallback) const;
    int GetLongOr(const CKSTString& name, int32_t& value, int32_t fallback) const;
    int GetShortOr(const CKSTString& name, int16_t& value, int16_t fallback) const;
    int GetBoolOr(const CKSTString& name, bool& value, bool fallback) const;

    int SetComment(const CKSTString& text, bool hidden);
    bool GetComment(CKSTString& text) const;
    bool HasComment() const { return Has("Comment", true); }
    int SetTitle(const CKSTString& text);
    bool GetTitle(CKSTString& text, bool hiddenOnly) const;
    bool HasTitle() const { return Has("Title", true); }

    CKSTString m_name;

private:
    template <typename Setter>
    int SetTyped(const CKSTString& name, int32_t type, bool hidden, Setter&& set);
    // Positions of the entries with the name, ascending; null when there is none.
    const std::vector<uint32_t>* Positions(const CKSTString& name) const;
    int Append(std::unique_ptr<CKSTHeaderInfoItem> item);

    std::vector<std::unique_ptr<CKSTHeaderInfoItem>> m_items;
    // Names to positions, so that reading a file of many entries stays linear in its size.
    mutable std::unordered_map<std::string, std::vector<uint32_t>> m_positions;
    mutable bool m_positionsStale = false;
};
