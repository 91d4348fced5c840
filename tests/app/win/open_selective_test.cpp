// File > Open Selective in the running application: the open dialog, then the channel selection
// over the file's channels, then the document reads only the ticked channels.
#include "app_test_support.h"

#include <commctrl.h>

#include <string>

#include "app/win/TalvenorDoc.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/TempFolder.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

std::string Label(HWND tree, HTREEITEM item)
{
    char text[128] = {};
    TVITEMA info{};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
    return text;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

// Groups and their channels, collapsed ones too.
HTREEITEM FindLabel(HWND tree, const char* label)
{
    for (HTREEITEM item = Next(tree, nullptr, TVGN_ROOT); item; item = Next(tree, item, TVGN_NEXT)) {
        if (Label(tree, item) == label) {
            return item;
        }
        for (HTREEITEM child = Next(tree, item, TVGN_CHILD); child;
             child = Next(tree, child, TVGN_NEXT)) {
            if (Label(tree, child) == label) {
                return child;
            }
        }
    }
    return nullptr;
}

// Unticks the channel in the dialog's tree as the user does: caret on it, Space.
CKSTDialogScript Untick(CKSTDialogScript script, const char* label)
{
    return script.Run([label](CWnd& dialog) {
        const HWND tree = CKSTDialogScript::FindControl(dialog.m_hWnd, IDC_STRUCT_TREE);
        HTREEITEM item = FindLabel(tree, label);
        ASSERT_NE(item, nullptr) << label;
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
        SendMessageA(tree, WM_KEYUP, VK_SPACE, 0);
    });
}

class OpenSelective : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        AnswerStartDialogs();
        ASSERT_TRUE(Start("/noreg"));
        m_app->Settings().language = 0;
        RecordBoxes();
    }

    CTalvenorDoc& Doc() { return *m_app->GetDocument(); }

    // Three generated channels, two of them in a group, saved as a document.
    CKSTString SaveThreeChannels()
    {
        CKSTDataSet& set = Doc().GetDataSet();
        set.Clear(false);
        CKSTChannelList& channels = set.GetChannels();
        const char* names[] = {"Sine", "Ramp", "Level"};
        for (int i = 0; i < 3; ++i) {
            CKSTChannel& channel = *channels.GetAt(channels.AddNew());
            channel.GenerateRamp(50, 0.1);
            channel.SetName(names[i]);
            channel.SetGroup(i < 2 ? "Drive" : "");
        }
        const CKSTString path = m_folder.Path("three.qld");
        EXPECT_TRUE(Doc().SaveFile(path, 0));
        Doc().OnFileNew();
        m_boxes.clear();
        return path;
    }

    std::string Channels()
    {
        std::string text;
        const CKSTChannelList& channels = Doc().GetDataSet().GetChannels();
        for (int i = 0; i < channels.GetCount(); ++i) {
            text += std::string(i ? " " : "") + channels.GetAt(i)->GetGroup().c_str() + "/" +
                    channels.GetAt(i)->GetName().c_str();
        }
        return text;
    }

    void Command(UINT id) { AfxGetMainWnd()->SendMessage(WM_COMMAND, id, 0); }

    TempFolder m_folder;
    CKSTString m_choice;
};

TEST_F(OpenSelective, OpensExactlyTheTickedChannels)
{
    m_choice = SaveThreeChannels();
    ChooseFile(m_choice);
    std::string caption;
    KstSeams().modalDriver = [&](KstModalRun& run) {
        EXPECT_EQ(run.templateId, static_cast<UINT>(IDD_CHANNEL_SELECT));
        CKSTDialogScript script = Untick(CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
            caption = DialogCaption(d);
        }),
                                         "Ramp");
        return script.Click(IDOK)(run);
    };
    Command(ID_FILE_OPEN_SELECTIVE);
    EXPECT_EQ(caption, "Kanalauswahl");
    EXPECT_EQ(Channels(), "Drive/Sine /Level");
    EXPECT_STREQ(m_app->GetDocument()->GetCurrentPath().c_str(), m_choice.c_str());
    EXPECT_TRUE(m_boxes.empty());

    // A plain open afterwards reads every channel again.
    KstSeams().modalDriver = [](KstModalRun&) { return IDCANCEL; };
    Command(ID_FILE_OPEN);
    EXPECT_EQ(Channels(), "Drive/Sine Drive/Ramp /Level");
}

TEST_F(OpenSelective, CancelOrNoChannelLeavesTheDocument)
{
    m_choice = SaveThreeChannels();
    ChooseFile(m_choice);
    struct Case {
        const char* what;
        CKSTDialogScript script;
        std::vector<UINT> boxes;
    };
    const Case cases[] = {
        {"cancel", CKSTDialogScript(IDCANCEL).Click(IDCANCEL), {}},
        {"nothing ticked", CKSTDialogScript(IDCANCEL).Click(IDC_SELECT_ALL).Click(IDOK),
         {KST_STR_SELECT_NONE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_boxes.clear();
        KstSeams().modalDriver = c.script;
        Command(ID_FILE_OPEN_SELECTIVE);
        EXPECT_EQ(Channels(), "");
        std::vector<UINT> ids;
        for (const ShownBox& box : m_boxes) {
            ids.push_back(box.textId);
        }
        EXPECT_EQ(ids, c.boxes);
    }
}

TEST_F(OpenSelective, AFileThatCannotBeReadIsReportedBeforeAnySelection)
{
    m_folder.WriteFile("broken.qld", "not a measurement file");
    m_choice = m_folder.Path("broken.qld");
    ChooseFile(m_choice);
    Command(ID_FILE_OPEN_SELECTIVE);
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(Channels(), "");
}

}  // namespace
}  // namespace kst_test
