// Message boxes and error texts of the application object, in both languages.
#include "app_test_support.h"

#include "resources/StringIds.h"

namespace kst_test {
namespace {

class MessageBoxes : public AppTest {};

TEST_F(MessageBoxes, ErrorCodesInBothLanguages)
{
    struct Case {
        int code;
        bool ask;
        int language;
        int answer;
        const char* text;
        const char* caption;
        UINT type;
        int result;
    };
    const Case cases[] = {
        {-1360, false, 1, IDOK, "-1360 Transfer Error occurred. Online connection closed.",
         "Attention", MB_OK, -1},
        {-1360, false, 0, IDOK,
         "-1360 Fehler bei der Online-Daten\xfc" "bertragung, Verbindung wurde geschlossen.",
         "Achtung", MB_OK, -1},
        // The text ends in a blank, kept.
        {-1201, true, 1, IDOK, "-1201 Connection failed ", "Attention", MB_OK, -1},
        {-1201, true, 0, IDOK,
         "-1201 Zur angegebenen IP-Adresse konnte keine Online-Verbindung hergestellt werden. ",
         "Achtung", MB_OK, -1},
        {-1414, true, 1, IDYES,
         "Timeout during transfer. Online connection closed.\r\nDo you want to reconnect?",
         "Attention", MB_YESNO | MB_ICONSTOP, IDYES},
        {-1350, true, 0, IDNO,
         "Datenverlust bei der Online-Daten\xfc" "bertragung, Verbindung wurde geschlossen!\r\n"
         "M\xf6" "chten Sie die Verbindung wieder aufbauen?",
         "Achtung", MB_YESNO | MB_ICONSTOP, IDNO},
        {-1414, false, 1, IDOK, "Timeout during transfer. Online connection closed.",
         "Attention", MB_OK, -1},
        {-1348, false, 1, IDOK,
         "Selected Data Source not found on the controller!\r\nPlease check 'Extended "
         "Settings'.  ",
         "Attention", MB_OK, -1},
        {-1348, false, 0, IDOK,
         "Fehler beim Anfordern des Datenpuffers vom Controller!\r\nBitte pr\xfc" "fen Sie die "
         "erweiterten Einstellungen.   ",
         "Achtung", MB_OK, -1},
        {-100, true, 1, IDOK,
         "Predefined Memorylimit exceeded, the data transmission is suspended!\r\nPlease perform "
         "a Rezoom to continue the transmission.",
         "Attention", MB_OK | MB_ICONEXCLAMATION, -1},
    };
    RecordBoxes();
    CTalvenorApp& app = NewApp();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " language " << c.language);
        m_boxes.clear();
        app.Settings().language = c.language;
        m_boxAnswer = c.answer;
        EXPECT_EQ(app.ShowErrorCode(c.code, c.ask), c.result);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, c.text);
        EXPECT_EQ(m_boxes[0].caption, c.caption);
        EXPECT_EQ(m_boxes[0].type, c.type);
        // No main frame yet: the box has no owner.
        EXPECT_FALSE(m_boxes[0].owned);
    }
    m_boxes.clear();
    EXPECT_EQ(app.ShowErrorCode(0, true), 0);
    EXPECT_EQ(app.ShowErrorCode(-1013, false), 0);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(MessageBoxes, FileErrorsInBothLanguages)
{
    struct Case {
        int code;
        int language;
        const char* text;
        UINT textId;
        int result;
    };
    const Case cases[] = {
        {-1201, 1, "The file does not exist", 4506, -1},
        {-1201, 0, "Die Datei konnte nicht gefunden werden", 4506, -1},
        {-1204, 0, "Interner Fehler\r\nDatei konnte nicht ge\xf6" "ffnet werden", 4509, -1},
        {-1205, 1, "The file ends early and is incomplete.\r\nOnly the data up to that point were read.", 4930, -1},
        {-1205, 0, "Die Datei endet vorzeitig und ist unvollst\xe4" "ndig.\r\nNur die Daten bis dahin wurden gelesen.", 4930, -1},
        {-1210, 1, "No display settings found in this file", 4514, 0},
        {-1300, 1, "An internal error occured\r\nFile could not be loaded", 4523, -1},
    };
    RecordBoxes();
    CTalvenorApp& app = NewApp();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        m_boxes.clear();
        app.Settings().language = c.language;
        EXPECT_EQ(app.ShowFileError(c.code), c.result);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, c.text);
        EXPECT_EQ(m_boxes[0].textId, c.textId);
        EXPECT_EQ(m_boxes[0].type, static_cast<UINT>(MB_OK));
    }
    m_boxes.clear();
    EXPECT_EQ(app.ShowFileError(-1218), 0);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(MessageBoxes, OwnedByTheMainFrameOnceItExists)
{
    AnswerStartDialogs();
    ASSERT_TRUE(Start("/noreg"));
    RecordBoxes();
    EXPECT_EQ(m_app->MessageBoxId(KST_STR_ONL_NO_DATA, MB_OK), IDOK);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(m_boxes[0].owned);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ONL_NO_DATA));
}

}  // namespace
}  // namespace kst_test
