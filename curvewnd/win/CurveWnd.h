#pragma once
// The curve window: the portable core (curvewnd/CurveWndCore.h) as a child window. Everything
// it shows is drawn into an off-screen bitmap; WM_PAINT only copies the invalid part of it. It
// prints into foreign device contexts, puts itself on the clipboard as an enhanced metafile,
// tells subscribed windows what happens in it and hands dropped text to the subscriber of event
// 18.
#include <windows.h>

#include <functional>
#include <memory>

#include "curvewnd/CurveWndCore.h"
#include "curvewnd/PictureTracker.h"
#include "curvewnd/win/CurveWndDialogHost.h"
#include "curvewnd/win/CurveWndDialogs.h"
#include "curvewnd/win/DCTextMeasure.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/TextTipWnd.h"
#include "foundation/ErrorCodes.h"
#include "foundation/win/NotifyList.h"
#include "framework/OleDragDrop.h"
#include "framework/Wnd.h"

class CKSTCurveWnd;
class CKSTCurveWndScrollBar;
class IKSTCurveEditDialogs;
struct KstPopupSnapshot;

// Accepts any drag; a drop reaches the window's subscriber of event 18.
class CKSTCurveWndDropTarget : public COleDropTarget {
public:
    explicit CKSTCurveWndDropTarget(CKSTCurveWnd* window) : m_curveWnd(window) {}
    DROPEFFECT OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState,
                           CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState,
                          CPoint point) override;
    void OnDragLeave(CWnd* window) override;
    BOOL OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT effect, CPoint point) override;

private:
    CKSTCurveWnd* m_curveWnd;
};

class CKSTCurveWnd : public CWnd, public CKSTCurveWndCore, public IKSTTextTipOwner {
    DECLARE_MESSAGE_MAP()
public:
    // wParam a mutex slot (foundation/win/Sync.h): the window takes the mutex, rebuilds and
    // releases it. Use PostRebuild.
    static constexpr UINT kRebuildMessage = WM_USER + 17;
    static constexpr char kClassName[] = "KSTCurveWndClass";

    CKSTCurveWnd();
    ~CKSTCurveWnd() override;

    // 0, or -1 when the class could not be registered (it may exist from an earlier window).
    static int RegisterWindowClass(HINSTANCE instance);
    // The child window (WS_CHILD added) on the corner-ordered rectangle; false when it could not
    // be made.
    BOOL Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent);
    BOOL CreateEx(DWORD exStyle, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent);
    // The module that holds the window's resources.
    HINSTANCE GetInstanceHandle() const;
    // Bitmap, draw context, scroll bars and the window go; event 11 is sent.
    void ReleaseResources();
    BOOL DestroyWindow() override;
    bool IsCreated() const { return m_created != 0; }
    HWND GetDrawHwnd() const { return m_hWnd; }

    // Asks the window for a rebuild under the caller's data mutex. It must be posted, never
    // sent, even (above all) while the caller holds the mutex: the window waits for the mutex,
    // and a sender holding it would wait for the window. Debug builds refuse a sent one. The
    // slot must stay valid until the window has handled the message.
    static BOOL PostRebuild(HWND window, HANDLE* mutexSlot)
    {
        return ::PostMessageA(window, kRebuildMessage, reinterpret_cast<WPARAM>(mutexSlot), 0);
    }

    // --- Painting and output ---
    // Lays the window out for the screen and draws its picture.
    void RecalcLayout() override;
    // Lays the window out and, when only samples were appended, moves the plot bands and draws
    // just the stripes that changed; otherwise draws the whole picture.
    void RecalcLayoutForNewData() override;
    // How much of the picture the last drawing drew.
    struct PictureStats {
        bool partial = false;    // moved and drew stripes
        int32_t shift = 0;       // pixels the plot bands moved
        int32_t columns = 0;     // columns of the first shown band drawn
        int32_t plotWidth = 0;   // columns of that band
        int64_t pixels = 0;      // pixels drawn
        int64_t clientPixels = 0;
    };
    const PictureStats& GetPictureStats() const { return m_pictureStats; }
    // Lays the window out for a target device context and rectangle (printing and export); the
    // screen layout is restored by the next RecalcLayout without a target.
    void RecalcLayout(HDC target, const RECT& rect);
    void UpdateNow() override;
    void SetDrawingEnabled(bool enabled) { m_drawingEnabled = enabled ? 1 : 0; }
    bool IsDrawingEnabled() const { return m_drawingEnabled != 0; }
    // Prints the window into a foreign device context, scaled to the rectangle. 0 or an error.
    int DrawToDC(HDC target, const RECT& rect);
    int DrawToDC(HDC target, int left, int top, int right, int bottom)
    {
        return DrawToDC(target, RECT{left, top, right, bottom});
    }
    // The window as an enhanced metafile on the clipboard, laid out at the size in centimetres
    // times the factor on the screen. 0 or an error.
    int CopyToClipboard(double widthCm, double heightCm, double factor);
    // The lay-out size in pixels of a clipboard picture on a device of the given resolution.
    static SIZE ClipboardPixels(double widthCm, double heightCm, double factor, int dpiX,
                                int dpiY);
    // The off-screen picture as 32-bit pixels. 0 or an error.
    int CopyToImage(CKSTRasterImage& image);
    // The clipboard size dialog, then CopyToClipboard; the dialog's result.
    int ClipboardCommand();
    // A device context of the window, and giving it back.
    HDC GetDC();
    void ReleaseDC(HDC dc);
    void GetScreenRect(RECT& rect) const;
    using CWnd::InvalidateRect;
    void InvalidateRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                        bool erase) override;

    // --- Subscriptions ---
    int Subscribe(uint32_t event, uint32_t message, HWND target);
    void Unsubscribe(uint32_t event, HWND target);
    bool IsSubscribed(uint32_t event) const override;
    void FireSend(uint32_t event);
    void FirePost(uint32_t event);
    void FirePostParams(uint32_t event, WPARAM wParam, LPARAM lParam);
    // wParam the index of the group under y (0 when none), lParam three 32-bit values (x, y,
    // event) valid during the send.
    void FireSendAtPoint(int32_t x, int32_t y, uint32_t event);
    // The element events 0, 2, 5, 4, 8, 10 and 18 with the messages the display elements use.
    void SubscribeAll(HWND target);
    void UnsubscribeAll(HWND target);

    // The dialogs borrowed from the panels and display elements; the process-wide set unless a
    // window is given its own.
    void SetDialogs(IKSTCurveWndDialogs* dialogs) { m_dialogs = dialogs; }
    IKSTCurveWndDialogs& Dialogs() const;

    // --- Hooks of the core ---
    bool HasDrawingWindow() const override { return m_hWnd != nullptr; }
    IKSTTextMeasure* GetTextMeasure() override { return m_measure.get(); }
    std::unique_ptr<IKSTTextTip> CreateTextTip(const RECT& rect, const CKSTFontDesc& font,
                                               uint32_t colour, const CKSTString& text) override;
    std::unique_ptr<IKSTGroupScrollBar> CreateScrollBar(int id, const RECT& rect) override;
    CKSTDrawContext* GetDrawContext() override;
    bool GetPlotPixel(int32_t x, int32_t y, uint32_t& colour) const override;
    uint32_t GetNearestScreenColor(uint32_t colour) const override;
    int32_t PostEvent(uint32_t event, const CKSTCurve* curve) override;
    void PostWindowEvent(uint32_t event) override { FirePost(event); }
    void InvalidateClient() override;
    void RedrawLegend(int group) override;
    void TrackMouseLeave(bool hovering) override;

    // --- Measuring cursors and zoom (CurveWndCursors.cpp) ---
    // Mode 1 at the point; ends a differential measure first.
    void StartSimpleMeasure(const POINT& point);
    // Mode 2 with the cursors at one and two thirds of the X band; ends a simple measure first.
    void StartDifferentialMeasure(const POINT& point, bool showTable);
    void EndMeasure() override;
    void HideCursors() override;
    void ShowCursors() override;
    // Draws the cursors once onto a freshly drawn picture.
    void RedrawCursors();
    void SetLeftCursorValue(double x);
    void SetRightCursorValue(double x);
    void SetCrossCursor(bool on);
    void RefreshValueTable() override;
    void ShowZoomLimitMessage() override;
    void SetXScrollThumb(int32_t position) override;
    void SetGroupScrollThumb(int32_t position) override;
    void InvalidateScrollBars() override;
    void TakeFocus() override;

    // --- Popup menu, commands and edit dialogs (CurveWndCommands.cpp) ---
    // Extra commands go to their target windows; a command from the popup menu (lParam 0)
    // clears the popup-open flag first.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // False for an id that is not a command of the window's menus.
    bool RunCommand(UINT id);
    // What the popup menu shows, taken before its thread starts.
    KstPopupSnapshot TakePopupSnapshot(const POINT& point) const;
    // The marker and limit-line dialogs (null: a new one); IDCANCEL without curves.
    int CreateMarker(CKSTPlotMarker* marker);
    int CreateLimit(CKSTLimitLine* line);
    // Bar, pointer or common options by display kind.
    int WindowSettings();
    void SetEditDialogs(IKSTCurveEditDialogs* dialogs) { m_editDialogs = dialogs; }
    IKSTCurveEditDialogs& EditDialogs() const;
    // What the edit dialogs let the user change; the window's owner decides.
    void SetDialogOptions(const KstCurveDialogOptions& options) { m_dialogOptions = options; }
    const KstCurveDialogOptions& GetDialogOptions() const { return m_dialogOptions; }

    // --- IKSTTextTipOwner ---
    COLORREF GetWindowColor() const override;
    CWnd* GetDrawingWindow() const override { return const_cast<CKSTCurveWnd*>(this); }
    void HandleMouseMove(UINT flags, CPoint point) override;

protected:
    int OnCreate(LPCREATESTRUCT create);
    void OnSize(UINT type, int width, int height);
    BOOL OnEraseBkgnd(HDC dc);
    void OnPaint();
    void OnClose();
    LRESULT OnRebuild(WPARAM wParam, LPARAM lParam);
    LRESULT OnExitSizeMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);

    // --- Mouse and keys (CurveWndMouse.cpp) ---
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnHScroll(UINT code, UINT position, HWND bar);
    void OnVScroll(UINT code, UINT position, HWND bar);
    // An interrupted drag (cancel mode, lost capture, lost focus) frees the mouse.
    LRESULT OnCancelMode(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnFocusLost(WPARAM wParam, LPARAM lParam);

private:
    friend class CKSTCurveWndDropTarget;

    // Bitmap and draw context for the present client size; false when they cannot be made.
    bool MakeBitmap();
    void DeleteBitmap();
    void UpdateScrollBars(const KstWindowLayout& layout);
    void DeleteScrollBars();
    // The picture: background, legend, X axis, groups; export leaves out background, title and
    // "Pause" mark.
    // With a stripe, curves are drawn only for its columns; the caller clips to it.
    void DrawStaticLayer(CKSTDrawContext& dc, const RECT& area, bool exportMode,
                         const RECT* stripe = nullptr);
    void DrawPauseMark(const CKSTAxisGroup& group, CKSTDrawContext& dc);
    RECT PauseMarkBox(const CKSTAxisGroup& group, CKSTDrawContext& dc, CKSTString& text);
    // Lays out for the screen and draws the picture, in part when allowed and possible.
    void DrawPicture(bool partialAllowed);
    void DrawPartialPicture(const KstPicturePlan& plan);
    // Columns of the first shown group's plot band.
    int32_t FirstPlotWidth() const;
    // Lays out for the target, records the export picture into an enhanced metafile with the
    // reference DC as attribute context and lays out for the screen again; null on failure.
    HENHMETAFILE RecordExport(HDC reference, int width, int height);

    RECT m_client = {0, 0, 0, 0};
    uint8_t m_drawingEnabled = 1;
    // What the picture was drawn from, for drawing only what new samples change.
    CKSTPictureTracker m_picture;
    PictureStats m_pictureStats;
    CKSTDrawContext m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    // A context that only measures texts, never drawn into.
    HDC m_measureDC = nullptr;
    std::unique_ptr<CKSTDCTextMeasure> m_measure;
    CKSTNotifyList m_notify;
    CKSTCurveWndDropTarget m_dropTarget;
    std::unique_ptr<CKSTCurveWndScrollBar> m_xScrollBar;
    std::unique_ptr<CKSTCurveWndScrollBar> m_groupScrollBar;
    IKSTCurveWndDialogs* m_dialogs = nullptr;

    // Interaction state of the mouse, the cursors and the tables they keep open.
    void DrawCursor(int index);
    void ShowCursorLabels();
    void ShowValueBoxes(int32_t x, int32_t y);
    void MoveValueBoxes(int32_t x, int32_t y);
    void HideValueBoxes();
    void OpenDiffTable(bool reset);
    void InvertBand(const RECT& rect);
    void InvertResizeLine(int32_t row);
    void EndRubberBand(const POINT& point, bool released);
    void AbortDrags();
    void RunInCursorBracket(const std::function<void()>& action);
    RECT m_bandRect = {0, 0, 0, 0};
    POINT m_bandStart = {0, 0};
    POINT m_bandEnd = {0, 0};
    int32_t m_resizeRow = 0;
    POINT m_dragReference = {0, 0};
    bool m_clipped = false;
    std::unique_ptr<IKSTCurveWndTable> m_diffTable;
    std::unique_ptr<IKSTCurveWndTable> m_valueTable;
    IKSTCurveEditDialogs* m_editDialogs = nullptr;
    KstCurveDialogOptions m_dialogOptions;
};
