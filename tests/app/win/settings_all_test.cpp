// Window settings with markers named on the command line (SETTINGSALL) wait for the file opened
// next and show with it, once.
#include "app_test_support.h"

#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "data/DocFile.h"
#include "support/TempFolder.h"

namespace kst_test {
namespace {

class SettingsAll : public AppTest {};

TEST_F(SettingsAll, CommandLineSettingsShowWithTheFileOpenedNextOnly)
{
    TempFolder folder;
    CKSTCurveWndSettings layout;
    layout.m_PlotBackgroundColor = 0x123456;
    layout.AddCurveForChannel("Alpha", "", "V");
    const CKSTString layoutPath = folder.Path("layout.qld");
    {
        CKSTDocFile file;
        ASSERT_EQ(file.OpenWrite(layoutPath), 0);
        ASSERT_GE(file.WriteCurveWndSettings(layout), 0);
        EXPECT_EQ(file.Close(), KST_OK);
    }
    folder.WriteFile("table.csv", "Name;Alpha;Beta\r\nUnit;[V];[A]\r\n0;1;10\r\n1;2;20\r\n");
    const CKSTString table = folder.Path("table.csv");

    AnswerStartDialogs();
    RecordBoxes();
    const std::string line =
        std::string("\"") + table.c_str() + "\" /noreg /SETTINGSALL " + layoutPath.c_str();
    ASSERT_TRUE(Start(line.c_str()));
    EXPECT_TRUE(m_boxes.empty());
    CTalvenorDoc& doc = *m_app->GetDocument();
    ASSERT_EQ(doc.GetDataSet().GetChannels().GetCount(), 2);
    ASSERT_TRUE(doc.GetDataSet().HasWindowSettings());
    EXPECT_TRUE(doc.GetDataSet().GetWindowSettings() == layout);
    CKSTCurveWndSettings shown;
    ASSERT_TRUE(m_app->GetView()->GetMainCurveSettings(shown));
    EXPECT_EQ(shown.m_PlotBackgroundColor, 0x123456u);
    ASSERT_EQ(m_app->GetSettingsFileCount(), 1);

    // Taken by that open: the next one shows the start settings.
    ASSERT_EQ(doc.OpenFile(table), 1);
    EXPECT_EQ(doc.GetDataSet().GetWindowSettings().m_PlotBackgroundColor,
              m_app->Options().StartSettings().m_PlotBackgroundColor);
    ASSERT_TRUE(m_app->GetView()->GetMainCurveSettings(shown));
    EXPECT_NE(shown.m_PlotBackgroundColor, 0x123456u);
    EXPECT_TRUE(m_boxes.empty());
}

}  // namespace
}  // namespace kst_test
