#include <windows.h>

#include <commdlg.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/CommonDialogs.h"
#include "framework/Seams.h"
#include "framework_test_support.h"

namespace {

using CommonDialogsTest = kst_test::FrameworkTest;

// What an open-file seam answers: the bytes it writes into the name buffer (zero bytes
// included), its filter index, its result and its error.
struct FileAnswer {
    std::string names;
    DWORD filterIndex;
    BOOL ok;
    DWORD error;
};

TEST_F(CommonDialogsTest, FileDialogReturnsEveryChosenFile)
{
    struct Case {
        const char* what;
        DWORD flags;
        FileAnswer answer;
        INT_PTR result;
        std::vector<CKSTString> names;
        DWORD bufferSize;
    };
    const Case cases[] = {
        {"one file",
         OFN_FILEMUSTEXIST,
         {std::string("C:\\data\\a.qld\0", 14), 2, TRUE, 0},
         IDOK,
         {"C:\\data\\a.qld"},
         MAX_PATH},
        {"several files",
         OFN_ALLOWMULTISELECT,
         {std::string("C:\\data\0b.qld\0a.qld\0\0", 21), 3, TRUE, 0},
         IDOK,
         {"C:\\data\\b.qld", "C:\\data\\a.qld"},
         32000},
        {"one file of a multi-selection",
         OFN_ALLOWMULTISELECT,
         {std::string("C:\\a.qld\0\0", 10), 1, TRUE, 0},
         IDOK,
         {"C:\\a.qld"},
         32000},
        {"too many files for the buffer",
         OFN_ALLOWMULTISELECT,
         {std::string(), 1, FALSE, FNERR_BUFFERTOOSMALL},
         IDCANCEL,
         {},
         32000},
        {"cancelled", 0, {std::string(), 1, FALSE, 0}, IDCANCEL, {}, MAX_PATH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DWORD bufferSize = 0;
        DWORD filterIndexIn = 0;
        std::string filter;
        KstSeams().getOpenFileName = [&](OPENFILENAMEA& ofn, DWORD& error) {
            bufferSize = ofn.nMaxFile;
            filterIndexIn = ofn.nFilterIndex;
            filter.assign(ofn.lpstrFilter, 40);
            memcpy(ofn.lpstrFile, c.answer.names.data(), c.answer.names.size());
            ofn.nFilterIndex = c.answer.filterIndex;
            error = c.answer.error;
            return c.answer.ok;
        };
        CFileDialog dialog(TRUE, "qld", nullptr, c.flags,
                           "All supported datatypes|*.qld;*.csv|All Files (*.*)|*.*||");
        dialog.m_ofn.nFilterIndex = 2;

        EXPECT_EQ(c.result, dialog.DoModal());
        EXPECT_EQ(c.bufferSize, bufferSize);
        EXPECT_EQ(2u, filterIndexIn);
        EXPECT_EQ(std::string("All supported datatypes\0*.qld;*.csv\0All Files (*.*)\0*.*\0\0", 40),
                  filter);
        EXPECT_EQ(c.answer.error, dialog.GetExtendedError());
        if (c.result == IDOK) {
            EXPECT_EQ(c.names, dialog.GetPathNames());
            EXPECT_EQ(c.names.front(), dialog.GetPathName());
            EXPECT_EQ(c.answer.filterIndex, dialog.m_ofn.nFilterIndex);
        }
    }
}

}  // namespace
