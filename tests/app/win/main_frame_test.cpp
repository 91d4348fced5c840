// The main frame in the running application object: menus in both languages, the command
// table and its routing, the enabling rules, the file dialogs through their seam, the status
// bar, the title and the help.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app_test_support.h"

#include "app/MainMenu.h"
#include "app/StatusTexts.h"
#include "app/win/MainFrame.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "foundation/Colors.h"
#include "foundation/win/StringLoader.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/ChannelBuilders.h"
#include "support/TempFolder.h"

namespace kst_test {
namespace {

std::string MenuText(HMENU menu, UINT item, UINT flags)
{
    char text[256] = {};
    GetMenuStringA(menu, item, text, sizeof text, flags);
    return text;
}

// The pairs of a file dialog's filter (text and pattern, zero-separated, ending with two zeros).
std::vector<std::string> FilterParts(const char* filter)
{
    std::vector<std::string> parts;
    for (const char* part = filter; part && *part; part += strlen(part) + 1) {
        parts.emplace_back(part);
    }
    return parts;
}

struct FileDialogCall {
    std::string title;
    std::vector<std::string> filter;
    std::string defaultExtension;
    std::string initialFile;
    std::string initialFolder;
    DWORD flags = 0;
    DWORD filterIndex = 0;
    DWORD bufferSize = 0;
};

FileDialogCall Record(const OPENFILENAMEA& ofn)
{
    FileDialogCall call;
    call.title = ofn.lpstrTitle ? ofn.lpstrTitle : "";
    call.filter = FilterParts(ofn.lpstrFilter);
    call.defaultExtension = ofn.lpstrDefExt ? ofn.lpstrDefExt : "";
    call.initialFile = ofn.lpstrFile ? ofn.lpstrFile : "";
    call.initialFolder = ofn.lpstrInitialDir ? ofn.lpstrInitialDir : "";
    call.flags = ofn.Flags;
    call.filterIndex = ofn.nFilterIndex;
    call.bufferSize = ofn.nMaxFile;
    return call;
}

// Fills a dialog's name buffer as the system does (several names: folder, names, empty one).
void Choose(OPENFILENAMEA& ofn, const std::vector<std::string>& names)
{
    std::string buffer;
    for (const std::string& name : names) {
        buffer += name;
        buffer += '\0';
    }
    buffer += '\0';
    memcpy(ofn.lpstrFile, buffer.data(), std::min<size_t>(buffer.size(), ofn.nMaxFile));
}

class MainFrame : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        AnswerStartDialogs();
        ASSERT_TRUE(Start("/noreg"));
        m_frame = m_app->GetFrame();
        ASSERT_NE(m_frame, nullptr);
        ASSERT_NE(m_app->GetView(), nullptr);
        ASSERT_NE(m_app->GetDocument(), nullptr);
        RecordBoxes();
    }

    void Command(UINT id) { m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    HMENU Bar() const { return GetMenu(m_frame->m_hWnd); }
    std::string MessagePane() const { return m_frame->m_wndStatusBar.GetPaneText(0).c_str(); }
    bool Enabled(UINT id)
    {
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(m_frame, TRUE);
        return state.m_bEnabled;
    }

    // Makes `name` in the folder the document's file, as a save there does.
    CKSTString SaveAsCurrent(const TempFolder& folder, const char* name)
    {
        CTalvenorDoc& document = *m_app->GetDocument();
        CKSTChannelList& channels = document.GetDataSet().GetChannels();
        if (channels.GetCount() == 0) {
            channels.AddCopy(Equidistant(0.0, 1.0, {1.0, 2.0}));
        }
        const CKSTString path = folder.Path(name);
        EXPECT_TRUE(document.SaveFile(path, 0));
        return path;
    }

    CMainFrame* m_frame = nullptr;
};

TEST_F(MainFrame, MenusInBothLanguages)
{
    const struct {
        int language;
        std::vector<std::string> popups;
        std::string open, about, cut, archives, password;
    } cases[] = {
        {0,
         {"&Datei", "&Bearbeiten", "&Ansicht", "&Einstellungen", "E&xtras", "&Online", "&?"},
         "&\xd6"
         "ffnen...",
         "&\xdc"
         "ber Talvenor - Vizuve...",
         "&Schnitt zw. Cursoren...",
         "&Archive",
         "Pass&wortschutz"},
        {1,
         {"&File", "&Edit", "&View", "&Settings", "E&xtras", "&Online", "&?"},
         "&Open...",
         "&About Talvenor - Vizuve...",
         "&Cut between Cursors...",
         "&Archives",
         "Pass&word Protection"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        m_app->SetLanguage(c.language);
        HMENU bar = Bar();
        ASSERT_EQ(GetMenuItemCount(bar), 7);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(MenuText(bar, i, MF_BYPOSITION), c.popups[i]) << i;
        }
        EXPECT_EQ(MenuText(bar, ID_FILE_OPEN, MF_BYCOMMAND), c.open);
        EXPECT_EQ(MenuText(bar, ID_APP_ABOUT, MF_BYCOMMAND), c.about);
        EXPECT_EQ(MenuText(bar, ID_EDIT_CUT_CURSORS, MF_BYCOMMAND), c.cut);
        HMENU file = GetSubMenu(bar, 0);
        EXPECT_EQ(MenuText(file, 3, MF_BYPOSITION), c.archives);
        EXPECT_EQ(MenuText(file, 14, MF_BYPOSITION), c.password);
        for (const KstMenuItemText& item : KstMenuItemTexts()) {
            EXPECT_EQ(MenuText(bar, item.commandId, MF_BYCOMMAND),
                      LoadResString(item.textId, c.language == 1).c_str())
                << item.commandId;
        }
        // Reachable only through other routes: interpolation with its popup, the demo with
        // the separator before it, the live oscilloscope.
        for (UINT hidden : {ID_MATH_INTERPOLATION, ID_VIEW_PROCESS_DEMO, ID_ONLINE_OSCILLOSCOPE}) {
            EXPECT_EQ(GetMenuState(bar, hidden, MF_BYCOMMAND), static_cast<UINT>(-1)) << hidden;
        }
        HMENU view = GetSubMenu(bar, 2);
        const int last = GetMenuItemCount(view) - 1;
        EXPECT_EQ(GetMenuItemID(view, last), static_cast<UINT>(ID_VIEW_PROCESS));
        EXPECT_TRUE(GetMenuState(view, last - 1, MF_BYPOSITION) & MF_SEPARATOR);
        HMENU online = GetSubMenu(bar, 5);
        EXPECT_EQ(GetMenuItemCount(online), 2);
    }
}

TEST_F(MainFrame, PaneSwitchesCheckTheirItemsAndRenameTheProcessItem)
{
    m_app->Settings().showTitle = 1;
    m_app->Settings().showChannelTree = 0;
    m_app->Settings().showProcess = 0;
    m_app->SetLanguage(0);
    auto checked = [this](UINT id) {
        return (GetMenuState(Bar(), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_TRUE(checked(ID_VIEW_TITLE));
    EXPECT_FALSE(checked(ID_VIEW_CHANNEL_LIST));

    for (const KstPaneToggle& toggle : KstPaneToggles()) {
        SCOPED_TRACE(toggle.commandId);
        const uint8_t before = m_app->Settings().*toggle.flag;
        Command(toggle.commandId);
        EXPECT_EQ(m_app->Settings().*toggle.flag, before ? 0 : 1);
        if (toggle.checkMark) {
            EXPECT_EQ(checked(toggle.commandId), before == 0);
        }
    }
    EXPECT_EQ(m_app->Settings().showProcess, 1);
    EXPECT_EQ(MenuText(Bar(), ID_VIEW_PROCESS, MF_BYCOMMAND), "Kurvenfenster");
    Command(ID_VIEW_HIDE_PROCESS);
    EXPECT_EQ(m_app->Settings().showProcess, 0);
    EXPECT_EQ(MenuText(Bar(), ID_VIEW_PROCESS, MF_BYCOMMAND), "&Prozessfenster");
    Command(ID_VIEW_SHOW_PROCESS);
    Command(ID_VIEW_SHOW_PROCESS);
    EXPECT_EQ(m_app->Settings().showProcess, 1);
    m_app->SetLanguage(1);
    EXPECT_EQ(MenuText(Bar(), ID_VIEW_PROCESS, MF_BYCOMMAND), "Curve Window");
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(MainFrame, CommandsOfLaterPartsTellTheUserTheyAreNotAvailable)
{
    const UINT commands[] = {
        ID_EDIT_CHANNELS,       ID_EXTRAS_SAVE_SPECTRA,   ID_SETTINGS_STD_DISPLAY,
        ID_FILE_FILE_ARCHIVE,   ID_FILE_DATABASE_ARCHIVE, ID_ONLINE_START,
        ID_ONLINE_OSCILLOSCOPE, ID_EXTRAS_PLAY_AUDIO,     ID_EXTRAS_STOP_AUDIO,
        ID_VIEW_PROCESS_DEMO,
    };
    for (UINT id : commands) {
        SCOPED_TRACE(id);
        m_boxes.clear();
        Command(id);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_FUNCTION_NOT_AVAILABLE));
        EXPECT_TRUE(m_boxes[0].owned);
    }
    // The display print commands choose the print kind first; the toolbar's keep it. The print
    // dialog is cancelled: nothing is printed.
    KstSeams().printDialog = [](PRINTDLGA&) { return FALSE; };
    m_frame->m_printRequest.m_nPageMode = KST_REPORT_TIME_PAGES;
    Command(ID_FILE_PRINT);
    EXPECT_EQ(m_frame->m_printRequest.m_nPageMode, KST_REPORT_TIME_PAGES);
    Command(ID_FILE_PREVIEW_DISPLAY);
    EXPECT_EQ(m_frame->m_printRequest.m_nPageMode, KST_REPORT_SINGLE_PAGE);
    m_frame->m_printRequest.m_nPageMode = KST_REPORT_TIME_PAGES;
    Command(ID_FILE_PRINT_DISPLAY);
    EXPECT_EQ(m_frame->m_printRequest.m_nPageMode, KST_REPORT_SINGLE_PAGE);
}

TEST_F(MainFrame, CommandsAreEnabledByState)
{
    enum { Idle, Online, Locked, Playing, Spectra, StateCount };
    const struct {
        UINT id;
        bool enabled[StateCount];
    } cases[] = {
        {ID_FILE_SAVE, {true, false, false, true, true}},
        {ID_FILE_SAVE_AS, {true, false, false, true, true}},
        {ID_FILE_PRINT, {true, true, true, true, true}},
        {ID_FILE_PRINT_PREVIEW, {true, true, true, true, true}},
        {ID_FILE_PRINT_DISPLAY, {true, true, true, true, true}},
        {ID_FILE_PRINT_REPORT, {true, true, true, true, true}},
        {ID_FILE_PREVIEW_DISPLAY, {true, true, true, true, true}},
        {ID_EDIT_X_AXIS, {true, true, false, true, true}},
        {ID_EDIT_CUT_CURSORS, {true, true, false, true, true}},
        {ID_FILE_APPEND, {true, false, false, true, true}},
        {ID_VIEW_TITLE, {true, true, true, true, true}},
        {ID_VIEW_PROCESS, {true, true, true, true, true}},
        {ID_VIEW_VALUE_LIST, {true, true, true, true, true}},
        {ID_FILE_NEW_DOCUMENT, {true, false, true, true, true}},
        {ID_FILE_OPEN, {true, false, true, true, true}},
        {ID_FILE_OPEN_SELECTIVE, {true, false, true, true, true}},
        {ID_ONLINE_START, {true, false, true, true, true}},
        {ID_ONLINE_OSCILLOSCOPE, {true, false, true, true, true}},
        {ID_FILE_DATABASE_ARCHIVE, {true, false, true, true, true}},
        {ID_FILE_FILE_ARCHIVE, {true, false, true, true, true}},
        {ID_ONLINE_STOP, {false, true, false, false, false}},
        {ID_EXTRAS_SAVE_SPECTRA, {false, false, false, false, true}},
        {ID_EXTRAS_PLAY_AUDIO, {true, false, true, false, true}},
        {ID_EXTRAS_STOP_AUDIO, {false, false, false, true, false}},
        {ID_FILE_MRU_FILE1, {true, false, true, true, true}},
        // Handled and never restricted.
        {ID_SETTINGS_LANGUAGE, {true, true, true, true, true}},
    };
    CTalvenorView& view = *m_app->GetView();
    CTalvenorDoc& document = *m_app->GetDocument();
    m_app->Settings().showSpectra = 0;
    for (int state = Idle; state < StateCount; ++state) {
        view.Online().m_bOnline = state == Online;
        document.Core().SetLocked(state == Locked, false);
        view.m_bPlaying = state == Playing;
        m_app->Settings().showSpectra = state == Spectra;
        for (const auto& c : cases) {
            EXPECT_EQ(Enabled(c.id), c.enabled[state]) << "command " << c.id << " state " << state;
        }
    }
    view.Online().m_bOnline = false;
}

TEST_F(MainFrame, OpenDialogInBothLanguagesFollowsTheLastFolder)
{
    std::vector<FileDialogCall> calls;
    std::string chosen;
    KstSeams().getOpenFileName = [&](OPENFILENAMEA& ofn, DWORD& error) {
        calls.push_back(Record(ofn));
        error = 0;
        if (chosen.empty()) {
            return FALSE;
        }
        Choose(ofn, {chosen});
        return TRUE;
    };
    m_app->Settings().language = 1;
    m_app->Settings().lastLoadDir.Empty();
    Command(ID_FILE_OPEN);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].title, "Open");
    EXPECT_EQ(calls[0].defaultExtension, "qld");
    EXPECT_EQ(calls[0].initialFolder, "");
    EXPECT_EQ(calls[0].bufferSize, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(calls[0].flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT),
              static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
    ASSERT_EQ(calls[0].filter.size(), 24u);
    EXPECT_EQ(calls[0].filter[0], "All supported datatypes");
    EXPECT_EQ(calls[0].filter[2], "Talvenor Documents (*.qld)");
    EXPECT_EQ(calls[0].filter[3], "*.qld");
    EXPECT_EQ(calls[0].filter[22], "All Files (*.*)");
    EXPECT_TRUE(m_boxes.empty()) << "a cancelled dialog changes nothing";

    m_app->Settings().language = 0;
    m_app->Settings().lastLoadDir = "C:\\messungen";
    chosen = "C:\\daten\\lauf 1.qld";
    Command(ID_FILE_OPEN);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].title,
              "\xd6"
              "ffnen");
    EXPECT_EQ(calls[1].initialFolder, "C:\\messungen");
    EXPECT_EQ(calls[1].filter[0], "Alle Dateiformate");
    EXPECT_EQ(calls[1].filter[8], "ASCII Dateien (*csv, *.txt, *.asc, *.log)");
    EXPECT_STREQ(m_app->Settings().lastLoadDir.c_str(), "C:\\daten");
    // The chosen file went to the document, which could not read it: one error, no current file.
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(m_app->GetDocument()->GetCurrentPath().IsEmpty());
}

TEST_F(MainFrame, AppendDialogReportsTooManyFiles)
{
    std::vector<FileDialogCall> calls;
    KstSeams().getOpenFileName = [&](OPENFILENAMEA& ofn, DWORD& error) {
        calls.push_back(Record(ofn));
        error = FNERR_BUFFERTOOSMALL;
        return FALSE;
    };
    m_app->Settings().language = 1;
    Command(ID_FILE_APPEND);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].flags & OFN_ALLOWMULTISELECT);
    EXPECT_TRUE(calls[0].flags & OFN_EXPLORER);
    EXPECT_EQ(calls[0].bufferSize, 32000u);
    EXPECT_EQ(calls[0].filter[6], "FAMOS Files (*.dat, *.raw)");
    EXPECT_EQ(calls[0].filter[14], "MATLAB Files (*.mat, *.fig)");
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_TOO_MANY_FILES));
    EXPECT_EQ(m_boxes[0].text, "Too many files selected");
}

TEST_F(MainFrame, SaveAsPreselectsByTheCurrentFileAndAsksBeforeReplacing)
{
    TempFolder folder;
    const std::string existing = folder.Native("old.dat").string();
    {
        std::ofstream(existing) << "x";
    }
    std::vector<FileDialogCall> calls;
    DWORD chosenIndex = 5;
    KstSeams().getSaveFileName = [&](OPENFILENAMEA& ofn, DWORD& error) {
        calls.push_back(Record(ofn));
        error = 0;
        Choose(ofn, {existing});
        ofn.nFilterIndex = chosenIndex;
        return TRUE;
    };
    m_app->Settings().language = 1;
    const CKSTString table = SaveAsCurrent(folder, "run.csv");
    m_boxAnswer = IDNO;
    Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].title, "Save As");
    EXPECT_EQ(calls[0].initialFile, folder.Path("run").c_str());
    EXPECT_EQ(calls[0].filterIndex, 8u);
    EXPECT_EQ(calls[0].defaultExtension, "csv");
    EXPECT_EQ(calls[0].filter.size(), 24u);
    // A new file must be allowed; the program asks about an existing one itself.
    EXPECT_FALSE(calls[0].flags & OFN_FILEMUSTEXIST);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ASK_OVERWRITE));

    // Save of a text table asks with Save As; of a native document it writes in place.
    m_boxes.clear();
    calls.clear();
    m_app->GetDocument()->SetLiveDataModified(true);
    Command(ID_FILE_SAVE);
    EXPECT_EQ(calls.size(), 1u);
    // A document that may not be replaced.
    const CKSTString document = SaveAsCurrent(folder, "run.qld");
    SetFileAttributesA(document.c_str(), FILE_ATTRIBUTE_READONLY);
    m_app->GetDocument()->SetLiveDataModified(true);
    Command(ID_FILE_SAVE);
    EXPECT_EQ(calls.size(), 1u);
    SetFileAttributesA(document.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Nothing could be written: the unsaved state stays.
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
    m_app->GetDocument()->SetLiveDataModified(false);
}

TEST_F(MainFrame, StatusBarShowsMessagesInTheCurrentLanguage)
{
    CKSTStatusBar& bar = m_frame->m_wndStatusBar;
    m_app->SetLanguage(1);
    bar.SetWindowText("1");
    EXPECT_EQ(MessagePane(), "Ready");
    m_app->SetLanguage(0);
    EXPECT_EQ(MessagePane(), "Bereit");
    m_frame->SetMessageText(ID_FILE_APPEND);
    EXPECT_EQ(MessagePane(), "H\xe4ngt den Inhalt einer Datei an die bestehende Datei an");
    m_app->SetLanguage(1);
    EXPECT_EQ(MessagePane(), "Appends a file to the current file");
    m_frame->SetMessageText(ID_FILE_OPEN);
    EXPECT_EQ(MessagePane(), "Opens an existing document");
    for (const char* empty : {"0", "-2", "Erstellt ein neues Dokument"}) {
        bar.SetWindowText(empty);
        EXPECT_EQ(MessagePane(), "") << empty;
    }
    // A command without a prompt number shows nothing either.
    m_frame->SetMessageText(ID_FILE_NEW_DOCUMENT);
    EXPECT_EQ(MessagePane(), "");
    EXPECT_EQ(bar.SendMessage(WM_SETTEXT, 0, 0), -1);
}

TEST_F(MainFrame, StatusPanesShowLockRateAndMemory)
{
    CKSTStatusBar& bar = m_frame->m_wndStatusBar;
    CTalvenorDoc& document = *m_app->GetDocument();
    CTalvenorView& view = *m_app->GetView();
    auto icon = [&bar] { return bar.SendMessage(SB_GETICON, 1, 0); };
    // Message, lock, rate and memory, each sized by its own text.
    ASSERT_EQ(bar.GetCount(), 4);
    EXPECT_EQ(bar.CommandToIndex(ID_SEPARATOR), 0);
    EXPECT_EQ(bar.CommandToIndex(ID_INDICATOR_LOCK), 1);
    EXPECT_EQ(bar.CommandToIndex(ID_INDICATOR_RATE), 2);
    EXPECT_EQ(bar.CommandToIndex(ID_INDICATOR_MEMORY), 3);
    char sizing[64] = {};
    LoadStringA(nullptr, ID_INDICATOR_RATE, sizing, sizeof sizing);
    EXPECT_STREQ(sizing, "Polling: 356 Bytes/sec");
    LoadStringA(nullptr, ID_INDICATOR_MEMORY, sizing, sizeof sizing);
    EXPECT_STREQ(sizing, "Mem: 51.888 Bytes");
    LoadStringA(nullptr, ID_INDICATOR_LOCK, sizing, sizeof sizing);
    EXPECT_STREQ(sizing, "      ");

    m_frame->UpdateStatusBar();
    EXPECT_EQ(bar.GetPaneStyle(1) & SBPS_DISABLED, SBPS_DISABLED);
    EXPECT_EQ(bar.GetPaneStyle(2) & SBPS_DISABLED, SBPS_DISABLED);
    EXPECT_EQ(bar.GetPaneStyle(3) & SBPS_DISABLED, SBPS_DISABLED);
    const LRESULT noLock = icon();
    document.Core().SetLocked(true, false);
    m_frame->UpdateStatusBar();
    EXPECT_EQ(bar.GetPaneStyle(1) & SBPS_DISABLED, 0u);
    const LRESULT locked = icon();
    document.Core().Lock("geheim", false);
    document.Core().SetLocked(false, false);
    m_frame->UpdateStatusBar();
    EXPECT_EQ(bar.GetPaneStyle(1) & SBPS_DISABLED, 0u);
    const LRESULT opened = icon();
    EXPECT_NE(noLock, 0);
    EXPECT_NE(noLock, locked);
    EXPECT_NE(noLock, opened);
    EXPECT_NE(locked, opened);
    document.Core().ClearLock(false);

    document.GetDataSet().GetChannels().AddCopy(
        Equidistant(0.0, 0.01, std::vector<double>(1000, 1.0)));
    m_frame->UpdateStatusBar();
    const uint64_t bytes = document.GetDataSet().GetChannels().GetMemorySize();
    EXPECT_EQ(bar.GetPaneStyle(3) & SBPS_DISABLED, 0u);
    EXPECT_STREQ(bar.GetPaneText(3).c_str(), KstMemoryText(bytes).c_str());

    view.Online().m_bOnline = true;
    view.Online().m_nSourceKind = 3;
    view.Online().m_dRate = 12.5;
    m_frame->UpdateStatusBar();
    EXPECT_EQ(bar.GetPaneStyle(2) & SBPS_DISABLED, 0u);
    EXPECT_STREQ(bar.GetPaneText(2).c_str(), "Polling: 12.5 kB/s");
    // Online the memory pane is drawn in its limit colour.
    EXPECT_STREQ(bar.GetPaneText(3).c_str(), "");
    view.Online().m_nSourceKind = 1;
    m_frame->UpdateStatusBar();
    EXPECT_STREQ(bar.GetPaneText(2).c_str(), "Buffered: 12.5 kB/s");

    // The view's cursor report writes plain texts into both panes.
    m_frame->SetPaneTexts("t = 1.5 s", "y = 3 V");
    EXPECT_STREQ(bar.GetPaneText(2).c_str(), "t = 1.5 s");
    EXPECT_STREQ(bar.GetPaneText(3).c_str(), "y = 3 V");
    view.Online().m_bOnline = false;
}

TEST_F(MainFrame, OwnerDrawnPaneTakesItsColoursFromTheText)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 120;
    info.bmiHeader.biHeight = -20;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto pixel = [&](int x, int y) {
        const uint32_t bgra = static_cast<const uint32_t*>(bits)[y * 120 + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    };
    auto draw = [&](const char* text) {
        RECT all{0, 0, 120, 20};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DRAWITEMSTRUCT item{};
        item.hDC = dc;
        item.rcItem = {10, 2, 110, 18};
        item.itemData = reinterpret_cast<ULONG_PTR>(text);
        m_frame->m_wndStatusBar.DrawItem(&item);
    };
    auto count = [&](COLORREF colour) {
        int n = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 120; ++x) {
                n += pixel(x, y) == colour;
            }
        }
        return n;
    };
    const COLORREF red = ColorFromName("RED");
    const COLORREF white = ColorFromName("WHITE");
    draw("WHITE|RED|Mem: 3 MB");
    EXPECT_EQ(pixel(10, 2), red);
    EXPECT_EQ(pixel(109, 17), red);
    EXPECT_EQ(pixel(5, 5), white) << "nothing outside the pane";
    // The white text inside the red pane.
    int whiteInside = 0;
    for (int y = 2; y < 18; ++y) {
        for (int x = 10; x < 110; ++x) {
            whiteInside += pixel(x, y) == white;
        }
    }
    EXPECT_GT(whiteInside, 0);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);

    draw("Mem: 3 MB");
    EXPECT_EQ(count(red), 0);
    EXPECT_GT(count(GetTextColor(dc)), 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(MainFrame, TitleNamesTheFileAndTheProduct)
{
    m_frame->SetWindowText("anything the framework sets");
    EXPECT_STREQ(m_frame->GetWindowText().c_str(), "Talvenor - Vizuve 2.49");
    TempFolder folder;
    SaveAsCurrent(folder, "lauf.qld");
    m_frame->OnUpdateFrameTitle(TRUE);
    EXPECT_STREQ(m_frame->GetWindowText().c_str(), "lauf.qld - Talvenor - Vizuve 2.49");
}

TEST_F(MainFrame, LanguageDialogSwitchesMenuAndStatusBarWhileRunning)
{
    m_app->SetLanguage(1);
    m_frame->m_wndStatusBar.SetWindowText("1");
    std::vector<UINT> runs;
    KstSeams().modalDriver = [&](KstModalRun& run) {
        runs.push_back(run.templateId);
        HWND german = GetDlgItem(run.window->m_hWnd, IDC_LANGUAGE_GERMAN);
        SendMessageA(german, BM_CLICK, 0, 0);
        return IDOK;
    };
    Command(ID_SETTINGS_LANGUAGE);
    EXPECT_EQ(runs, std::vector<UINT>{IDD_LANGUAGE});
    EXPECT_EQ(m_app->Settings().language, 0);
    EXPECT_EQ(MenuText(Bar(), 0, MF_BYPOSITION), "&Datei");
    EXPECT_EQ(MenuText(Bar(), ID_APP_EXIT, MF_BYCOMMAND), "&Beenden");
    EXPECT_EQ(MessagePane(), "Bereit");
    EXPECT_EQ(m_frame->m_wndStatusBar.GetLanguage(), 0);
}

TEST_F(MainFrame, OptionDialogsRunFromTheirCommands)
{
    std::vector<UINT> runs;
    KstSeams().modalDriver = [&](KstModalRun& run) {
        runs.push_back(run.templateId);
        return IDCANCEL;
    };
    Command(ID_SETTINGS_FILE_TYPES);
    Command(ID_SETTINGS_FFT);
    Command(ID_MATH_INTERPOLATION);
    Command(ID_APP_ABOUT);
    EXPECT_EQ(runs, (std::vector<UINT>{IDD_FILE_TYPES, IDD_FFT_SETTINGS, IDD_INTERPOLATION,
                                       IDD_ABOUTBOX}));
    EXPECT_TRUE(m_boxes.empty());
}

// Confirms a dialog as the user's OK button does, so its fields are read back.
void ClickOk(CWnd* dialog)
{
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog->m_hWnd, IDOK)));
}

TEST_F(MainFrame, FftSettingsGoBackIntoTheOptions)
{
    m_app->Settings().fft = {2, 3, 0, 5, 1024};
    KstSeams().modalDriver = [&](KstModalRun& run) {
        EXPECT_EQ(run.templateId, static_cast<UINT>(IDD_FFT_SETTINGS));
        HWND dialog = run.window->m_hWnd;
        EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_FFT_WINDOW), CB_GETCURSEL, 0, 0), 3);
        SendMessageA(GetDlgItem(dialog, IDC_FFT_SUPPRESS_DC), BM_CLICK, 0, 0);
        SetDlgItemTextA(dialog, IDC_FFT_ONLINE_LENGTH, "2048");
        ClickOk(run.window);
        return IDCANCEL;
    };
    Command(ID_SETTINGS_FFT);
    EXPECT_EQ(m_app->Settings().fft.padding, 2);
    EXPECT_EQ(m_app->Settings().fft.window, 3);
    EXPECT_EQ(m_app->Settings().fft.killOffset, 1);
    EXPECT_EQ(m_app->Settings().fft.smoothPoints, 5);
    EXPECT_EQ(m_app->Settings().fft.calcPoints, 2048);
}

TEST_F(MainFrame, InterpolationResamplesTheChosenChannel)
{
    CKSTChannelList& channels = m_app->GetDocument()->GetDataSet().GetChannels();
    channels.AddCopy(Equidistant(0.0, 0.5, {0.0, 1.0, 0.0, -1.0, 0.0, 1.0, 0.0, -1.0}));
    channels.AddCopy(Equidistant(0.0, 0.1, std::vector<double>(20, 2.0)));
    const uint32_t before = channels.GetAt(1)->GetCount();
    KstSeams().modalDriver = [&](KstModalRun& run) {
        HWND dialog = run.window->m_hWnd;
        SendMessageA(GetDlgItem(dialog, IDC_INTERPOLATION_CHANNEL), CB_SETCURSEL, 1, 0);
        SetDlgItemTextA(dialog, IDC_INTERPOLATION_FACTOR, "4");
        ClickOk(run.window);
        return IDCANCEL;
    };
    Command(ID_MATH_INTERPOLATION);
    EXPECT_DOUBLE_EQ(channels.GetAt(1)->GetDt(), 0.025);
    EXPECT_GT(channels.GetAt(1)->GetCount(), 3 * before);
    EXPECT_DOUBLE_EQ(channels.GetAt(0)->GetDt(), 0.5) << "the other channel stays";
}

TEST_F(MainFrame, HelpWritesTheFileOfTheLanguageAndOpensIt)
{
    struct Call {
        std::string file;
        UINT command;
    };
    std::vector<Call> calls;
    HWND window = nullptr;
    KstSeams().htmlHelp = [&](HWND, const char* file, UINT command, DWORD_PTR) {
        calls.push_back({file, command});
        return window;
    };
    for (int language : {0, 1}) {
        SCOPED_TRACE(language);
        m_app->Settings().language = language;
        calls.clear();
        m_boxes.clear();
        window = m_frame->m_hWnd;
        Command(ID_HELP_INDEX);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].command, 0u) << "display topic";
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        EXPECT_EQ(calls[0].file, std::string(folder) + "talvenor.chm");
        HRSRC info = FindResourceA(
            nullptr, MAKEINTRESOURCEA(language ? IDR_HELP_ENGLISH : IDR_HELP_GERMAN), "HELP_CHM");
        ASSERT_NE(info, nullptr);
        const std::string expected(
            static_cast<const char*>(LockResource(LoadResource(nullptr, info))),
            SizeofResource(nullptr, info));
        std::ifstream written(calls[0].file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(written)),
                                std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes.substr(0, 4), "ITSF");
        EXPECT_TRUE(bytes == expected);
        EXPECT_TRUE(m_boxes.empty());

        // A viewer that does not open says so instead of waiting.
        window = nullptr;
        Command(ID_HELP_INDEX);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text.find(language ? "The help could not be opened"
                                                : "Die Hilfe konnte nicht ge\xf6"
                                                  "ffnet werden"),
                  0u)
            << m_boxes[0].text;
    }
}

TEST_F(MainFrame, HelpThatCannotBeWrittenIsStillAskedFor)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "talvenor.chm";
    // Held open without sharing, as another program showing it would.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(held, "older", 5, &written, nullptr);
    std::vector<std::string> files;
    KstSeams().htmlHelp = [&](HWND, const char* file, UINT, DWORD_PTR) {
        files.push_back(file);
        return m_frame->m_hWnd;
    };
    Command(ID_HELP_INDEX);
    EXPECT_EQ(files, std::vector<std::string>{path});
    EXPECT_EQ(GetFileSize(held, nullptr), 5u) << "the file in use stays as it was";
    CloseHandle(held);
    DeleteFileA(path.c_str());
}

TEST_F(MainFrame, ClosingWhileOnlineAsksUnlessARecordingFileKeepsTheData)
{
    CTalvenorView& view = *m_app->GetView();
    view.Online().m_bOnline = true;
    std::vector<UINT> runs;
    KstSeams().modalDriver = [&](KstModalRun& run) {
        runs.push_back(run.templateId);
        return IDCANCEL;
    };
    m_frame->SendMessage(WM_CLOSE);
    EXPECT_EQ(runs, std::vector<UINT>{IDD_CLOSE_APP});
    ASSERT_NE(m_app->GetFrame(), nullptr) << "Cancel keeps the program";
    EXPECT_TRUE(view.Online().m_bOnline) << "and the stream";

    runs.clear();
    view.Online().m_strRecordingFile = "C:\\d\\aufnahme.qld";
    HWND frame = m_frame->m_hWnd;
    m_frame->SendMessage(WM_CLOSE);
    EXPECT_TRUE(runs.empty());
    EXPECT_FALSE(IsWindow(frame));
    // This stream without a source never made its recording: the stop says that the file lacks
    // the data, which stay unsaved, so closing asks about them.
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ONL_RECORDING_INCOMPLETE));
    EXPECT_EQ(m_boxes[1].textId, static_cast<UINT>(KST_STR_ASK_SAVE_CHANGES));
}

TEST_F(MainFrame, ClosingWithUnsavedDataThatCannotBeSavedStaysOpen)
{
    TempFolder folder;
    const CKSTString document = SaveAsCurrent(folder, "lauf.qld");
    SetFileAttributesA(document.c_str(), FILE_ATTRIBUTE_READONLY);
    m_app->GetDocument()->SetLiveDataModified(true);
    m_boxAnswer = IDYES;
    HWND frame = m_frame->m_hWnd;
    m_frame->SendMessage(WM_CLOSE);
    // The question, then the save, which cannot replace the file.
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ASK_SAVE_CHANGES));
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
    SetFileAttributesA(document.c_str(), FILE_ATTRIBUTE_NORMAL);

    m_boxes.clear();
    m_boxAnswer = IDNO;
    m_frame->SendMessage(WM_CLOSE);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_FALSE(m_app->GetDocument()->IsLiveDataModified());
}

TEST_F(MainFrame, DroppedFilesOpenTheFirstAndAppendTheOthers)
{
    const std::vector<std::string> files = {"C:\\d\\erste.qld", "C:\\d\\zweite.qld",
                                            "C:\\d\\dritte.qld"};
    std::string names;
    for (const std::string& file : files) {
        names += file;
        names += '\0';
    }
    names += '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    ASSERT_NE(block, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    // The frame releases the drop.
    m_frame->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    // The drop went to the document, which reported the unreadable first file.
    EXPECT_FALSE(m_boxes.empty());
    EXPECT_TRUE(m_app->GetDocument()->GetCurrentPath().IsEmpty());
}

TEST_F(MainFrame, RecentFileReopensTheCurrentFile)
{
    Command(ID_FILE_MRU_FILE1);
    EXPECT_TRUE(m_boxes.empty()) << "no current file and no recent one";
    TempFolder folder;
    const CKSTString current = SaveAsCurrent(folder, "lauf.qld");
    DeleteFileA(current.c_str());
    Command(ID_FILE_MRU_FILE1);
    // The file was tried again and could not be found: its error, once.
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ERR_FILE_NOT_FOUND));
}

TEST_F(MainFrame, PrinterSetupKeepsTheChosenPrinter)
{
    std::vector<DWORD> flags;
    std::vector<HGLOBAL> givenModes;
    KstSeams().printDialog = [&](PRINTDLGA& pd) {
        flags.push_back(pd.Flags);
        givenModes.push_back(pd.hDevMode);
        pd.hDevMode = GlobalAlloc(GMEM_MOVEABLE, 64);
        pd.hDevNames = GlobalAlloc(GMEM_MOVEABLE, 64);
        return TRUE;
    };
    Command(ID_FILE_PRINT_SETUP);
    Command(ID_FILE_PRINT_SETUP);
    ASSERT_EQ(flags.size(), 2u);
    const DWORD expected = PD_PRINTSETUP | PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                           PD_HIDEPRINTTOFILE | PD_NOSELECTION;
    EXPECT_EQ(flags[0], expected);
    EXPECT_EQ(givenModes[0], nullptr);
    EXPECT_NE(givenModes[1], nullptr) << "the second setup starts from the first one's choice";
}

}  // namespace
}  // namespace kst_test
