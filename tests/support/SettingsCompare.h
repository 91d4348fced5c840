#pragma once
// Compares two settings records field by field over their one field list
// (data/settings/SettingsFields.h) and reports every field that differs by its path, e.g.
// "Curves[1].Markers[0].Text".

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>

#include "data/settings/SettingsFields.h"

namespace kst_test {

inline void PrintField(std::ostream& out, const CKSTString& text)
{
    out << '"' << std::string(text.c_str(), static_cast<size_t>(text.GetLength())) << '"';
}
inline void PrintField(std::ostream& out, const CKSTFontDesc& font)
{
    out << "font ";
    PrintField(out, font.m_faceName);
    out << ' ' << font.m_height << ' ' << font.m_weight;
}
inline void PrintField(std::ostream& out, const CKSTRasterImage& image)
{
    out << "picture " << image.GetColumns() << 'x' << image.GetRows();
}
template <class T>
void PrintField(std::ostream& out, const T& value)
{
    if constexpr (std::is_integral_v<T> && sizeof(T) == 1) {
        out << static_cast<int>(value);
    } else {
        out << value;
    }
}

class FieldReporter {
public:
    template <class T>
    void operator()(const char* name, const T& a, const T& b)
    {
        if (!KstFieldEqual(a, b)) {
            std::ostringstream message;
            message << Path(name) << ": ";
            PrintField(message, a);
            message << " vs ";
            PrintField(message, b);
            ADD_FAILURE() << message.str();
        }
    }
    template <class R>
    void Record(const char* name, const R& a, const R& b)
    {
        const std::string outer = m_path;
        m_path = Path(name);
        VisitFields(*this, a, b);
        m_path = outer;
    }
    template <class List>
    void Table(const char* name, const List& a, const List& b)
    {
        if (a.size() != b.size()) {
            ADD_FAILURE() << Path(name) << ": " << a.size() << " vs " << b.size() << " entries";
            return;
        }
        for (size_t i = 0; i < a.size(); ++i) {
            const std::string element = std::string(name) + "[" + std::to_string(i) + "]";
            KstVisitElement(*this, element.c_str(), KstElement(a[i]), KstElement(b[i]), 0);
        }
    }
    template <class Slot>
    void Optional(const char* name, const Slot& a, const Slot& b)
    {
        if (!a || !b) {
            EXPECT_EQ(!a, !b) << Path(name) << " present in one record only";
            return;
        }
        Record(name, *a, *b);
    }

private:
    std::string Path(const char* name) const { return m_path.empty() ? name : m_path + "." + name; }

    std::string m_path;
};

// Every field of the two records, tables and optional records included.
template <class R>
void ExpectSameFields(const R& expected, const R& actual)
{
    FieldReporter reporter;
    VisitFields(reporter, expected, actual);
}

}  // namespace kst_test
