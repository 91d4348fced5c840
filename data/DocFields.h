#pragma once
// The two directions of a container record over one description of its fields. A record's
// Visit function names each stored field once, in the width of its stored form, and runs with a
// DocFieldReader to read the record or with a DocFieldWriter to write it, so that no field can
// be read but not written. Calls are chained with &&: a reader returns false as soon as the
// record runs short (leaving that field alone), a writer always returns true. The record is
// const for writing.
//
// "Of" calls store a field in a narrower or differently signed word: U8Of keeps the low byte of
// a wider field and reads it back unsigned; I16Of keeps the low half and reads it back signed.

#include <cstdint>

#include "data/DocFile.h"
#include "data/DocFileTables.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"

class DocFieldReader {
public:
    explicit DocFieldReader(CKSTDocReader& record) : m_record(record) {}

    bool U8(uint8_t& field) { return m_record.ReadU8(field); }
    bool U16(uint16_t& field) { return m_record.ReadU16(field); }
    bool U32(uint32_t& field) { return m_record.ReadU32(field); }
    bool I16(int16_t& field) { return m_record.ReadI16(field); }
    bool I32(int32_t& field) { return m_record.ReadI32(field); }
    bool F64(double& field) { return m_record.ReadF64(field); }
    template <class T>
    bool U8Of(T& field)
    {
        return Narrow<uint8_t>(field, &CKSTDocReader::ReadU8);
    }
    template <class T>
    bool U16Of(T& field)
    {
        return Narrow<uint16_t>(field, &CKSTDocReader::ReadU16);
    }
    template <class T>
    bool I16Of(T& field)
    {
        return Narrow<int16_t>(field, &CKSTDocReader::ReadI16);
    }
    bool ShortString(CKSTString& field) { return m_record.ReadShortString(field); }
    bool PropertyString(CKSTString& field) { return m_record.ReadPropertyString(field); }
    bool Text16(CKSTString& field) { return ReadText16(m_record, field); }
    bool Font(CKSTFontDesc& field) { return m_record.ReadFontRecord(field); }
    // Old forms keep a unit type as two flags: 3 when the first is set, else 1 when the second
    // is set, else 0.
    bool UnitFlags(uint32_t& unitType)
    {
        uint8_t first;
        uint8_t second;
        if (!m_record.ReadU8(first) || !m_record.ReadU8(second)) {
            return false;
        }
        unitType = first != 0 ? 3 : (second != 0 ? 1 : 0);
        return true;
    }

private:
    template <class Stored, class T>
    bool Narrow(T& field, bool (CKSTDocReader::*read)(Stored&))
    {
        Stored value;
        if (!(m_record.*read)(value)) {
            return false;
        }
        field = static_cast<T>(value);
        return true;
    }

    CKSTDocReader& m_record;
};

class DocFieldWriter {
public:
    explicit DocFieldWriter(CKSTDocRecord& record) : m_record(record) {}

    bool U8(const uint8_t& field)
    {
        m_record.PutU8(field);
        return true;
    }
    bool U16(const uint16_t& field)
    {
        m_record.PutU16(field);
        return true;
    }
    bool U32(const uint32_t& field)
    {
        m_record.PutU32(field);
        return true;
    }
    bool I16(const int16_t& field)
    {
        m_record.PutI16(field);
        return true;
    }
    bool I32(const int32_t& field)
    {
        m_record.PutI32(field);
        return true;
    }
    bool F64(const double& field)
    {
        m_record.PutF64(field);
        return true;
    }
    template <class T>
    bool U8Of(const T& field)
    {
        m_record.PutU8(static_cast<uint8_t>(field));
        return true;
    }
    template <class T>
    bool U16Of(const T& field)
    {
        m_record.PutU16(static_cast<uint16_t>(field));
        return true;
    }
    template <class T>
    bool I16Of(const T& field)
    {
        m_record.PutI16(static_cast<int16_t>(field));
        return true;
    }
    bool ShortString(const CKSTString& field)
    {
        m_record.PutShortString(field);
        return true;
    }
    bool PropertyString(const CKSTString& field)
    {
        m_record.PutPropertyString(field);
        return true;
    }
    bool Text16(const CKSTString& field)
    {
        PutText16(m_record, field);
        return true;
    }
    bool Font(const CKSTFontDesc& field)
    {
        m_record.PutFontRecord(field);
        return true;
    }
    bool UnitFlags(const uint32_t& unitType)
    {
        m_record.PutU8(unitType == 3 ? 1 : 0);
        m_record.PutU8(unitType == 1 ? 1 : 0);
        return true;
    }

private:
    CKSTDocRecord& m_record;
};
