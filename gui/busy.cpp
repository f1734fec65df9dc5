// The main window while one blocking call into the library runs: the wait
// cursor, the window disabled and every command, drop and close ignored
// until the call returns, and the call's progress in the information line.
// The library reports progress at least every 64 KiB; each report keeps the
// window painted and answering, so that Windows never takes it for hung,
// while the call itself runs to its end on this one thread.

#include "app.h"  // windows.h comes before every other system header

#include <cstdio>
#include <string>

#include "quillcore.h"
#include "strings.h"

namespace {

// The line is redrawn at most this often; reports come far more often.
constexpr DWORD kRedrawMs = 100;

// A size as people read it: bytes, then KB, MB and GB of 1024.
std::string size_text(uint64_t bytes) {
    static const char *const kUnits[] = {text::kKilobytes, text::kMegabytes, text::kGigabytes};
    if (bytes < 1024) return std::to_string(bytes) + text::kBytes;
    double value = double(bytes) / 1024;
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024;
        unit++;
    }
    char shown[32];
    snprintf(shown, sizeof shown, "%.1f %s", value, kUnits[unit]);
    return shown;
}

// Everything that waits for the thread, but for input: painting, the
// system's questions and other threads' messages are answered at once. A
// quit is kept for the main loop.
void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                           (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
        if (input) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void on_progress(void *, uint64_t done, uint64_t total) {
    const DWORD now = GetTickCount();
    if (done < total && now - app.busy.shown_at < kRedrawMs) return;
    app.busy.shown_at = now;
    const unsigned percent = total ? unsigned(done * 100 / total) : 100;
    char line[160];
    snprintf(line, sizeof line, text::kProgressFormat, app.busy.what, percent,
             size_text(done).c_str(), size_text(total).c_str());
    SetDlgItemTextA(app.main, IDC_INFO, line);
    pump();
}

}  // namespace

void busy_begin(const char *what) {
    app.busy.running = true;
    app.busy.what = what;
    app.busy.shown_at = GetTickCount();
    app.busy.wait = LoadCursorFromFileA(text::kWaitCursorFile);
    app.busy.kept = app.busy.wait ? SetCursor(app.busy.wait) : nullptr;
    SetDlgItemTextA(app.main, IDC_INFO_LABEL, text::kInfoLabel);
    SetDlgItemTextA(app.main, IDC_INFO, what);
    // The library's own boxes have no owner: without this the main window
    // would stay usable while one is up.
    app.busy.focus = GetFocus();
    EnableWindow(app.main, FALSE);
    progress_set(on_progress, nullptr);
}

void busy_end() {
    progress_set(nullptr, nullptr);
    EnableWindow(app.main, TRUE);
    if (app.busy.focus && IsWindow(app.busy.focus)) SetFocus(app.busy.focus);
    if (app.busy.wait) {
        SetCursor(app.busy.kept);
        DestroyCursor(app.busy.wait);
    }
    app.busy = BusyState{};
}

bool busy_cursor() {
    if (!app.busy.running || !app.busy.wait) return false;
    SetCursor(app.busy.wait);
    return true;
}
