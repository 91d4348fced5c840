#include <windows.h>

#include <gtest/gtest.h>
#include <ole2.h>

#include <cstring>
#include <vector>

#include "framework/OleDragDrop.h"
#include "framework/Seams.h"
#include "framework_test_support.h"

namespace {

const char* const kDropClass = "KSTFrameworkDropClass";
const char* const kPayloadFormatName = "DirizAzize_3BCFE9D1_6D61_4cb6_9D0B_3BB3F643CA82";
const char* const kPayload = "CKSTChannelTree| |Voltage|Group A|Current";

HGLOBAL GlobalText(const char* text)
{
    const size_t size = strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
    memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    return memory;
}

CKSTString TakeText(HGLOBAL memory)
{
    if (!memory) {
        return CKSTString();
    }
    CKSTString text(static_cast<const char*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    GlobalFree(memory);
    return text;
}

// Accepts drags that carry the payload format and records what reaches it.
class PayloadDropTarget : public COleDropTarget {
public:
    CLIPFORMAT format = 0;
    std::vector<CKSTString> calls;
    CWnd* window = nullptr;
    CPoint dropPoint;
    CKSTString dropped;

    DROPEFFECT OnDragEnter(CWnd* w, COleDataObject* data, DWORD, CPoint) override
    {
        window = w;
        calls.emplace_back("enter");
        return data->IsDataAvailable(format) ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
    }
    DROPEFFECT OnDragOver(CWnd*, COleDataObject* data, DWORD, CPoint) override
    {
        calls.emplace_back("over");
        return data->IsDataAvailable(format) ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
    }
    void OnDragLeave(CWnd*) override { calls.emplace_back("leave"); }
    BOOL OnDrop(CWnd*, COleDataObject* data, DROPEFFECT, CPoint point) override
    {
        calls.emplace_back("drop");
        dropPoint = point;
        dropped = TakeText(data->GetGlobalData(format));
        return TRUE;
    }
};

// Moves the cursor onto the target itself and drops after a few rounds of the drag loop; a
// drag that never reaches the drop is cancelled after a time.
class ScriptedDropSource : public IDropSource {
public:
    explicit ScriptedDropSource(POINT screen) : m_screen(screen) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *out = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override
    {
        SetCursorPos(m_screen.x, m_screen.y);
        if (GetTickCount64() > m_deadline) {
            return DRAGDROP_S_CANCEL;
        }
        return ++m_rounds < 5 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    POINT m_screen;
    int m_rounds = 0;
    ULONGLONG m_deadline = GetTickCount64() + kst_test::kGuardMs;
};

class OleDragDropTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(KstOleInit());
        m_format = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(kPayloadFormatName));
        KstRegisterClass(kDropClass, 0, LoadCursor(nullptr, IDC_ARROW),
                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        ASSERT_TRUE(m_window.CreateEx(WS_EX_TOPMOST, kDropClass, "drop", WS_POPUP | WS_VISIBLE, 100,
                                      100, 200, 150, nullptr, nullptr));
        m_window.UpdateWindow();
        m_target.format = m_format;
    }
    void TearDown() override
    {
        m_window.DestroyWindow();
        OleUninitialize();
        FrameworkTest::TearDown();
    }

    CLIPFORMAT m_format = 0;
    CWnd m_window;
    PayloadDropTarget m_target;
};

TEST_F(OleDragDropTest, TargetPassesTheDragToItsWindowObject)
{
    ASSERT_TRUE(m_target.Register(&m_window));
    struct Case {
        const char* what;
        bool offered;
        DWORD allowed;
        DROPEFFECT effect;
        std::vector<CKSTString> calls;
    };
    const Case cases[] = {
        {"payload offered",
         true,
         DROPEFFECT_COPY | DROPEFFECT_MOVE,
         DROPEFFECT_MOVE,
         {"enter", "over", "over", "drop"}},
        {"source allows copying only",
         true,
         DROPEFFECT_COPY,
         DROPEFFECT_NONE,
         {"enter", "over", "over", "leave"}},
        {"payload missing",
         false,
         DROPEFFECT_COPY | DROPEFFECT_MOVE,
         DROPEFFECT_NONE,
         {"enter", "over", "over", "leave"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_target.calls.clear();
        m_target.dropped.Empty();
        COleDataSource source;
        source.CacheGlobalData(c.offered ? m_format : static_cast<CLIPFORMAT>(CF_TEXT),
                               GlobalText(kPayload));
        IDropTarget* target = m_target.GetIDropTarget();
        const POINTL screen{150, 130};

        DWORD effect = c.allowed;
        target->DragEnter(source.GetIDataObject(), MK_LBUTTON, screen, &effect);
        EXPECT_EQ(c.effect, effect);
        effect = c.allowed;
        target->DragOver(MK_LBUTTON, screen, &effect);
        EXPECT_EQ(c.effect, effect);
        effect = c.allowed;
        target->Drop(source.GetIDataObject(), 0, screen, &effect);

        EXPECT_EQ(c.effect, effect);
        EXPECT_EQ(c.calls, m_target.calls);
        EXPECT_EQ(&m_window, m_target.window);
        if (c.effect != DROPEFFECT_NONE) {
            EXPECT_EQ(CKSTString(kPayload), m_target.dropped);
            EXPECT_EQ(50, m_target.dropPoint.x) << "client coordinates of the window";
            EXPECT_EQ(30, m_target.dropPoint.y);
        }
    }
}

TEST_F(OleDragDropTest, DataSourceKeepsFormatsThatOthersSet)
{
    COleDataSource source;
    source.CacheGlobalData(m_format, GlobalText("old"));
    source.CacheGlobalData(m_format, GlobalText(kPayload));
    IDataObject* data = source.GetIDataObject();

    const CLIPFORMAT helperFormat =
        static_cast<CLIPFORMAT>(RegisterClipboardFormatA("KstHelperBits"));
    FORMATETC helper{helperFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(DV_E_FORMATETC, data->QueryGetData(&helper));
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalText("helper data");
    EXPECT_EQ(S_OK, data->SetData(&helper, &medium, TRUE));
    STGMEDIUM stream{};
    stream.tymed = TYMED_ISTREAM;
    FORMATETC streamFormat{helperFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
    EXPECT_EQ(DV_E_TYMED, data->SetData(&streamFormat, &stream, FALSE));

    COleDataObject reader;
    reader.Attach(data);
    EXPECT_EQ(CKSTString(kPayload), TakeText(reader.GetGlobalData(m_format)))
        << "caching a format again replaces its data";
    EXPECT_EQ(CKSTString("helper data"), TakeText(reader.GetGlobalData(helperFormat)));
    EXPECT_FALSE(reader.IsDataAvailable(CF_TEXT));

    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, &formats));
    std::vector<CLIPFORMAT> listed;
    FORMATETC format{};
    while (formats->Next(1, &format, nullptr) == S_OK) {
        listed.push_back(format.cfFormat);
    }
    formats->Release();
    EXPECT_EQ((std::vector<CLIPFORMAT>{m_format, helperFormat}), listed);
}

TEST_F(OleDragDropTest, DragFromASourceDropsThePayloadOnTheRegisteredWindow)
{
    kst_test::Watchdog guard;
    ASSERT_TRUE(m_target.Register(&m_window));
    COleDataSource source;
    source.CacheGlobalData(m_format, GlobalText(kPayload));
    ScriptedDropSource mouse(POINT{200, 175});

    EXPECT_EQ(DROPEFFECT_MOVE, source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, &mouse));

    EXPECT_EQ(CKSTString(kPayload), m_target.dropped);
    EXPECT_EQ(100, m_target.dropPoint.x);
    EXPECT_EQ(75, m_target.dropPoint.y);

    // A destroyed window takes its registration with it.
    m_window.DestroyWindow();
    m_target.dropped.Empty();
    ScriptedDropSource again(POINT{200, 175});
    EXPECT_EQ(DROPEFFECT_NONE, source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, &again));
    EXPECT_TRUE(m_target.dropped.IsEmpty());
}

}  // namespace
