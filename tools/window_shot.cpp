// Waits for a top-level window with the given title, saves a picture of it as a .png file and
// closes it, then waits for the window to go away. For looking at the program on a display
// nobody watches.
//
//   window_shot.exe <title> <out.png> [time-out ms] [wait ms]
// The picture is taken `wait` ms (default 1000) after the window showed up.
// A title ending in '*' matches every title that begins with the text before it.
// Exit code 0 when the window was saved and closed, 1 when it did not show up in time, 2 when
// the picture could not be written, 3 when the window did not close.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "WindowBitmap.h"

namespace {

struct TitleSearch {
    std::string prefix;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TitleSearch*>(param);
    char title[512] = {};
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) &&
        std::strncmp(title, search->prefix.c_str(), search->prefix.size()) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTitled(const std::string& title)
{
    if (title.empty() || title.back() != '*') {
        return FindWindowA(nullptr, title.c_str());
    }
    TitleSearch search{title.substr(0, title.size() - 1)};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_shot <title> <out.png> [time-out ms] [wait ms]\n");
        return 2;
    }
    const DWORD limit = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 60000;
    const DWORD wait = argc > 4 ? static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)) : 1000;
    const ULONGLONG deadline = GetTickCount64() + limit;
    HWND window = nullptr;
    while (!(window = FindTitled(argv[1])) || !IsWindowVisible(window)) {
        if (GetTickCount64() > deadline) {
            std::fprintf(stderr, "window_shot: no window \"%s\"\n", argv[1]);
            return 1;
        }
        Sleep(100);
    }
    // Let it paint (and a live display fill) after showing up.
    Sleep(wait);
    const bool saved = SaveWindowPng(window, argv[2]);
    PostMessageA(window, WM_CLOSE, 0, 0);
    const ULONGLONG closeDeadline = GetTickCount64() + 15000;
    while (IsWindow(window)) {
        if (GetTickCount64() > closeDeadline) {
            std::fprintf(stderr, "window_shot: the window did not close\n");
            return 3;
        }
        Sleep(50);
    }
    if (!saved) {
        std::fprintf(stderr, "window_shot: could not write %s\n", argv[2]);
        return 2;
    }
    std::printf("window_shot: saved %s\n", argv[2]);
    return 0;
}
