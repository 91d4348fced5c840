#pragma once
// Command, string and window ids that the framework gives a meaning to. Resource scripts include
// this file too, so it holds nothing but #define lines.

// Commands
#define ID_SEPARATOR 0
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_FILE_MRU_FILE1 57616
#define ID_FILE_MRU_FILE4 57619
#define ID_FILE_MRU_FILE16 57631
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393

// Strings: the prompt shown in the status bar while no menu item is highlighted.
#define AFX_IDS_IDLEMESSAGE 57345

// Child windows of a frame; the bars' ids equal the commands that show and hide them.
#define AFX_IDW_TOOLBAR 59392
#define AFX_IDW_STATUS_BAR 59393
#define AFX_IDW_PANE_FIRST 59648
