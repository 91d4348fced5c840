#pragma once
// Resource ids of the framework tests' own dialogs, pages and menu (framework_tests.rc).

#define IDD_TEST_DATA 100
#define IDD_TEST_MODELESS 101
#define IDD_TEST_CHILD 102
#define IDD_TEST_OWN_CLASS_EX 103
#define IDD_TEST_OWN_CLASS 104
#define IDD_TEST_PAGE_ONE 110
#define IDD_TEST_PAGE_TWO 111
#define IDM_TEST_POPUP 120

#define IDC_TEST_NAME 1001
#define IDC_TEST_COUNT 1002
#define IDC_TEST_FACTOR 1003
#define IDC_TEST_ENABLED 1004
#define IDC_TEST_MODE_A 1005
#define IDC_TEST_MODE_B 1006
#define IDC_TEST_MODE_C 1007
#define IDC_TEST_KIND 1008
#define IDC_TEST_CUSTOM_END 1009
#define IDC_TEST_NOTE 1010
#define IDC_TEST_PAGE_TEXT 1101
#define IDC_TEST_PAGE_NUMBER 1102

#define ID_TEST_FIRST 40001
#define ID_TEST_SECOND 40002
#define ID_TEST_THIRD 40003

// The application-shell tests: menu, toolbar, toolbar bitmap, icon-less frame, document string.
#define IDR_TEST_SHELL 200
#define ID_TEST_VIEW_CMD 40101
#define ID_TEST_DOC_CMD 40102
#define ID_TEST_FRAME_CMD 40103
#define ID_TEST_APP_CMD 40104
#define ID_TEST_NO_HANDLER 40105
#define ID_TEST_DISABLED 40106
#define ID_TEST_CHOICE_FIRST 40110
#define ID_TEST_CHOICE_LAST 40112
#define ID_TEST_INDICATOR_WIDE 41001
#define ID_TEST_INDICATOR_NARROW 41002
