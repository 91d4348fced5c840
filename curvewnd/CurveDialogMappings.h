#pragma once
// How the settings dialogs of a curve window show the codes of its objects and turn the
// choices back: display styles, marker types, rotations and backgrounds, the X axis type list,
// the Y scale conversions, and the window settings of the bar, pointer and common options
// dialogs. Pure functions, shared by the dialogs and their tests.

#include <cstdint>
#include <vector>

// --- Curve display: style and line-style lists ---
enum : int {
    kKstStyleLine = 0,
    kKstStyleSteps = 1,
    kKstStyleBars = 2,
    kKstStyle3DBars = 3,
    kKstStyleSymbols = 4,
    kKstStyleEventTexts = 5,
};
enum : int {
    kKstLineSolid = 0,
    kKstLineThick = 1,
    kKstLineDash = 2,
    kKstLineDot = 3,
    kKstLineDashDot = 4,
    kKstLineDashDotDot = 5,
};
struct KstStyleChoice {
    int style;
    int lineStyle;
};
// Codes without a list entry (the needle, the pointer) show as solid lines.
KstStyleChoice KstSplitDisplayStyle(uint32_t displayStyle);
// False for indices outside the lists; the line style counts only for lines and steps.
bool KstJoinDisplayStyle(int style, int lineStyle, uint32_t& displayStyle);
// The line-style list means something only for lines and steps.
bool KstStyleHasLineStyle(int style);

// --- Markers ---
// The type list: "On Curve", "On Window", "Vertical Line", track.
int KstMarkerTypeToIndex(uint32_t type);
uint32_t KstMarkerIndexToType(int index);
// The rotation list: 0, 90, -90 degrees.
int KstMarkerAngleToIndex(int16_t degrees);
int16_t KstMarkerIndexToAngle(int index);
// The background list: "auto" (-1), "manual" (the colour), "transparent" (-2).
enum : int {
    kKstBackAuto = 0,
    kKstBackManual = 1,
    kKstBackTransparent = 2,
};
int KstBackgroundToIndex(uint32_t colour);
uint32_t KstIndexToBackground(int index, uint32_t chosen);

// --- Limit lines and axes ---
// 10 to the power of a label exponent: the factor between the values an axis labels and
// shows in its dialogs and the stored ones.
double KstLabelFactor(int exponent);

// --- X axis type list ---
// Entries, in the order of the full list.
enum : int {
    kKstXTypeStandard = 0,
    kKstXTypeAbsoluteTime = 1,
    kKstXTypeRelativeTime = 2,
    kKstXTypeXYDisplay = 3,
    kKstXTypeChannelAsAxis = 4,
    kKstXTypeTrack = 5,
};
struct KstXTypeCode {
    uint32_t displayKind;
    uint32_t axisType;
};
// The window's display kind and axis type of an entry; an entry outside the list gives the
// standard one.
KstXTypeCode KstXTypeCodeOf(int entry);
// The entry that shows a window's display kind and axis type.
int KstXTypeEntryOf(uint32_t displayKind, uint32_t axisType);
// The entries the dialog offers, in list order: only "Standard" and "Channel as Axis" for a
// numeric-only axis; else the time axes too, "XY-Display" when available, and the track type
// with the window's track option.
std::vector<int> KstXTypeEntries(bool numericOnly, bool xyAvailable, bool trackOption);
// Rotations beyond +-180 degrees are stored as -180.
int16_t KstClampLabelRotation(int degrees);

// --- Y axis dialog ---
struct KstYScaleValues {
    double minimum;
    double maximum;
    double spacing;
};
// The numbers shown in the dialog when its scale list changes from one type to another
// (CKSTYAxis::kScale...). Values that have no logarithm give the fallbacks the dialog shows
// instead of a number that is none.
KstYScaleValues KstConvertYScale(const KstYScaleValues& values, uint32_t from, uint32_t to);

// --- Window settings of the bar, pointer and common options dialogs ---
// Legend choice "One Main Legend", "One per Sub-Window", "None" <-> LegendStyle 1, 2, 0.
int KstLegendStyleToChoice(uint32_t legendStyle);
uint32_t KstChoiceToLegendStyle(int choice);
// Title alignment choice 0, 1, 2 <-> LegendAlign 0, 4, 1.
int KstLegendAlignToChoice(uint32_t legendAlign);
uint32_t KstChoiceToLegendAlign(int choice);
// Bar style choice 0, 1 <-> display style 1, 5; pointer style choice 0, 1 <-> 7, 17.
int KstBarStyleToChoice(uint32_t displayStyle);
uint32_t KstChoiceToBarStyle(int choice);
int KstPointerStyleToChoice(uint32_t displayStyle);
uint32_t KstChoiceToPointerStyle(int choice);
// Picture position: the page's two choices (vertical, horizontal) <-> ImagePlacement 5 to 13.
// False for a code or a pair outside the table.
bool KstImagePlacementToChoices(uint32_t placement, int& first, int& second);
bool KstChoicesToImagePlacement(int first, int second, uint32_t& placement);
// Arrangement mode of the window <-> structure page choice: 0 0, 1 1, 2 3, 3 4, 4 2.
int KstArrangeModeToChoice(uint32_t mode);
uint32_t KstChoiceToArrangeMode(int choice);
