#include "data/LayoutFile.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <string>

#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"

namespace {

// Integers as decimal text; doubles in the property list's text form, or with as many digits
// as it takes to come back exactly.
CKSTString DoubleText(double value)
{
    CKSTString text;
    text.AppendDouble(value);
    if (text.ToDouble() == value || std::isnan(value)) {
        return text;
    }
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return CKSTString(std::string(buffer, r.ptr).c_str());
}

CKSTString Numbered(const char* prefix, size_t n)
{
    return CKSTString(prefix) + CKSTString::FormatInt(static_cast<int32_t>(n), 3, '0');
}

CKSTString Nested(const CKSTString& outer, const CKSTString& inner)
{
    return outer + CKSTKeyFile::kPathSeparator + inner;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether a text value would come back changed from a plain key-file line: trimmed, cut at a
// comment, split at a line break, or taken for a quoted value. Such values of text keys are
// written as a double-quoted text in which a quote is doubled and a line break is written \n or
// \r; the reader of text keys takes such a text back.
bool NeedsQuotes(const CKSTString& value)
{
    if (value.IsEmpty()) {
        return false;
    }
    return IsBlank(value.First()) || IsBlank(value.Last()) || value.First() == '"' ||
           value.Find('\n') >= 0 || value.Find('\r') >= 0 || value.Find('#') >= 0 ||
           value.Find("//") >= 0;
}

// Quotes are doubled rather than escaped, so that every character of the value lies inside a
// pair of quotes and comment stripping never cuts it.
CKSTString QuoteValue(const CKSTString& value)
{
    CKSTString quoted;
    quoted.Reserve(value.GetLength() + 8);
    quoted += '"';
    for (int i = 0; i < value.GetLength(); ++i) {
        const char c = value[i];
        switch (c) {
            case '"':
                quoted += "\"\"";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            default:
                quoted += c;
                break;
        }
    }
    quoted += '"';
    return quoted;
}

// The inverse of QuoteValue for a value that has its form: false (out untouched) for anything
// else, such as a hand-written "a" and "b", which is taken as it stands.
bool UnquoteValue(const CKSTString& value, CKSTString& out)
{
    const int n = value.GetLength();
    if (n < 2 || value.First() != '"' || value.Last() != '"') {
        return false;
    }
    CKSTString text;
    text.Reserve(n);
    const int end = n - 1;
    for (int i = 1; i < end; ++i) {
        const char c = value[i];
        const char next = i + 1 < end ? value[i + 1] : '\0';
        if (c == '"') {
            if (next != '"') {
                return false;
            }
            text += '"';
            ++i;
        } else if (c == '\\' && (next == 'n' || next == 'r' || next == '\\')) {
            text += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        } else {
            text += c;
        }
    }
    out = text;
    return true;
}

// The two directions over one description of each section's keys (the Visit functions below):
// widths are those of the keys, not of the fields; "Flag" is a 16-bit key written as 0 or 1.
class SectionReader {
public:
    SectionReader(const CKSTHeaderInfoList& list, const CKSTString& section)
        : m_list(list), m_section(section)
    {
    }

    bool Has(const char* key) const { return m_list.HasVisible(Name(key)); }

    void Text(const char* key, CKSTString& field) const
    {
        CKSTString value;
        if (m_list.GetString(Name(key), value) >= 0) {
            UnquoteValue(value, value);
            field = value;
        }
    }
    template <class T>
    void Short(const char* key, T& field) const
    {
        int16_t value = 0;
        if (m_list.GetShort(Name(key), value) >= 0) {
            field = static_cast<T>(value);
        }
    }
    template <class T>
    void Flag(const char* key, T& field) const
    {
        Short(key, field);
    }
    template <class T>
    void Long(const char* key, T& field) const
    {
        int32_t value = 0;
        if (m_list.GetLong(Name(key), value) >= 0) {
            field = static_cast<T>(value);
        }
    }
    void Byte(const char* key, uint8_t& field) const
    {
        uint8_t value = 0;
        if (m_list.GetBoolByte(Name(key), value) >= 0) {
            field = value;
        }
    }
    void Double(const char* key, double& field) const
    {
        double value = 0.0;
        if (m_list.GetDouble(Name(key), value) >= 0) {
            field = value;
        }
    }

private:
    CKSTString Name(const char* key) const { return Nested(m_section, key); }

    const CKSTHeaderInfoList& m_list;
    CKSTString m_section;
};

class SectionWriter {
public:
    SectionWriter(CKSTHeaderInfoList& list, const CKSTString& section)
        : m_list(list), m_section(section)
    {
    }

    void Text(const char* key, const CKSTString& field)
    {
        m_list.SetString(Name(key), NeedsQuotes(field) ? QuoteValue(field) : field);
    }
    template <class T>
    void Short(const char* key, const T& field)
    {
        m_list.SetShortAsText(Name(key), static_cast<int16_t>(field));
    }
    template <class T>
    void Flag(const char* key, const T& field)
    {
        m_list.SetShortAsText(Name(key), field != 0 ? 1 : 0);
    }
    template <class T>
    void Long(const char* key, const T& field)
    {
        m_list.SetLongAsText(Name(key), static_cast<int32_t>(field));
    }
    void Byte(const char* key, const uint8_t& field) { m_list.SetShortAsText(Name(key), field); }
    void Double(const char* key, const double& field)
    {
        m_list.SetString(Name(key), DoubleText(field));
    }

private:
    CKSTString Name(const char* key) const { return Nested(m_section, key); }

    CKSTHeaderInfoList& m_list;
    CKSTString m_section;
};

// S is the settings type, const for writing.
template <class Io, class S>
void VisitWindow(Io& io, S& s)
{
    io.Long("BackgroundColor", s.m_BackgroundColor);
    io.Long("PlotBackgroundColor", s.m_PlotBackgroundColor);
    io.Long("XTextColor", s.m_XTextColor);
    io.Long("YTextColor", s.m_YTextColor);
    io.Long("LegendTextColor", s.m_LegendTextColor);
    io.Long("GridColor", s.m_GridColor);
    io.Short("BorderWidth", s.m_BorderWidth);
    io.Short("MainTickLength", s.m_MainTickLength);
    io.Short("SubTickLength", s.m_SubTickLength);
    io.Short("AutoTickDistX", s.m_AutoTickDistX);
    io.Short("AutoTickDistY", s.m_AutoTickDistY);
    io.Short("LegendStyle", s.m_LegendStyle);
    io.Short("LegendAlign", s.m_LegendAlign);
    io.Short("LegendGroup", s.m_LegendGroup);
    io.Flag("GridVisible", s.m_GridVisible);
    io.Flag("BColorGradient", s.m_BColorGradient);
    io.Flag("CursorCross", s.m_CursorCross);
    io.Flag("CursorTextName", s.m_CursorTextName);
    io.Short("WindowStyle", s.m_WindowStyleSettings.m_WindowStyle);
    io.Short("WindowStructure", s.m_WindowStyleSettings.m_WindowStructure);
    io.Text("WindowXPlotName", s.m_WindowStyleSettings.m_WindowXPlotName);
    io.Short("AxesFont", s.m_WindowStyleSettings.m_AxesFont);
    io.Short("LegendFont", s.m_WindowStyleSettings.m_LegendFont);
}

template <class Io, class X>
void VisitXAxis(Io& io, X& x)
{
    io.Text("Unit", x.m_Unit);
    io.Short("Type", x.m_Type);
    io.Double("MinValue", x.m_MinValue);
    io.Double("MaxValue", x.m_MaxValue);
    io.Double("RangeValue", x.m_RangeValue);
    io.Double("TickWidth", x.m_TickWidth);
    io.Flag("TickAuto", x.m_TickAuto);
    io.Flag("TicksAtPoints", x.m_TicksAtPoints);
    io.Short("AxisAuto", x.m_AxisAuto);
    io.Short("UnitType", x.m_UnitType);
    io.Short("Rotation", x.m_Rotation);
    io.Flag("OnlyStandard", x.m_OnlyStandard);
}

template <class Io, class F>
void VisitFont(Io& io, F& f)
{
    io.Text("FaceName", f.m_faceName);
    io.Byte("Charset", f.m_charSet);
    io.Byte("ClipPrecision", f.m_clipPrecision);
    io.Long("Escapement", f.m_escapement);
    io.Long("Height", f.m_height);
    io.Byte("Italic", f.m_italic);
    io.Long("Orientation", f.m_orientation);
    io.Byte("OutPrecision", f.m_outPrecision);
    io.Byte("PitchAndFamily", f.m_pitchAndFamily);
    io.Byte("Quality", f.m_quality);
    io.Byte("Strikeout", f.m_strikeOut);
    io.Byte("Underline", f.m_underline);
    io.Long("Weight", f.m_weight);
    io.Long("Width", f.m_width);
    io.Long("PointSize", f.m_pointSize);
}

template <class Io, class G>
void VisitGroup(Io& io, G& g)
{
    io.Double("RelativeHeight", g.m_RelativeHeight);
}

template <class Io, class A>
void VisitYAxis(Io& io, A& a)
{
    io.Text("Unit", a.m_Unit);
    io.Short("Type", a.m_Type);
    io.Long("SubIndex", a.m_SubIndex);
    io.Double("MinValue", a.m_MinValue);
    io.Double("MaxValue", a.m_MaxValue);
    io.Double("TickWidth", a.m_TickWidth);
    io.Flag("TickAuto", a.m_TickAuto);
    io.Flag("AxisAuto", a.m_AxisAuto);
    io.Short("UnitType", a.m_UnitType);
    io.Long("Color", a.m_Color);
    io.Flag("Reversed", a.m_Reversed);
    io.Flag("Hidden", a.m_Hidden);
    io.Double("MeterAngle", a.m_MeterAngle);
}

template <class Io, class C>
void VisitCurve(Io& io, C& c)
{
    io.Text("Name", c.m_Name);
    io.Text("Group", c.m_Group);
    io.Short("YIndex", c.m_YIndex);
    io.Short("PlotStyle", c.m_PlotStyle);
    io.Short("Symbol", c.m_Symbol);
    io.Short("ValueList", c.m_ValueList);
    io.Long("Color", c.m_Color);
    io.Short("Visible", c.m_Visible);
    io.Short("MarkerVisible", c.m_MarkerVisible);
    io.Flag("GapInterpol", c.m_GapInterpol);
    io.Flag("ShowValue", c.m_ShowValue);
    io.Short("EventTemplateIndex", c.m_EventTemplateIndex);
}

template <class Io, class L>
void VisitLimit(Io& io, L& l)
{
    io.Short("LineStyle", l.m_LineStyle);
    io.Long("Color", l.m_Color);
    io.Double("Value", l.m_Value);
}

template <class Io, class M>
void VisitMarker(Io& io, M& m)
{
    io.Text("Text", m.m_Text);
    io.Short("Type", m.m_Type);
    io.Double("Value", m.m_Value);
    io.Long("Color", m.m_Color);
    io.Flag("Frame", m.m_Frame);
    io.Flag("Pointer", m.m_Pointer);
    io.Long("BackgroundColor", m.m_BackgroundColor);
    io.Short("Rotation", m.m_Rotation);
    io.Flag("AtPoint", m.m_AtPoint);
    io.Short("Font", m.m_Font);
}

// Reads sections prefix000, prefix001, ... while the section holds `key`, appending one
// record per section to the table.
template <class T, class Visit>
void LoadTable(const CKSTHeaderInfoList& list, const CKSTString& parent, const char* prefix,
               const char* key, KstOwnedTable<T>& table, Visit visit)
{
    for (size_t n = 0;; ++n) {
        CKSTString section = Numbered(prefix, n);
        if (!parent.IsEmpty()) {
            section = Nested(parent, section);
        }
        const SectionReader reader(list, section);
        if (!reader.Has(key)) {
            return;
        }
        auto record = std::make_unique<T>();
        visit(reader, *record);
        table.push_back(std::move(record));
    }
}

}  // namespace

int LoadCurveWndLayout(CKSTKeyFile& file, CKSTCurveWndSettings& settings, bool leaveOutMarkers)
{
    CKSTHeaderInfoList& list = file.GetList();
    const int result = file.Parse(list, true, true);

    const SectionReader window(list, "WINDOW");
    VisitWindow(window, settings);
    const SectionReader xAxis(list, "XAXIS");
    VisitXAxis(xAxis, settings.m_XAxisSettings);

    // The file's indexes refer to its own tables, so they replace whatever the record held.
    settings.m_Fonts.clear();
    settings.m_Groups.clear();
    settings.m_Axes.clear();
    settings.m_Curves.clear();
    settings.m_Templates.clear();
    const CKSTString none;
    LoadTable(list, none, "FONT_", "FaceName", settings.m_Fonts,
              [](const SectionReader& io, CKSTFontDesc& font) { VisitFont(io, font); });
    LoadTable(list, none, "SUBWINDOW_", "RelativeHeight", settings.m_Groups,
              [](const SectionReader& io, CKSTGroupSettings& group) { VisitGroup(io, group); });
    LoadTable(list, none, "YAXIS_", "Unit", settings.m_Axes,
              [](const SectionReader& io, CKSTAxisSettings& axis) { VisitYAxis(io, axis); });
    LoadTable(list, none, "ETEMPLATE_", "Text", settings.m_Templates,
              [](const SectionReader& io, CKSTMarkerSettings& marker) { VisitMarker(io, marker); });
    for (size_t n = 0;; ++n) {
        const CKSTString section = Numbered("PLOT_", n);
        const SectionReader reader(list, section);
        if (!reader.Has("Name")) {
            break;
        }
        auto curve = std::make_unique<CKSTCurveSettings>();
        VisitCurve(reader, *curve);
        LoadTable(list, section, "LIMIT_", "LineStyle", curve->m_Limits,
                  [](const SectionReader& io, CKSTLimitSettings& limit) { VisitLimit(io, limit); });
        if (!leaveOutMarkers) {
            LoadTable(list, section, "MARKER_", "Type", curve->m_Markers,
                      [](const SectionReader& io, CKSTMarkerSettings& marker) {
                          VisitMarker(io, marker);
                      });
        }
        settings.m_Curves.push_back(std::move(curve));
    }
    return result;
}

int SaveCurveWndLayout(CKSTKeyFile& file, const CKSTCurveWndSettings& settings,
                       bool leaveOutMarkers)
{
    CKSTHeaderInfoList& list = file.GetList();
    list.Clear();

    SectionWriter window(list, "WINDOW");
    VisitWindow(window, settings);
    SectionWriter xAxis(list, "XAXIS");
    VisitXAxis(xAxis, settings.m_XAxisSettings);
    for (size_t n = 0; n < settings.m_Fonts.size(); ++n) {
        SectionWriter io(list, Numbered("FONT_", n));
        VisitFont(io, *settings.m_Fonts[n]);
    }
    for (size_t n = 0; n < settings.m_Groups.size(); ++n) {
        SectionWriter io(list, Numbered("SUBWINDOW_", n));
        VisitGroup(io, *settings.m_Groups[n]);
    }
    for (size_t n = 0; n < settings.m_Axes.size(); ++n) {
        SectionWriter io(list, Numbered("YAXIS_", n));
        VisitYAxis(io, *settings.m_Axes[n]);
    }
    for (size_t n = 0; n < settings.m_Curves.size(); ++n) {
        const CKSTCurveSettings& curve = *settings.m_Curves[n];
        const CKSTString section = Numbered("PLOT_", n);
        SectionWriter io(list, section);
        VisitCurve(io, curve);
        for (size_t m = 0; m < curve.m_Limits.size(); ++m) {
            SectionWriter limit(list, Nested(section, Numbered("LIMIT_", m)));
            VisitLimit(limit, *curve.m_Limits[m]);
        }
        for (size_t m = 0; !leaveOutMarkers && m < curve.m_Markers.size(); ++m) {
            SectionWriter marker(list, Nested(section, Numbered("MARKER_", m)));
            VisitMarker(marker, *curve.m_Markers[m]);
        }
    }
    for (size_t n = 0; n < settings.m_Templates.size(); ++n) {
        SectionWriter io(list, Numbered("ETEMPLATE_", n));
        VisitMarker(io, *settings.m_Templates[n]);
    }
    return file.Write(list, false);
}
