#include "foundation/HeaderInfoList.h"

#include <cmath>
#include <string>

#include "foundation/ErrorCodes.h"
#include "foundation/Numeric.h"

namespace {

// Rounds half away from zero after clamping into [lo, hi]; NaN has no integer value and gives 0.
double ClampAndRound(double value, double lo, double hi)
{
    if (std::isnan(value)) {
        return 0.0;
    }
    if (value < lo) {
        value = lo;
    } else if (value > hi) {
        value = hi;
    }
    double whole = std::trunc(value);
    double part = value - whole;
    if (value >= 0.0 && part >= 0.5) {
        whole += 1.0;
    } else if (value < 0.0 && part <= -0.5) {
        whole -= 1.0;
    }
    return whole;
}

int32_t DoubleToLong(double value)
{
    return static_cast<int32_t>(ClampAndRound(value, -2147483647.0, 2147483646.0));
}

int64_t DoubleToInt64(double value)
{
    // The bounds -(2^63 - 1) and 2^63 - 2 have no exact double: the nearest one is +-2^63,
    // whose conversion overflows. Values at or beyond it saturate to the bounds instead.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= kTwoTo63) {
        return INT64_MAX - 1;
    }
    if (value <= -kTwoTo63) {
        return -INT64_MAX;
    }
    return static_cast<int64_t>(ClampAndRound(value, -kTwoTo63, kTwoTo63));
}

// The old stored form draws from the C runtime generator of the program's platform; its
// sequence is reproduced here so that old documents read the same on every build and no
// process-wide generator state is touched.
class CrtSequence {
public:
    explicit CrtSequence(unsigned int seed) : m_state(seed) {}
    int Next(int bound)
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu) % bound;
    }

private:
    uint32_t m_state;
};

// The current stored form draws from the Marsaglia-Zaman generator. Each scrambling run owns
// its generator, so concurrent runs and users of the process-wide one do not disturb each other.
class RanmarSequence {
public:
    RanmarSequence(int ij, int kl) : m_generator(ij, kl) {}
    int Next(int bound) { return m_generator.Int(0, bound - 1); }

private:
    CKSTRanmar m_generator;
};

// The seed pair of the current stored form, formed from the first character of the name.
void RanmarSeed(unsigned char first, int& ij, int& kl)
{
    ij = 1802 + first;
    kl = 9373 + first;
}

// Shifts every byte of text from index start on by the next drawn values, up or down.
template <typename Sequence>
void ShiftBytes(std::string& text, size_t start, Sequence& sequence, bool up)
{
    for (size_t i = start; i < text.size(); ++i) {
        int delta = sequence.Next(kHeaderScrambleBound);
        unsigned char c = static_cast<unsigned char>(text[i]);
        text[i] = static_cast<char>(static_cast<unsigned char>(up ? c + delta : c - delta));
    }
}

void ShiftWithSeed(std::string& text, size_t start, int mode, unsigned char seed, bool up)
{
    if (mode == KST_SCRAMBLE_CRT) {
        CrtSequence sequence(seed);
        ShiftBytes(text, start, sequence, up);
    } else {
        int ij = 0;
        int kl = 0;
        RanmarSeed(seed, ij, kl);
        RanmarSequence sequence(ij, kl);
        ShiftBytes(text, start, sequence, up);
    }
}

std::string ToStd(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

void FromStd(CKSTString& s, const std::string& bytes)
{
    s.Assign(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CKSTHeaderInfoItem

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, const CKSTString& value, bool hidden)
    : m_name(name)
{
    SetString(value, hidden);
}

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, const char* value, bool hidden)
    : m_name(name)
{
    SetString(CKSTString(value), hidden);
}

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, double value, bool hidden)
    : m_name(name)
{
    SetDouble(value, hidden);
}

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, long long value, bool hidden)
    : m_name(name)
{
    SetInt64(value, hidden);
}

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, int value, bool hidden)
    : m_name(name)
{
    SetLong(value, hidden);
}

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, unsigned int value, bool hidden)
    : m_name(name)
{
    SetLong(static_cast<int32_t>(value), hidden);
}

#if LONG_MAX == INT32_MAX
CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, long value, bool hidden)
    : m_name(name)
{
    SetLong(static_cast<int32_t>(value), hidden);
}

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, unsigned long value, bool hidden)
    : m_name(name)
{
    SetLong(static_cast<int32_t>(value), hidden);
}
#else
CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, long value, bool hidden)
    : m_name(name)
{
    SetInt64(value, hidden);
}
#endif

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, int16_t value, bool hidden)
    : m_name(name)
{
    SetShort(value, hidden);
}

CKSTHeaderInfoItem::CKSTHeaderInfoItem(const CKSTString& name, bool value, bool hidden)
    : m_name(name)
{
    SetBool(value ? 1 : 0, hidden);
}

void CKSTHeaderInfoItem::ClearValues(int32_t type, bool hidden)
{
    m_type = type;
    m_hidden = hidden ? 1 : 0;
    m_doubleValue = 0.0;
    m_longValue = 0;
    m_int64Value = 0;
    if (type != KST_HIT_STRING) {
        m_text.Empty();
    }
}

void CKSTHeaderInfoItem::SetString(const CKSTString& text, bool hidden)
{
    ClearValues(KST_HIT_STRING, hidden);
    m_text = text;
}

void CKSTHeaderInfoItem::SetDouble(double value, bool hidden)
{
    ClearValues(KST_HIT_DOUBLE, hidden);
    m_doubleValue = value;
}

void CKSTHeaderInfoItem::SetInt64(int64_t value, bool hidden)
{
    ClearValues(KST_HIT_INT64, hidden);
    m_int64Value = value;
}

void CKSTHeaderInfoItem::SetLong(int32_t value, bool hidden)
{
    ClearValues(KST_HIT_LONG, hidden);
    m_longValue = value;
}

void CKSTHeaderInfoItem::SetShort(int16_t value, bool hidden)
{
    ClearValues(KST_HIT_SHORT, hidden);
    m_longValue = value;
}

void CKSTHeaderInfoItem::SetBool(int value, bool hidden)
{
    ClearValues(KST_HIT_BOOL, hidden);
    m_longValue = value & 0xFF;
}

void CKSTHeaderInfoItem::SetTime(const CKSTTimeStamp& stamp, bool hidden)
{
    ClearValues(KST_HIT_TIME, hidden);
    m_timeValue = stamp;
}

void CKSTHeaderInfoItem::SetPreciseTime(const CKSTTimeStamp& stamp, bool hidden)
{
    ClearValues(KST_HIT_PRECISE_TIME, hidden);
    m_timeValue = stamp;
}

void CKSTHeaderInfoItem::Set(const CKSTString& name, const CKSTString& text, bool hidden)
{
    m_name = name;
    SetString(text, hidden);
}

CKSTString CKSTHeaderInfoItem::GetValueText() const
{
    CKSTString result;
    switch (m_type) {
        case KST_HIT_BOOL:
        case KST_HIT_SHORT:
        case KST_HIT_LONG:
            result.AppendLong(m_longValue);
            break;
        case KST_HIT_INT64:
            result.AppendInt64(m_int64Value);
            break;
        case KST_HIT_DOUBLE:
            result.AppendDouble(m_doubleValue);
            break;
        case KST_HIT_STRING:
            result = m_text;
            break;
        case KST_HIT_TIME:
        case KST_HIT_PRECISE_TIME:
            result = m_timeValue.Format(true);
            break;
        default:
            break;
    }
    return result;
}

double CKSTHeaderInfoItem::GetDouble() const
{
    switch (m_type) {
        case KST_HIT_BOOL:
        case KST_HIT_SHORT:
        case KST_HIT_LONG:
            return m_longValue;
        case KST_HIT_INT64:
            return static_cast<double>(m_int64Value);
        case KST_HIT_DOUBLE:
            return m_doubleValue;
        case KST_HIT_STRING:
            return m_text.ToDouble(false);
        case KST_HIT_TIME:
            return m_timeValue.GetSerialDays();
        case KST_HIT_PRECISE_TIME:
            return m_timeValue.GetSerialDays() + m_timeValue.GetFraction() * KST_ONE_SECOND_DAYS;
        default:
            return 0.0;
    }
}

int64_t CKSTHeaderInfoItem::GetInt64() const
{
    switch (m_type) {
        case KST_HIT_BOOL:
        case KST_HIT_SHORT:
        case KST_HIT_LONG:
            return m_longValue;
        case KST_HIT_INT64:
            return m_int64Value;
        case KST_HIT_DOUBLE:
            return DoubleToInt64(m_doubleValue);
        case KST_HIT_STRING:
            return m_text.ToInt64();
        default:
            return 0;
    }
}

int32_t CKSTHeaderInfoItem::GetLong() const
{
    switch (m_type) {
        case KST_HIT_BOOL:
        case KST_HIT_SHORT:
        case KST_HIT_LONG:
            return m_longValue;
        case KST_HIT_INT64:
            return static_cast<int32_t>(static_cast<uint32_t>(m_int64Value));
        case KST_HIT_DOUBLE:
            return DoubleToLong(m_doubleValue);
        case KST_HIT_STRING:
            return m_text.ToLong();
        default:
            return 0;
    }
}

int16_t CKSTHeaderInfoItem::GetShort() const
{
    if (m_type == KST_HIT_STRING) {
        return m_text.ToShort();
    }
    return static_cast<int16_t>(static_cast<uint16_t>(GetLong()));
}

uint8_t CKSTHeaderInfoItem::GetByte() const
{
    if (m_type == KST_HIT_STRING) {
        return static_cast<uint8_t>(m_text.ToShort());
    }
    return static_cast<uint8_t>(GetLong());
}

bool CKSTHeaderInfoItem::GetBool() const
{
    switch (m_type) {
        case KST_HIT_BOOL:
        case KST_HIT_SHORT:
        case KST_HIT_LONG:
            return m_longValue != 0;
        case KST_HIT_INT64:
            return m_int64Value != 0;
        case KST_HIT_DOUBLE:
            return m_doubleValue != 0.0;
        case KST_HIT_STRING:
            return m_text != "0";
        default:
            return false;
    }
}

void CKSTHeaderInfoItem::Transform(int mode, bool keepName, bool scramble)
{
    if (!m_hidden || m_name.GetLength() == 0) {
        return;
    }
    std::string name = ToStd(m_name);
    const unsigned char first = static_cast<unsigned char>(name[0]);
    // Both sequences are seeded with the plain first character of the name.
    unsigned char plainFirst = first;
    if (!keepName) {
        if (scramble) {
            name[0] = static_cast<char>(first - kHeaderScrambleNameOffset);
        } else {
            plainFirst = static_cast<unsigned char>(first + kHeaderScrambleNameOffset);
            name[0] = static_cast<char>(plainFirst);
        }
        ShiftWithSeed(name, 1, mode, plainFirst, scramble);
        FromStd(m_name, name);
    }
    if (m_type == KST_HIT_STRING && m_text.GetLength() > 0) {
        std::string text = ToStd(m_text);
        ShiftWithSeed(text, 0, mode, plainFirst, scramble);
        FromStd(m_text, text);
    }
}

void CKSTHeaderInfoItem::Scramble(int mode, bool keepName)
{
    Transform(mode, keepName, true);
}

void CKSTHeaderInfoItem::Unscramble(int mode, bool keepName)
{
    Transform(mode, keepName, false);
}

// ---------------------------------------------------------------------------------------------
// CKSTHeaderInfoList

CKSTHeaderInfoList& CKSTHeaderInfoList::operator=(const CKSTHeaderInfoList& other)
{
    if (this != &other) {
        m_name = other.m_name;
        Copy(other);
    }
    return *this;
}

int CKSTHeaderInfoList::GetCount(bool all) const
{
    if (all) {
        return static_cast<int>(m_items.size());
    }
    int count = 0;
    for (const auto& item : m_items) {
        if (!item->m_hidden) {
            ++count;
        }
    }
    return count;
}

const CKSTHeaderInfoItem& CKSTHeaderInfoList::GetItem(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        throw static_cast<int>(KST_ERR_INDEX);
    }
    return *m_items[static_cast<size_t>(index)];
}

CKSTHeaderInfoItem& CKSTHeaderInfoList::GetItem(int index)
{
    const auto& self = *this;
    CKSTHeaderInfoItem& item = const_cast<CKSTHeaderInfoItem&>(self.GetItem(index));
    m_positionsStale = true;
    return item;
}

void CKSTHeaderInfoList::Clear()
{
    m_items.clear();
    m_positions.clear();
    m_positionsStale = false;
}

namespace {

std::string Key(const CKSTString& name)
{
    return std::string(name.c_str(), static_cast<size_t>(name.GetLength()));
}

}  // namespace

const std::vector<uint32_t>* CKSTHeaderInfoList::Positions(const CKSTString& name) const
{
    if (m_positionsStale) {
        m_positions.clear();
        for (size_t i = 0; i < m_items.size(); ++i) {
            m_positions[Key(m_items[i]->m_name)].push_back(static_cast<uint32_t>(i));
        }
        m_positionsStale = false;
    }
    const auto found = m_positions.find(Key(name));
    return found == m_positions.end() ? nullptr : &found->second;
}

int CKSTHeaderInfoList::Append(std::unique_ptr<CKSTHeaderInfoItem> item)
{
    const uint32_t position = static_cast<uint32_t>(m_items.size());
    if (!m_positionsStale) {
        m_positions[Key(item->m_name)].push_back(position);
    }
    m_items.push_back(std::move(item));
    return static_cast<int>(position);
}

void CKSTHeaderInfoList::Copy(const CKSTHeaderInfoList& other)
{
    if (this == &other) {
        return;
    }
    Clear();
    for (const auto& item : other.m_items) {
        Add(*item);
    }
}

int CKSTHeaderInfoList::IndexOf(const CKSTString& name) const
{
    const std::vector<uint32_t>* positions = Positions(name);
    return positions == nullptr ? KST_ERR_PROPERTY_MISSING : static_cast<int>(positions->front());
}

int CKSTHeaderInfoList::Find(const CKSTString& name, bool hidden) const
{
    if (const std::vector<uint32_t>* positions = Positions(name)) {
        for (const uint32_t i : *positions) {
            if ((m_items[i]->m_hidden != 0) == hidden) {
                return static_cast<int>(i);
            }
        }
    }
    return KST_ERR_PROPERTY_MISSING;
}

int CKSTHeaderInfoList::Add(const CKSTHeaderInfoItem& item)
{
    int index = Find(item.m_name, item.m_hidden != 0);
    if (index < 0) {
        return Append(std::make_unique<CKSTHeaderInfoItem>(item));
    }
    CKSTHeaderInfoItem& existing = *m_items[static_cast<size_t>(index)];
    if (existing.m_type != item.m_type) {
        return KST_ERR_PROPERTY_TYPE;
    }
    existing = item;
    return index;
}

template <typename Setter>
int CKSTHeaderInfoList::SetTyped(const CKSTString& name, int32_t type, bool hidden, Setter&& set)
{
    int index = Find(name, hidden);
    if (index >= 0) {
        CKSTHeaderInfoItem& existing = *m_items[static_cast<size_t>(index)];
        if (existing.m_type != type) {
            return KST_ERR_PROPERTY_TYPE;
        }
        set(existing);
        return index;
    }
    auto item = std::make_unique<CKSTHeaderInfoItem>();
    item->m_name = name;
    set(*item);
    return Append(std::move(item));
}

int CKSTHeaderInfoList::SetString(const CKSTString& name, const CKSTString& text, bool hidden)
{
    return SetTyped(name, KST_HIT_STRING, hidden,
                    [&](CKSTHeaderInfoItem& item) { item.SetString(text, hidden); });
}

int CKSTHeaderInfoList::SetDouble(const CKSTString& name, double value, bool hidden)
{
    return SetTyped(name, KST_HIT_DOUBLE, hidden,
                    [&](CKSTHeaderInfoItem& item) { item.SetDouble(value, hidden); });
}

int CKSTHeaderInfoList::SetInt64(const CKSTString& name, int64_t value, bool hidden)
{
    return SetTyped(name, KST_HIT_INT64, hidden,
                    [&](CKSTHeaderInfoItem& item) { item.SetInt64(value, hidden); });
}

int CKSTHeaderInfoList::SetLong(const CKSTString& name, int32_t value, bool hidden)
{
    return SetTyped(name, KST_HIT_LONG, hidden,
                    [&](CKSTHeaderInfoItem& item) { item.SetLong(value, hidden); });
}

int CKSTHeaderInfoList::SetInt(const CKSTString& name, int value, bool hidden)
{
    return SetLong(name, static_cast<int32_t>(value), hidden);
}

int CKSTHeaderInfoList::SetDWord(const CKSTString& name, uint32_t value, bool hidden)
{
    return SetLong(name, static_cast<int32_t>(value), hidden);
}

int CKSTHeaderInfoList::SetShort(const CKSTString& name, int16_t value, bool hidden)
{
    return SetTyped(name, KST_HIT_SHORT, hidden,
                    [&](CKSTHeaderInfoItem& item) { item.SetShort(value, hidden); });
}

int CKSTHeaderInfoList::SetBool(const CKSTString& name, bool value, bool hidden)
{
    return SetTyped(name, KST_HIT_BOOL, hidden,
                    [&](CKSTHeaderInfoItem& item) { item.SetBool(value ? 1 : 0, hidden); });
}

int CKSTHeaderInfoList::SetBoolText(const CKSTString& name, bool value, bool hidden)
{
    return SetString(name, value ? "1" : "0", hidden);
}

int CKSTHeaderInfoList::SetShortAsText(const CKSTString& name, int16_t value, bool hidden)
{
    CKSTString text;
    text.AppendLong(value);
    return SetString(name, text, hidden);
}

int CKSTHeaderInfoList::SetLongAsText(const CKSTString& name, int32_t value, bool hidden)
{
    CKSTString text;
    text.AppendLong(value);
    return SetString(name, text, hidden);
}

int CKSTHeaderInfoList::Remove(const CKSTString& name)
{
    int index = IndexOf(name);
    if (index < 0) {
        return index;
    }
    m_items.erase(m_items.begin() + index);
    m_positionsStale = true;
    return KST_OK;
}

int CKSTHeaderInfoList::GetString(const CKSTString& name, CKSTString& text, bool hidden) const
{
    int index = Find(name, hidden);
    if (index < 0) {
        return index;
    }
    const CKSTHeaderInfoItem& item = *m_items[static_cast<size_t>(index)];
    if (item.m_type != KST_HIT_STRING) {
        return KST_ERR_PROPERTY_TYPE;
    }
    text = item.m_text;
    return index;
}

int CKSTHeaderInfoList::GetTime(const CKSTString& name, CKSTTimeStamp& stamp, bool hidden) const
{
    int index = Find(name, hidden);
    if (index < 0) {
        return index;
    }
    const CKSTHeaderInfoItem& item = *m_items[static_cast<size_t>(index)];
    if (item.m_type != KST_HIT_TIME && item.m_type != KST_HIT_PRECISE_TIME) {
        return KST_ERR_PROPERTY_TYPE;
    }
    stamp = item.m_timeValue;
    return index;
}

int CKSTHeaderInfoList::GetStringOr(const CKSTString& name, CKSTString& text,
                                    const CKSTString& fallback) const
{
    int result = GetString(name, text, false);
    if (result == KST_ERR_PROPERTY_MISSING) {
        text = fallback;
    }
    return result;
}

namespace {

template <typename T, typename Convert>
int GetConverted(const CKSTHeaderInfoList& list, const CKSTString& name, T& value,
                 Convert&& convert)
{
    int index = list.Find(name, false);
    if (index >= 0) {
        value = convert(list.GetItem(index));
    }
    return index;
}

}  // namespace

int CKSTHeaderInfoList::GetDouble(const CKSTString& name, double& value) const
{
    return GetConverted(*this, name, value,
                        [](const CKSTHeaderInfoItem& i) { return i.GetDouble(); });
}

int CKSTHeaderInfoList::GetInt64(const CKSTString& name, int64_t& value) const
{
    return GetConverted(*this, name, value,
                        [](const CKSTHeaderInfoItem& i) { return i.GetInt64(); });
}

int CKSTHeaderInfoList::GetLong(const CKSTString& name, int32_t& value) const
{
    return GetConverted(*this, name, value,
                        [](const CKSTHeaderInfoItem& i) { return i.GetLong(); });
}

int CKSTHeaderInfoList::GetShort(const CKSTString& name, int16_t& value) const
{
    return GetConverted(*this, name, value,
                        [](const CKSTHeaderInfoItem& i) { return i.GetShort(); });
}

int CKSTHeaderInfoList::GetBoolByte(const CKSTString& name, uint8_t& value) const
{
    return GetConverted(*this, name, value,
                        [](const CKSTHeaderInfoItem& i) { return i.GetByte(); });
}

int CKSTHeaderInfoList::GetBool(const CKSTString& name, bool& value) const
{
    return GetConverted(*this, name, value,
                        [](const CKSTHeaderInfoItem& i) { return i.GetBool(); });
}

int CKSTHeaderInfoList::GetDoubleOr(const CKSTString& name, double& value, double fallback) const
{
    int result = GetDouble(name, value);
    if (result < 0) {
        value = fallback;
    }
    return result;
}

int CKSTHeaderInfoList::GetInt64Or(const CKSTString& name, int64_t& value, int64_t fallback) const
{
    int result = GetInt64(name, value);
    if (result < 0) {
        value = fallback;
    }
    return result;
}

int CKSTHeaderInfoList::GetLongOr(const CKSTString& name, int32_t& value, int32_t fallback) const
{
    int result = GetLong(name, value);
    if (result < 0) {
        value = fallback;
    }
    return result;
}

int CKSTHeaderInfoList::GetShortOr(const CKSTString& name, int16_t& value, int16_t fallback) const
{
    int result = GetShort(name, value);
    if (result < 0) {
        value = fallback;
    }
    return result;
}

int CKSTHeaderInfoList::GetBoolOr(const CKSTString& name, bool& value, bool fallback) const
{
    int result = GetBool(name, value);
    if (result < 0) {
        value = fallback;
    }
    return result;
}

int CKSTHeaderInfoList::SetComment(const CKSTString& text, bool hidden)
{
    return Add(CKSTHeaderInfoItem("Comment", text, hidden));
}

bool CKSTHeaderInfoList::GetComment(CKSTString& text) const
{
    return GetString("Comment", text, true) >= 0;
}

int CKSTHeaderInfoList::SetTitle(const CKSTString& text)
{
    return Add(CKSTHeaderInfoItem("Title", text, true));
}

bool CKSTHeaderInfoList::GetTitle(CKSTString& text, bool hiddenOnly) const
{
    if (!hiddenOnly) {
        for (const char* name : {"Titel", "TITEL", "Title", "TITLE"}) {
            if (GetString(name, text, false) >= 0) {
                return true;
            }
        }
    }
    return GetString("Title", text, true) >= 0;
}
