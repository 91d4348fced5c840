// The text-table options in the running application: the ASCII load and save commands with
// their dialogs scripted through the modal seam, the record they change in the registry, and
// File > Open and Save As of text tables under that record.
#include "app_test_support.h"

#include <commctrl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "foundation/win/StringLoader.h"
#include "panels/AsciiDialogMapping.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/TempFolder.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string::npos;
         at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

// A number written with a decimal comma.
double CommaNumber(std::string text)
{
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    return std::strtod(text.c_str(), nullptr);
}

class TextOptions : public AppTest {
protected:
    void Begin(const char* commandLine)
    {
        AnswerStartDialogs();
        ASSERT_TRUE(Start(commandLine));
        RecordBoxes();
        RunDialogScripts();
        m_dialogs.clear();
    }

    CTalvenorDoc& Doc() { return *m_app->GetDocument(); }
    void Command(UINT id) { AfxGetMainWnd()->SendMessage(WM_COMMAND, id, 0); }

    // Chooses ";" (so the decimal comma), relative seconds and the decimals in Save ASCII.
    static CKSTDialogScript SaveSemicolonSeconds(int valueDecimals)
    {
        return CKSTDialogScript()
            .Select(IDC_ASCII_SEPARATOR, KstSaveAsciiFields::kSeparatorSemicolon)
            .Select(IDC_ASCII_VALUE_DECIMALS, valueDecimals)
            .Click(IDC_ASCII_TIME_SECONDS)
            .Click(IDOK);
    }

    TempFolder m_folder;
};

TEST_F(TextOptions, DialogsShowTheRecordInTheLanguageAndTakeItBackOnlyOnOk)
{
    Begin("/noreg");
    struct Case {
        UINT command;
        UINT dialog;
        int language;
        int end;
    };
    const Case cases[] = {
        {ID_SETTINGS_ASCII_LOAD, IDD_LOAD_ASCII, 0, IDOK},
        {ID_SETTINGS_ASCII_LOAD, IDD_LOAD_ASCII, 1, IDCANCEL},
        {ID_SETTINGS_ASCII_SAVE, IDD_SAVE_ASCII, 1, IDOK},
        {ID_SETTINGS_ASCII_SAVE, IDD_SAVE_ASCII, 0, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dialog << " language " << c.language << " end "
                                        << c.end);
        const bool load = c.dialog == IDD_LOAD_ASCII;
        m_app->SetLanguage(c.language);
        CKSTTextFormat& record = m_app->Settings().textFormat;
        record = CKSTTextFormat();
        record.headerLines = 4;
        record.writeSeparator = KST_TEXT_SEPARATOR_TAB;
        std::string caption;
        int shownSeparator = -1;
        std::string shownHeaderLines;
        CKSTDialogScript script(c.end);
        script.Run([&](CWnd& dialog) {
            caption = DialogCaption(dialog);
            shownSeparator = static_cast<int>(
                SendDlgItemMessageA(dialog.m_hWnd, IDC_ASCII_SEPARATOR, CB_GETCURSEL, 0, 0));
            shownHeaderLines = DialogItemText(dialog, IDC_ASCII_HEADER_LINES);
        });
        if (load) {
            script.SetText(IDC_ASCII_HEADER_LINES, "2")
                .Select(IDC_ASCII_SEPARATOR, KstLoadAsciiFields::kSeparatorSemicolon);
        } else {
            script.Select(IDC_ASCII_SEPARATOR, KstSaveAsciiFields::kSeparatorSemicolon)
                .Click(IDC_ASCII_TIME_SECONDS);
        }
        m_scripts[c.dialog] = {script.Click(c.end)};
        m_dialogs.clear();
        Command(c.command);

        EXPECT_EQ(m_dialogs, (std::vector<UINT>{c.dialog}));
        const int captionId = load ? KST_STR_ASCII_LOAD_CAPTION : KST_STR_ASCII_SAVE_CAPTION;
        EXPECT_EQ(caption, LoadResString(captionId, c.language == 1).c_str());
        const bool ok = c.end == IDOK;
        if (load) {
            EXPECT_EQ(shownHeaderLines, "4");
            EXPECT_EQ(shownSeparator, KstLoadAsciiFields::kSeparatorAuto);
            EXPECT_EQ(record.headerLines, ok ? 2 : 4);
            EXPECT_EQ(record.readSeparator,
                      ok ? KST_TEXT_SEPARATOR_SEMICOLON : KST_TEXT_SEPARATOR_AUTO);
            EXPECT_EQ(record.writeSeparator, KST_TEXT_SEPARATOR_TAB);
        } else {
            EXPECT_EQ(shownSeparator, KstSaveAsciiFields::kSeparatorTab);
            EXPECT_EQ(record.writeSeparator,
                      ok ? KST_TEXT_SEPARATOR_SEMICOLON : KST_TEXT_SEPARATOR_TAB);
            EXPECT_EQ(record.formatCode, ok ? KST_TEXT_CSV_SECONDS : KST_TEXT_CSV_TIME);
            EXPECT_EQ(record.headerLines, 4);
        }
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(TextOptions, ChosenOptionsReachTheRegistryWhenTheProgramEnds)
{
    Begin("");
    m_scripts[IDD_SAVE_ASCII] = {SaveSemicolonSeconds(5)};
    m_scripts[IDD_LOAD_ASCII] = {
        CKSTDialogScript().SetText(IDC_ASCII_HEADER_LINES, "3").Click(IDOK)};
    Command(ID_SETTINGS_ASCII_SAVE);
    Command(ID_SETTINGS_ASCII_LOAD);
    EXPECT_EQ(m_app->Settings().textFormat.writeSeparator, KST_TEXT_SEPARATOR_SEMICOLON);
    // The dialogs change the record in memory; the registry follows with the other settings.
    EXPECT_EQ(ReadText("Options\\ASCIISAVE", "SaveSeparator"), "<absent>");

    AfxGetMainWnd()->SendMessage(WM_CLOSE);
    EXPECT_EQ(ReadText("Options\\ASCIISAVE", "SaveSeparator"), ";");
    EXPECT_EQ(ReadText("Options\\ASCIISAVE", "SaveDecMarker"), ",");
    EXPECT_EQ(ReadText("Options\\ASCIISAVE", "TimeChannel"), "R");
    EXPECT_EQ(ReadText("Options\\ASCIISAVE", "Fraction"), "5");
    EXPECT_EQ(ReadText("Options\\ASCIISAVE", "HeaderLines"), "3");

    // The next start reads them back.
    Begin("");
    const CKSTTextFormat& record = m_app->Settings().textFormat;
    EXPECT_EQ(record.writeSeparator, KST_TEXT_SEPARATOR_SEMICOLON);
    EXPECT_EQ(record.decimalMark, 0);
    EXPECT_EQ(record.formatCode, KST_TEXT_CSV_SECONDS);
    EXPECT_EQ(record.valueDecimals, 5);
    EXPECT_EQ(record.headerLines, 3);
}

TEST_F(TextOptions, SaveAsTextFollowsTheSaveOptionsAndOpensBack)
{
    Begin("/noreg");
    m_scripts[IDD_SAVE_ASCII] = {SaveSemicolonSeconds(4)};
    Command(ID_SETTINGS_ASCII_SAVE);

    constexpr uint32_t kSamples = 120;
    constexpr double kDt = 0.01;
    auto generate = [](CKSTChannelList& channels) {
        CKSTChannel& sine = *channels.GetAt(channels.AddNew());
        sine.GenerateSine(kSamples, kDt, 2.5, 1.5, 0.0);
        sine.SetName("Sinus");
        sine.SetUnit("V");
        CKSTChannel& ramp = *channels.GetAt(channels.AddNew());
        ramp.GenerateRamp(kSamples, kDt);
        ramp.SetName("Ramp");
        ramp.SetUnit("mm");
    };
    Doc().GetDataSet().Clear(false);
    generate(Doc().GetDataSet().GetChannels());
    CKSTDataSet written;
    generate(written.GetChannels());

    const CKSTString path = m_folder.Path("signal.csv");
    ChooseFile(path, 8);
    Command(ID_FILE_SAVE_AS);
    ASSERT_TRUE(m_boxes.empty());

    // A first line with the start, then names and units; one line per sample, the seconds first,
    // every field with the separator ";" and the decimal comma.
    const std::vector<std::string> lines = Split(ReadBytes(m_folder.Native("signal.csv")), "\r\n");
    ASSERT_EQ(lines.size(), 3 + kSamples + 1);
    EXPECT_EQ(lines.back(), "");
    // The start's date and time, as wide as the table.
    EXPECT_EQ(Split(lines[0], ";").size(), 3u) << lines[0];
    EXPECT_EQ(lines[1], ";Sinus;Ramp");
    EXPECT_EQ(lines[2], "[s];[V];[mm]");
    for (uint32_t i = 0; i < kSamples; ++i) {
        SCOPED_TRACE(i);
        const std::vector<std::string> fields = Split(lines[3 + i], ";");
        ASSERT_EQ(fields.size(), 3u);
        for (const std::string& field : fields) {
            EXPECT_EQ(field.find('.'), std::string::npos);
            const size_t comma = field.find(',');
            ASSERT_NE(comma, std::string::npos);
            EXPECT_EQ(field.size() - comma - 1, 4u);
        }
        EXPECT_NEAR(CommaNumber(fields[0]), i * kDt, 5e-5);
        EXPECT_NEAR(CommaNumber(fields[1]), written.GetChannels().GetAt(0)->GetValue(i), 5e-5);
        EXPECT_NEAR(CommaNumber(fields[2]), written.GetChannels().GetAt(1)->GetValue(i), 5e-5);
    }

    Command(ID_FILE_NEW_DOCUMENT);
    ChooseFile(path);
    Command(ID_FILE_OPEN);
    ASSERT_TRUE(m_boxes.empty());
    CKSTChannelList& read = Doc().GetDataSet().GetChannels();
    ASSERT_EQ(read.GetCount(), 2);
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(c);
        const CKSTChannel& expected = *written.GetChannels().GetAt(c);
        const CKSTChannel& channel = *read.GetAt(c);
        EXPECT_STREQ(channel.GetName().c_str(), expected.GetName().c_str());
        EXPECT_STREQ(channel.GetUnit().c_str(), expected.GetUnit().c_str());
        ASSERT_EQ(channel.GetCount(), kSamples);
        for (uint32_t i = 0; i < kSamples; ++i) {
            EXPECT_NEAR(channel.GetTimeAt(i), expected.GetTimeAt(i), 5e-5) << i;
            EXPECT_NEAR(channel.GetValue(i), expected.GetValue(i), 5e-5) << i;
        }
    }
}

TEST_F(TextOptions, XyDisplayWritesItsXChannelAsTheFirstColumn)
{
    Begin("/noreg");
    m_scripts[IDD_SAVE_ASCII] = {SaveSemicolonSeconds(2)};
    Command(ID_SETTINGS_ASCII_SAVE);
    CWnd* frame = AfxGetMainWnd();
    // The view makes its curve window on its first paint.
    RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    CKSTDataSet& set = Doc().GetDataSet();
    set.Clear(false);
    CKSTChannelList& channels = set.GetChannels();
    CKSTChannel& position = *channels.GetAt(channels.AddNew());
    position.GenerateRamp(5, 0.5);
    position.SetName("Weg");
    position.SetUnit("mm");
    CKSTChannel& force = *channels.GetAt(channels.AddNew());
    force.GenerateConstant(3.25, 5, 0.5);
    force.SetName("Kraft");
    force.SetUnit("N");
    ASSERT_TRUE(Doc().SaveFile(m_folder.Path("xy.qld"), 0));
    ASSERT_EQ(Doc().OpenFile(m_folder.Path("xy.qld")), 1);
    m_app->GetView()->GetMainCurveWnd().SetDisplayKind(CKSTCurveWndCore::kDisplayXYChannel, -1,
                                                     "Weg");
    ASSERT_EQ(m_app->GetView()->GetXYChannel(), channels.GetAt(0));

    ChooseFile(m_folder.Path("xy.csv"), 8);
    Command(ID_FILE_SAVE_AS);
    ASSERT_TRUE(m_boxes.empty());
    const std::vector<std::string> lines = Split(ReadBytes(m_folder.Native("xy.csv")), "\r\n");
    ASSERT_EQ(lines.size(), 3u + 5u + 1u);
    EXPECT_EQ(lines[1], "Weg;Kraft");
    EXPECT_EQ(lines[2], "[mm];[N]");
    // The X channel's values instead of the seconds, and no column of its own.
    const std::vector<std::string> rows(lines.begin() + 3, lines.end() - 1);
    EXPECT_EQ(rows, (std::vector<std::string>{"0,00;3,25", "1,00;3,25", "2,00;3,25", "3,00;3,25",
                                              "4,00;3,25"}));
}

TEST_F(TextOptions, FixedHeaderLineCountChangesWhatOpenReads)
{
    Begin("/noreg");
    m_folder.WriteFile("table.csv",
                       "Name;Alpha;Beta\r\nUnit;[V];[A]\r\n"
                       "0;1;10\r\n1;2;20\r\n2;3;30\r\n3;4;40\r\n");
    const CKSTString path = m_folder.Path("table.csv");
    struct Case {
        const char* headerLines;  // as typed into Load ASCII
        uint32_t samples;
        double firstValue;
    };
    const Case cases[] = {{"auto", 4, 1.0}, {"3", 3, 2.0}, {"4", 2, 3.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headerLines);
        m_scripts[IDD_LOAD_ASCII] = {
            CKSTDialogScript().SetText(IDC_ASCII_HEADER_LINES, c.headerLines).Click(IDOK)};
        Command(ID_SETTINGS_ASCII_LOAD);
        ChooseFile(path);
        Command(ID_FILE_OPEN);
        ASSERT_TRUE(m_boxes.empty());
        CKSTChannelList& channels = Doc().GetDataSet().GetChannels();
        ASSERT_EQ(channels.GetCount(), 2);
        EXPECT_EQ(channels.GetAt(0)->GetCount(), c.samples);
        EXPECT_DOUBLE_EQ(channels.GetAt(0)->GetValue(0), c.firstValue);
    }
}

}  // namespace
}  // namespace kst_test
