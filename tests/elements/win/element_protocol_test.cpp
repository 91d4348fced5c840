// The element protocol as the process window sees it: each element kind driven by mouse, size
// and sizing-loop messages, with every message its notify list sends recorded by a sink.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "elements/ElementDrag.h"
#include "elements/win/ElementProtocol.h"
#include "elements/win/ButtonWnd.h"
#include "elements/win/LCDWnd.h"
#include "elements/win/StaticWnd.h"
#include "elements/win/element_test_support.h"

namespace {

using kst_test::SeenMessage;
using kst_test::SendMouse;

// One element kind behind the operations the protocol tests need.
struct ElementKind {
    std::string name;
    // Only the text element reports a zero offset and the total offset at the release.
    bool textRules;
    std::function<std::shared_ptr<CWnd>(CWnd& parent, const RECT& rect)> create;
    std::function<void(CWnd& element, HWND sink)> subscribe;
    std::function<void(CWnd& element, HWND sink)> unsubscribe;
    std::function<CKSTNotifyList&(CWnd& element)> notifyList;
    // ApplySettings with a record of the kind whose transparent flag is set or clear.
    std::function<void(CWnd& element, bool transparent)> applyTransparent;
    // Null for the text element, which has no back buffer.
    std::function<bool(CWnd& element)> doubleBuffered;
};

ElementKind TextKind()
{
    return ElementKind{
        "Text", true,
        [](CWnd& parent, const RECT& rect) {
            auto element = std::make_shared<CKSTStaticWnd>();
            element->Create(&parent, 0, rect);
            return std::static_pointer_cast<CWnd>(element);
        },
        [](CWnd& element, HWND sink) {
            static_cast<CKSTStaticWnd&>(element).RegisterDesignSinks(sink);
        },
        [](CWnd& element, HWND sink) {
            static_cast<CKSTStaticWnd&>(element).UnregisterDesignSinks(sink);
        },
        [](CWnd& element) -> CKSTNotifyList& {
            return static_cast<CKSTStaticWnd&>(element).GetNotifyList();
        },
        [](CWnd& element, bool transparent) {
            CKSTTextElementSettings settings;
            settings.m_Transparent = transparent ? 1 : 0;
            static_cast<CKSTStaticWnd&>(element).ApplySettings(settings);
        },
        nullptr};
}

ElementKind ValueKind(uint32_t displayType, const char* name)
{
    return ElementKind{
        name, false,
        [displayType](CWnd& parent, const RECT& rect) {
            auto element = std::make_shared<CKSTLCDWnd>();
            element->SetDisplayType(displayType);
            element->Create(&parent, nullptr, true, WS_CHILD | WS_VISIBLE, rect);
            return std::static_pointer_cast<CWnd>(element);
        },
        [](CWnd& element, HWND sink) {
            static_cast<CKSTLCDWnd&>(element).SubscribeElementEvents(sink);
        },
        [](CWnd& element, HWND sink) {
            static_cast<CKSTLCDWnd&>(element).UnsubscribeElementEvents(sink);
        },
        [](CWnd& element) -> CKSTNotifyList& {
            return static_cast<CKSTLCDWnd&>(element).GetNotifyList();
        },
        [displayType](CWnd& element, bool transparent) {
            CKSTValueElementSettings settings;
            settings.m_DisplayType = displayType;
            settings.m_ValueTransparent = transparent ? 1 : 0;
            static_cast<CKSTLCDWnd&>(element).ApplySettings(settings);
        },
        [](CWnd& element) { return static_cast<CKSTLCDWnd&>(element).IsDoubleBuffered(); }};
}

ElementKind ButtonKind()
{
    return ElementKind{
        "Button", false,
        [](CWnd& parent, const RECT& rect) {
            auto element = std::make_shared<CKSTButtonWnd>();
            element->Create(&parent, nullptr, WS_CHILD | WS_VISIBLE, rect);
            return std::static_pointer_cast<CWnd>(element);
        },
        [](CWnd& element, HWND sink) {
            static_cast<CKSTButtonWnd&>(element).SubscribeElementEvents(sink);
        },
        [](CWnd& element, HWND sink) {
            static_cast<CKSTButtonWnd&>(element).UnsubscribeElementEvents(sink);
        },
        [](CWnd& element) -> CKSTNotifyList& {
            return static_cast<CKSTButtonWnd&>(element).GetNotifyList();
        },
        [](CWnd& element, bool transparent) {
            CKSTButtonElementSettings settings;
            settings.m_Transparent = transparent ? 1 : 0;
            static_cast<CKSTButtonWnd&>(element).ApplySettings(settings);
        },
        [](CWnd& element) { return static_cast<CKSTButtonWnd&>(element).IsDoubleBuffered(); }};
}

std::vector<ElementKind> AllKinds()
{
    return {TextKind(), ValueKind(0, "Numeric"), ValueKind(1, "Lamp"), ButtonKind()};
}

struct MouseStep {
    UINT message;
    int x;
    int y;
    UINT keys;
};

struct Recorded {
    UINT message;
    LPARAM lParam;
};

struct SequenceCase {
    const char* name;
    std::vector<MouseStep> steps;
    // What the text element sends, and what the other kinds send.
    std::vector<Recorded> text;
    std::vector<Recorded> others;
};

const std::vector<SequenceCase>& Sequences()
{
    static const std::vector<SequenceCase> cases = {
        {"click without move",
         {{WM_LBUTTONDOWN, 10, 10, MK_LBUTTON}, {WM_LBUTTONUP, 10, 10, 0}},
         {{0x403, 0}, {0x406, 0}},
         {{0x403, 0}, {0x406, 0}}},
        {"first move silent, offsets cumulative from it",
         {{WM_LBUTTONDOWN, 10, 10, MK_LBUTTON},
          {WM_MOUSEMOVE, 12, 13, MK_LBUTTON},
          {WM_MOUSEMOVE, 15, 13, MK_LBUTTON},
          {WM_MOUSEMOVE, 20, 25, MK_LBUTTON},
          {WM_LBUTTONUP, 20, 25, 0}},
         {{0x403, 0}, {0x404, KstPackPoint(3, 0)}, {0x404, KstPackPoint(8, 12)},
          {0x406, KstPackPoint(8, 12)}},
         {{0x403, 0}, {0x404, KstPackPoint(3, 0)}, {0x404, KstPackPoint(8, 12)}, {0x406, 0}}},
        {"negative offsets keep 16 bits each",
         {{WM_LBUTTONDOWN, 30, 30, MK_LBUTTON},
          {WM_MOUSEMOVE, 30, 30, MK_LBUTTON},
          {WM_MOUSEMOVE, 25, 28, MK_LBUTTON},
          {WM_LBUTTONUP, 25, 28, 0}},
         {{0x403, 0}, {0x404, 0xFFFEFFFB}, {0x406, 0xFFFEFFFB}},
         {{0x403, 0}, {0x404, 0xFFFEFFFB}, {0x406, 0}}},
        {"zero offsets",
         {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON},
          {WM_MOUSEMOVE, 5, 5, MK_LBUTTON},
          {WM_MOUSEMOVE, 5, 5, MK_LBUTTON},
          {WM_LBUTTONUP, 5, 5, 0}},
         {{0x403, 0}, {0x404, 0}, {0x406, 0}},
         {{0x403, 0}, {0x406, 0}}},
        {"moves without the button flag or before a press",
         {{WM_MOUSEMOVE, 5, 5, MK_LBUTTON},
          {WM_MOUSEMOVE, 9, 9, MK_LBUTTON},
          {WM_LBUTTONDOWN, 9, 9, MK_LBUTTON},
          {WM_MOUSEMOVE, 12, 12, 0},
          {WM_MOUSEMOVE, 15, 15, 0},
          {WM_LBUTTONUP, 15, 15, 0}},
         {{0x403, 0}, {0x406, 0}},
         {{0x403, 0}, {0x406, 0}}},
        {"a second drag starts afresh",
         {{WM_LBUTTONDOWN, 10, 10, MK_LBUTTON},
          {WM_MOUSEMOVE, 10, 10, MK_LBUTTON},
          {WM_MOUSEMOVE, 14, 10, MK_LBUTTON},
          {WM_LBUTTONUP, 14, 10, 0},
          {WM_LBUTTONDOWN, 40, 20, MK_LBUTTON},
          {WM_MOUSEMOVE, 40, 20, MK_LBUTTON},
          {WM_MOUSEMOVE, 41, 22, MK_LBUTTON},
          {WM_LBUTTONUP, 41, 22, 0}},
         {{0x403, 0}, {0x404, KstPackPoint(4, 0)}, {0x406, KstPackPoint(4, 0)}, {0x403, 0},
          {0x404, KstPackPoint(1, 2)}, {0x406, KstPackPoint(1, 2)}},
         {{0x403, 0}, {0x404, KstPackPoint(4, 0)}, {0x406, 0}, {0x403, 0},
          {0x404, KstPackPoint(1, 2)}, {0x406, 0}}},
        {"right click sends its point",
         {{WM_RBUTTONDOWN, 7, 9, MK_RBUTTON}},
         {{0x405, KstPackPoint(7, 9)}},
         {{0x405, KstPackPoint(7, 9)}}},
    };
    return cases;
}

class ElementProtocolTest : public kst_test::ElementWindowTest,
                            public ::testing::WithParamInterface<ElementKind> {
protected:
    void SetUp() override
    {
        ElementWindowTest::SetUp();
        element = GetParam().create(parent, RECT{10, 10, 130, 70});
        ASSERT_NE(element->m_hWnd, nullptr);
        GetParam().subscribe(*element, sink.Handle());
        sink.Seen().clear();
    }
    void TearDown() override
    {
        element.reset();
        ElementWindowTest::TearDown();
    }

    std::vector<SeenMessage> Expect(const std::vector<Recorded>& recorded) const
    {
        std::vector<SeenMessage> seen;
        for (const Recorded& r : recorded) {
            seen.push_back(
                SeenMessage{r.message, reinterpret_cast<WPARAM>(element->m_hWnd), r.lParam});
        }
        return seen;
    }

    // A transparent element paints through its back buffer only while its transparency is off.
    void ExpectBuffered(bool buffered, const char* when) const
    {
        if (GetParam().doubleBuffered) {
            EXPECT_EQ(GetParam().doubleBuffered(*element), buffered) << when;
        }
    }

    std::shared_ptr<CWnd> element;
};

TEST_P(ElementProtocolTest, MouseSequencesFireTheirEvents)
{
    for (const SequenceCase& sequence : Sequences()) {
        sink.Seen().clear();
        for (const MouseStep& step : sequence.steps) {
            SendMouse(element->m_hWnd, step.message, step.x, step.y, step.keys);
        }
        EXPECT_EQ(sink.Seen(), Expect(GetParam().textRules ? sequence.text : sequence.others))
            << sequence.name;
    }
}

TEST_P(ElementProtocolTest, ResizeAndEndOfSizingFireTheirEvents)
{
    SetWindowPos(element->m_hWnd, nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(sink.Seen(), Expect({{0x402, 0}}));

    sink.Seen().clear();
    RECT sizing{0, 0, 150, 90};
    SendMessageA(element->m_hWnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&sizing));
    SendMessageA(element->m_hWnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(sink.Seen(), Expect({{0x40A, 0}}));
}

TEST_P(ElementProtocolTest, SubscribingTwiceSendsEachEventOnce)
{
    GetParam().subscribe(*element, sink.Handle());
    SendMouse(element->m_hWnd, WM_LBUTTONDOWN, 3, 3, MK_LBUTTON);
    EXPECT_EQ(sink.Seen(), Expect({{0x403, 0}}));
}

TEST_P(ElementProtocolTest, AfterUnsubscribingNothingButTheSettingsEventRemains)
{
    GetParam().unsubscribe(*element, sink.Handle());
    SendMouse(element->m_hWnd, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    SendMouse(element->m_hWnd, WM_MOUSEMOVE, 10, 10, MK_LBUTTON);
    SendMouse(element->m_hWnd, WM_MOUSEMOVE, 20, 10, MK_LBUTTON);
    SendMouse(element->m_hWnd, WM_LBUTTONUP, 20, 10, 0);
    SendMouse(element->m_hWnd, WM_RBUTTONDOWN, 4, 4, MK_RBUTTON);
    SetWindowPos(element->m_hWnd, nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(element->m_hWnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(sink.Seen().empty());

    CKSTNotifyList& list = GetParam().notifyList(*element);
    EXPECT_TRUE(list.IsRegistered(KST_ELEMENT_EVENT_SETTINGS_OK));
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_P(ElementProtocolTest, ApplySettingsSetsTheTransparentStyleWithAFrameChange)
{
    kst_test::WindowPosRecorder positions;
    GetParam().applyTransparent(*element, true);
    EXPECT_TRUE(kst_test::HasTransparentExStyle(element->m_hWnd));
    EXPECT_EQ(positions.Count(element->m_hWnd, KST_SWP_FRAME_CHANGED), 1);
    GetParam().applyTransparent(*element, false);
    EXPECT_FALSE(kst_test::HasTransparentExStyle(element->m_hWnd));
}

TEST_P(ElementProtocolTest, ADragIsOpaqueFromItsFirstMoveToItsRelease)
{
    GetParam().applyTransparent(*element, true);
    ASSERT_TRUE(kst_test::HasTransparentExStyle(element->m_hWnd));
    ExpectBuffered(false, "transparent");
    SendMouse(element->m_hWnd, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    SendMouse(element->m_hWnd, WM_MOUSEMOVE, 10, 10, MK_LBUTTON);
    EXPECT_TRUE(kst_test::HasTransparentExStyle(element->m_hWnd)) << "the silent first move";
    SendMouse(element->m_hWnd, WM_MOUSEMOVE, 14, 12, MK_LBUTTON);
    EXPECT_FALSE(kst_test::HasTransparentExStyle(element->m_hWnd));
    ExpectBuffered(true, "dragged");
    SendMouse(element->m_hWnd, WM_MOUSEMOVE, 20, 12, MK_LBUTTON);
    EXPECT_FALSE(kst_test::HasTransparentExStyle(element->m_hWnd));
    SendMouse(element->m_hWnd, WM_LBUTTONUP, 20, 12, 0);
    EXPECT_TRUE(kst_test::HasTransparentExStyle(element->m_hWnd));
    ExpectBuffered(false, "released");
}

TEST_P(ElementProtocolTest, ASizingLoopIsOpaqueUntilItEnds)
{
    GetParam().applyTransparent(*element, true);
    kst_test::WindowPosRecorder positions;
    RECT sizing{0, 0, 150, 90};
    SendMessageA(element->m_hWnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&sizing));
    SendMessageA(element->m_hWnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&sizing));
    EXPECT_FALSE(kst_test::HasTransparentExStyle(element->m_hWnd));
    ExpectBuffered(true, "sizing");
    SendMessageA(element->m_hWnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(kst_test::HasTransparentExStyle(element->m_hWnd));
    ExpectBuffered(false, "sized");
    EXPECT_EQ(positions.Count(element->m_hWnd, KST_SWP_FRAME_CHANGED), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ElementProtocolTest, ::testing::ValuesIn(AllKinds()),
                         [](const ::testing::TestParamInfo<ElementKind>& info) {
                             return info.param.name;
                         });

}  // namespace
