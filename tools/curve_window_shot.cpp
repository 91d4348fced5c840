// Shows a curve window with eight curves of a generated data set in three groups (by unit) and
// saves its picture as a .bmp file, for people to look at.
//
//   curve_window_shot.exe [out.bmp]
// Exit code 0 when the picture was written, 1 when no window could be made, 2 when the file
// could not be written.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "curvewnd/win/CurveWnd.h"
#include "data/Channel.h"
#include "framework/Wnd.h"

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 600;

struct Signal {
    const char* name;
    const char* unit;
    const char* group;
    double (*value)(double t);
};

const Signal kSignals[] = {
    {"U1", "V", "Supply", [](double t) { return 230.0 * std::sin(t * 6.283); }},
    {"U2", "V", "Supply", [](double t) { return 230.0 * std::sin(t * 6.283 - 2.094); }},
    {"U3", "V", "Supply", [](double t) { return 230.0 * std::sin(t * 6.283 + 2.094); }},
    {"I1", "A", "Motor", [](double t) { return 12.0 * std::sin(t * 6.283 - 0.5) * (1.0 - std::exp(-t)); }},
    {"I2", "A", "Motor", [](double t) { return 4.0 + 3.0 * std::cos(t * 1.7); }},
    {"T_in", "\260C", "Cooling", [](double t) { return 20.0 + 15.0 * (1.0 - std::exp(-t / 3.0)); }},
    {"T_out", "\260C", "Cooling", [](double t) { return 20.0 + 25.0 * (1.0 - std::exp(-t / 4.0)); }},
    {"T_amb", "\260C", "Cooling", [](double t) { return 21.0 + 0.5 * std::sin(t * 0.3); }},
};

bool SaveImage(const CKSTRasterImage& image, const char* path)
{
    const uint32_t width = image.GetColumns();
    const uint32_t height = image.GetRows();
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = static_cast<LONG>(width);
    info.biHeight = -static_cast<LONG>(height);
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = width * height * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<uint8_t> bytes(info.biSizeImage);
    image.CopyToBytes(bytes.data(), false);
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                         std::fwrite(&info, sizeof info, 1, out) == 1 &&
                         std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "curve_window.bmp";
    std::vector<std::unique_ptr<CKSTChannel>> channels;
    for (const Signal& signal : kSignals) {
        auto channel = std::make_unique<CKSTChannel>();
        channel->SetName(signal.name);
        channel->SetUnit(signal.unit);
        channel->SetGroup(signal.group);
        channel->SetTimeUnit("s");
        channel->SetDt(0.005);
        for (int i = 0; i < 2000; ++i) {
            channel->AppendValue(signal.value(i * 0.005), false);
        }
        channels.push_back(std::move(channel));
    }

    CWnd host;
    const CKSTString hostClass = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
    if (!host.CreateEx(0, hostClass.c_str(), "Curve window", WS_POPUP | WS_VISIBLE, 20, 20,
                       kWidth, kHeight, nullptr, nullptr)) {
        return 1;
    }
    CKSTCurveWnd window;
    if (!window.Create("Curves", WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, &host)) {
        return 1;
    }
    window.SetUpdateEnabled(false, false);
    for (auto& channel : channels) {
        window.AddChannel(channel.get(), 2, CKSTAxisGroup::kAxisOfUnit);
    }
    window.SetLegendGroup(true, false);
    window.SetTitleText("Test stand 3", 0x800000, false);
    window.SetUpdateEnabled(true, false);
    KstPumpPendingMessages();

    CKSTRasterImage image;
    const bool saved = window.CopyToImage(image) == 0 && SaveImage(image, path);
    window.ReleaseResources();
    host.DestroyWindow();
    if (!saved) {
        std::fprintf(stderr, "could not write %s\n", path);
        return 2;
    }
    std::printf("%s: %u x %u\n", path, image.GetColumns(), image.GetRows());
    return 0;
}
