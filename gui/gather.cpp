// Items chosen together in Explorer reach one window. For a verb such as
// "Quillseal で暗号化" Explorer starts the program once for every selected
// item, each time with "/shell" before it. The first of these starts opens
// the window and, for a moment, gathers the items of the starts that follow:
// they hand theirs over (WM_COPYDATA) and end without a window. A named
// mutex orders the starts, so that each finds the window of the one before
// it. Once the user works with the window, or the moment has passed, it
// gathers nothing more, and a new start opens a window of its own.

#include "app.h"  // windows.h comes before every other system header

#include <cstring>
#include <string>

#include "quillcore.h"
#include "strings.h"

namespace {

constexpr char kMutexName[] = "Local\\Quillseal.ShellSelection";
constexpr char kGatheringProp[] = "Quillseal.Gathering";
constexpr ULONG_PTR kItemsTag = 0x51534731;  // "QSG1": a start's items, wide, NUL-separated
// How long after the last item the window waits for more. Explorer starts
// the program for each item one after the other, a few at a time.
constexpr UINT kGatherMs = 2500;
constexpr UINT_PTR kGatherTimer = 1;
constexpr DWORD kWaitMs = 10000;

HANDLE turn = nullptr;  // the mutex, held from the start until the window gathers

// This start's items as the shell gave them, wide.
std::wstring items_of_command_line() {
    std::wstring items;
    for (int k = 2;; k++) {
        std::wstring item;
        if (!get_wide_argument(k, &item)) break;
        items += item;
        items += L'\0';
    }
    return items;
}

// The window of an earlier start that still gathers, or null.
HWND gathering_window() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM out) -> BOOL {
            char cls[32] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (strcmp(cls, text::kClassName) != 0 || !GetPropA(w, kGatheringProp)) return TRUE;
            *reinterpret_cast<HWND *>(out) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Hands the items to the window; true when it took them.
bool hand_to(HWND window, const std::wstring &items) {
    COPYDATASTRUCT data = {kItemsTag, DWORD(items.size() * sizeof(wchar_t)),
                           const_cast<wchar_t *>(items.data())};
    DWORD_PTR taken = FALSE;
    return SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                               kWaitMs, &taken) &&
           taken == TRUE;
}

// One handed-over item joins the selection. False, after saying why, when
// it cannot: the library would be given another file, or none.
bool take_item(const std::wstring &wide) {
    char path[kPathBytes];
    std::string shown;
    const Token got = native_path(wide, path, &shown);
    if (!item_acceptable(got, path, folder_part(app.sel.selected), shown)) return false;
    show_file_count(file_get(app.gathered++, path));
    return true;
}

}  // namespace

bool shell_start() {
    std::wstring first;
    return get_wide_argument(1, &first) && first == L"/shell";
}

bool hand_over() {
    if (!shell_start()) return false;
    turn = CreateMutexA(nullptr, FALSE, kMutexName);
    if (turn) WaitForSingleObject(turn, kWaitMs);
    HWND window = gathering_window();
    if (!window || !hand_to(window, items_of_command_line())) return false;
    if (turn) {
        ReleaseMutex(turn);
        CloseHandle(turn);
        turn = nullptr;
    }
    return true;
}

void gather_begin() {
    if (!turn) return;
    // Only a window that took items gathers more of them.
    if (app.gathered > 0) {
        SetPropA(app.main, kGatheringProp, HANDLE(1));
        SetTimer(app.main, kGatherTimer, kGatherMs, nullptr);
    }
    ReleaseMutex(turn);
    CloseHandle(turn);
    turn = nullptr;
}

void gather_end() {
    if (!RemovePropA(app.main, kGatheringProp)) return;
    KillTimer(app.main, kGatherTimer);
}

void on_gather_timer(UINT_PTR id) {
    if (id == kGatherTimer) gather_end();
}

LRESULT on_items(const COPYDATASTRUCT *data) {
    if (data->dwData != kItemsTag || !GetPropA(app.main, kGatheringProp) || app.busy.running)
        return FALSE;
    const wchar_t *item = static_cast<const wchar_t *>(data->lpData);
    const size_t chars = data->cbData / sizeof(wchar_t);
    for (size_t at = 0; at < chars;) {
        const std::wstring one(item + at, wcsnlen(item + at, chars - at));
        at += one.size() + 1;
        if (take_item(one)) continue;
        gather_end();
        return TRUE;  // taken, and refused with a message
    }
    // More may follow: the moment starts again.
    SetTimer(app.main, kGatherTimer, kGatherMs, nullptr);
    return TRUE;
}
