#pragma once
// The layout file: one curve-window settings record as an ".ini" key file. Sections WINDOW and
// XAXIS, then numbered sections (three digits at least) for the tables: FONT_n, SUBWINDOW_n,
// YAXIS_n, PLOT_n with PLOT_n|LIMIT_m and PLOT_n|MARKER_m, ETEMPLATE_n. Every key is the name of
// the record field it holds. A numbered sequence ends at the first missing number.

#include "data/KeyFile.h"
#include "data/settings/CurveWndSettings.h"

// Parses the key file (comments stripped, includes allowed) into its own list and fills the
// record from it; keys that are missing leave their fields as they are. The font, group, axis,
// curve and template tables are replaced by the file's (the picture table, which the file does
// not hold, stays). The error of the parse is returned after the record took what was read
// before it: KST_ERR_FILE_NOT_OPEN when the file is not open, KST_ERR_MALFORMED_LINE, ...
[[nodiscard]] int LoadCurveWndLayout(CKSTKeyFile& file, CKSTCurveWndSettings& settings, bool leaveOutMarkers);

// Writes the record's sections into a key file opened for writing, with "\n" line ends;
// returns the key file's result.
[[nodiscard]] int SaveCurveWndLayout(CKSTKeyFile& file, const CKSTCurveWndSettings& settings,
                       bool leaveOutMarkers);
