// The three ways a curve window leaves the screen: printing into a foreign device context, an
// enhanced metafile on the clipboard and a copy of the off-screen picture.
#include <windows.h>

#include <cmath>
#include <limits>
#include <vector>

#include "curvewnd/win/CurveWnd.h"
#include "foundation/ErrorCodes.h"
#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"
#include "resources/StringIds.h"

namespace {

constexpr double kInchesPerCm = 0.3937007874015748;
// Printing lays the window out at the size the target rectangle has on the screen, enlarged so
// that texts come out a little smaller.
constexpr double kPrintEnlargement = 1.2;

// The window and plot colours are none while an export draws, and come back on every path.
class ExportColours {
public:
    explicit ExportColours(CKSTCurveWndSettings& settings)
        : m_settings(settings), m_background(settings.m_BackgroundColor),
          m_plot(settings.m_PlotBackgroundColor)
    {
        settings.m_BackgroundColor = KST_COLOR_NONE;
        settings.m_PlotBackgroundColor = KST_COLOR_NONE;
    }
    ~ExportColours()
    {
        m_settings.m_BackgroundColor = m_background;
        m_settings.m_PlotBackgroundColor = m_plot;
    }
    ExportColours(const ExportColours&) = delete;
    ExportColours& operator=(const ExportColours&) = delete;

private:
    CKSTCurveWndSettings& m_settings;
    uint32_t m_background;
    uint32_t m_plot;
};

// A memory context with a bitmap of the size, for measuring a layout; released on every path.
class LayoutSurface {
public:
    LayoutSurface(HDC reference, int width, int height)
    {
        m_dc = CreateCompatibleDC(reference);
        m_bitmap = CreateCompatibleBitmap(reference, width, height);
        if (m_dc != nullptr && m_bitmap != nullptr) {
            m_old = SelectObject(m_dc, m_bitmap);
        }
    }
    ~LayoutSurface()
    {
        if (m_old != nullptr) {
            SelectObject(m_dc, m_old);
        }
        if (m_bitmap != nullptr) {
            DeleteObject(m_bitmap);
        }
        if (m_dc != nullptr) {
            DeleteDC(m_dc);
        }
    }
    LayoutSurface(const LayoutSurface&) = delete;
    LayoutSurface& operator=(const LayoutSurface&) = delete;

    bool IsValid() const { return m_old != nullptr; }
    HDC GetDC() const { return m_dc; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDC()
    {
        if (m_dc != nullptr) {
            ::ReleaseDC(m_window, m_dc);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// Pixels per millimetre of a device; false for a device without a physical size.
bool PixelsPerMm(HDC dc, double& horizontal, double& vertical)
{
    const int width = GetDeviceCaps(dc, HORZSIZE);
    const int height = GetDeviceCaps(dc, VERTSIZE);
    if (width <= 0 || height <= 0) {
        return false;
    }
    horizontal = static_cast<double>(GetDeviceCaps(dc, HORZRES)) / width;
    vertical = static_cast<double>(GetDeviceCaps(dc, VERTRES)) / height;
    return horizontal > 0.0 && vertical > 0.0;
}

int ClampToInt(double v)
{
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    if (!(v == v)) {
        return 0;
    }
    return static_cast<int>(v < lo ? lo : v > hi ? hi : v);
}

}  // namespace

SIZE CKSTCurveWnd::ClipboardPixels(double widthCm, double heightCm, double factor, int dpiX,
                                   int dpiY)
{
    // std::round rounds halves away from zero.
    return SIZE{ClampToInt(std::round(widthCm * kInchesPerCm * dpiX * factor)),
                ClampToInt(std::round(heightCm * kInchesPerCm * dpiY * factor))};
}

HENHMETAFILE CKSTCurveWnd::RecordExport(HDC reference, int width, int height)
{
    HDC meta = CreateEnhMetaFileA(reference, nullptr, nullptr, nullptr);
    if (meta == nullptr) {
        return nullptr;
    }
    {
        ExportColours colours(m_settings);
        // The draw context only borrows the metafile's context: closing it ends the recording.
        CKSTDrawContext dc;
        dc.Attach(meta);
        DrawStaticLayer(dc, RECT{0, 0, width, height}, true);
    }
    return CloseEnhMetaFile(meta);
}

int CKSTCurveWnd::DrawToDC(HDC target, const RECT& targetRect)
{
    if (m_hWnd == nullptr || target == nullptr) {
        return KST_ERR_GRAPHICS;
    }
    WindowDC screen(m_hWnd);
    if (screen.Get() == nullptr) {
        return KST_ERR_GRAPHICS;
    }
    double screenX = 0.0;
    double screenY = 0.0;
    if (!PixelsPerMm(screen.Get(), screenX, screenY)) {
        return KST_ERR_GRAPHICS;
    }
    double targetX = screenX;
    double targetY = screenY;
    // A device that reports no physical size (a metafile, some drivers) is taken at the screen's
    // resolution rather than divided by zero.
    PixelsPerMm(target, targetX, targetY);
    const RECT rect = NormalizeRect(targetRect);
    const int width =
        ClampToInt((rect.right - rect.left) * screenX * kPrintEnlargement / targetX);
    const int height =
        ClampToInt((rect.bottom - rect.top) * screenY * kPrintEnlargement / targetY);
    if (width <= 0 || height <= 0) {
        return KST_ERR_GRAPHICS;
    }
    HENHMETAFILE picture = nullptr;
    {
        LayoutSurface surface(screen.Get(), width, height);
        if (!surface.IsValid()) {
            return KST_ERR_GRAPHICS;
        }
        RecalcLayout(surface.GetDC(), RECT{0, 0, width, height});
        picture = RecordExport(screen.Get(), width, height);
        RecalcLayout();
    }
    if (picture == nullptr) {
        return KST_ERR_GRAPHICS;
    }
    const BOOL played = PlayEnhMetaFile(target, picture, &rect);
    DeleteEnhMetaFile(picture);
    return played ? 0 : KST_ERR_GRAPHICS;
}

int CKSTCurveWnd::CopyToClipboard(double widthCm, double heightCm, double factor)
{
    if (m_hWnd == nullptr) {
        return KST_ERR_GRAPHICS;
    }
    WindowDC windowDC(m_hWnd);
    if (windowDC.Get() == nullptr) {
        return KST_ERR_GRAPHICS;
    }
    const SIZE size =
        ClipboardPixels(widthCm, heightCm, factor, GetDeviceCaps(windowDC.Get(), LOGPIXELSX),
                        GetDeviceCaps(windowDC.Get(), LOGPIXELSY));
    if (size.cx <= 0 || size.cy <= 0) {
        return KST_ERR_GRAPHICS;
    }
    HENHMETAFILE picture = nullptr;
    {
        LayoutSurface surface(windowDC.Get(), size.cx, size.cy);
        if (!surface.IsValid()) {
            return KST_ERR_GRAPHICS;
        }
        RecalcLayout(surface.GetDC(), RECT{0, 0, size.cx, size.cy});
        picture = RecordExport(windowDC.Get(), size.cx, size.cy);
        RecalcLayout();
    }
    if (picture == nullptr) {
        return KST_ERR_GRAPHICS;
    }
    if (!OpenClipboard(m_hWnd)) {
        DeleteEnhMetaFile(picture);
        return KST_ERR_GRAPHICS;
    }
    EmptyClipboard();
    // The clipboard owns the picture only when it took it.
    const bool taken = SetClipboardData(CF_ENHMETAFILE, picture) != nullptr;
    CloseClipboard();
    if (!taken) {
        DeleteEnhMetaFile(picture);
        return KST_ERR_GRAPHICS;
    }
    return 0;
}

int CKSTCurveWnd::CopyToImage(CKSTRasterImage& image)
{
    if (m_bitmap == nullptr || m_dc.GetHdc() == nullptr) {
        return KST_ERR_GRAPHICS;
    }
    BITMAP info = {};
    if (GetObject(m_bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0) {
        return KST_ERR_GRAPHICS;
    }
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;  // top row first
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4);
    // The bitmap may not stay selected while its bits are read.
    HDC dc = m_dc.GetHdc();
    HGDIOBJ selected = ::SelectObject(dc, m_oldBitmap);
    const int rows = GetDIBits(dc, m_bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                               &header, DIB_RGB_COLORS);
    ::SelectObject(dc, selected);
    if (rows != info.bmHeight) {
        return KST_ERR_GRAPHICS;
    }
    if (!image.Create(static_cast<uint32_t>(info.bmWidth), static_cast<uint32_t>(info.bmHeight))) {
        return KST_ERR_GRAPHICS;
    }
    image.SetFromBytes(pixels.data(), false);
    return 0;
}

int CKSTCurveWnd::ClipboardCommand()
{
    HideCursors();
    double width = m_clipboardWidth;
    double height = m_clipboardHeight;
    const int result = Dialogs().ClipboardSize(*this, width, height);
    if (result != IDCANCEL) {
        m_clipboardWidth = width;
        m_clipboardHeight = height;
        if (CopyToClipboard(width, height, 1.0) != 0) {
            const CKSTString text = LoadResString(KST_STR_CW_CLIPBOARD_FAILED, IsEnglish());
            const CKSTString caption = LoadResString(KST_STR_ATTENTION, IsEnglish());
            KstMessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION,
                          KST_STR_CW_CLIPBOARD_FAILED);
        }
    }
    ShowCursors();
    return result;
}
