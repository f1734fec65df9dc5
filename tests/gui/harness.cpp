// The harness build's start: the scenario named by QS_SCENARIO runs on a
// thread of its own while the program runs as usual on the main thread.
//
// Everything the scenario does to the windows is either sent with a time-out
// or posted. Posted actions are followed by a marker posted to a small window
// of the user-interface thread: the queue is first in, first out, so when the
// marker has been handled the action has either run to its end or reached a
// modal loop (a message box or a file dialog), which handles the marker too.
// Every wait has a deadline, and a watchdog ends a scenario that hangs.

#include "harness.h"
#include "win_helpers.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "app.h"

namespace harness {

namespace {

constexpr int kAppearMs = 20000;    // a window to come up (the first start is slow)
constexpr int kSendMs = 20000;      // a sent message to be handled
constexpr int kSettleMs = 20000;    // the user-interface thread to catch up
constexpr int kCloseMs = 10000;     // a box, dialog or window to go away
constexpr int kScenarioMs = 90000;  // a whole scenario, unless QS_TIMEOUT_MS says otherwise
constexpr int kPollMs = 15;

constexpr UINT kMarker = WM_APP + 1;  // wParam: sequence number
constexpr UINT kJob = WM_APP + 2;     // lParam: a std::function<void()> to run and delete

constexpr int kBoxTextId = 0xFFFF;  // the text of a message box
constexpr int kFileNameId = 0x47C;  // the file name box of an open or save dialog
constexpr int kExitUnknown = 126;   // no scenario of that name
constexpr int kMaxFailures = 125;

struct Entry {
    std::string name;
    Scenario run;
    std::string group;
};

std::vector<Entry> &registry() {
    static std::vector<Entry> entries;
    return entries;
}

// The state of the run.
DWORD gui_thread;
HWND marker_window;
HANDLE marker_event;
volatile LONG marker_seen;
LONG marker_sent;
volatile LONG failures;
CRITICAL_SECTION output_lock;
std::string scenario_name;
std::string scratch_folder;
std::string last_action = "(start)";

// ---- output -------------------------------------------------------------------

// One line on standard output, code page 932 turned into UTF-8, so that logs
// read the same on any terminal.
void print(const std::string &line) {
    const std::string out = to_utf8(line) + "\n";
    EnterCriticalSection(&output_lock);
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), DWORD(out.size()), &written, nullptr);
    LeaveCriticalSection(&output_lock);
}

// A failure found by the harness itself names the step that led to it.
void harness_fail(const std::string &what) {
    fail("harness", 0, what + " (last step: " + last_action + ")");
}

void step(const std::string &what) {
    last_action = what;
}

std::string env(const char *name) {
    const char *value = getenv(name);
    return value ? value : "";
}

// ---- the user-interface thread's helper window -----------------------------

LRESULT CALLBACK marker_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kMarker) {
        InterlockedExchange(&marker_seen, LONG(wparam));
        SetEvent(marker_event);
        return 0;
    }
    if (msg == kJob) {
        auto *job = reinterpret_cast<std::function<void()> *>(lparam);
        (*job)();
        delete job;
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

void create_marker_window(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = marker_proc;
    wc.hInstance = instance;
    wc.lpszClassName = "QuillsealHarnessMarker";
    RegisterClassA(&wc);
    marker_window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
    marker_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

HWND current_main() {
    return *static_cast<HWND volatile *>(&app.main);
}

HWND current_key_pair() {
    return *static_cast<HWND volatile *>(&app.key_pair);
}

bool program_running() {
    return IsWindow(current_main()) != FALSE;
}

// Waits until the user-interface thread has handled everything posted before;
// quietly gives up when it stays busy (the next sent message then fails).
bool marker_round() {
    const LONG seq = ++marker_sent;
    if (!PostMessageA(marker_window, kMarker, WPARAM(seq), 0)) return false;
    const DWORD deadline = GetTickCount() + kSettleMs;
    while (marker_seen < seq) {
        if (LONG(deadline - GetTickCount()) <= 0) return false;
        WaitForSingleObject(marker_event, 100);
    }
    return true;
}

// Two rounds, so that what the handled messages posted in turn (a closing
// window's quit message) is handled as well.
void settle_now() {
    if (program_running() && marker_round()) marker_round();
}

// Runs fn on the user-interface thread and waits as settle() does.
void on_gui_thread(std::function<void()> fn) {
    auto *job = new std::function<void()>(std::move(fn));
    if (!PostMessageA(marker_window, kJob, 0, reinterpret_cast<LPARAM>(job))) {
        delete job;
        harness_fail("the user-interface thread takes no more work");
        return;
    }
    settle_now();
}

// ---- windows ------------------------------------------------------------------

bool send(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, DWORD_PTR *result = nullptr) {
    DWORD_PTR value = 0;
    const bool ok =
        SendMessageTimeoutA(window, msg, wparam, lparam, SMTO_NORMAL, kSendMs, &value) != 0;
    if (result) *result = value;
    return ok;
}

// A window is ready when it is visible, its last control exists and its
// thread answers.
bool ready(HWND window, int last_id) {
    return window && IsWindow(window) && IsWindowVisible(window) && GetDlgItem(window, last_id) &&
           SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, nullptr);
}

std::string class_of(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct Found {
    std::vector<HWND> windows;
};

BOOL CALLBACK collect(HWND window, LPARAM lparam) {
    reinterpret_cast<Found *>(lparam)->windows.push_back(window);
    return TRUE;
}

// Visible dialogs of the user-interface thread, top of the z-order first.
std::vector<HWND> dialogs() {
    Found found;
    EnumThreadWindows(gui_thread, collect, reinterpret_cast<LPARAM>(&found));
    std::vector<HWND> out;
    for (HWND w : found.windows)
        if (IsWindowVisible(w) && class_of(w) == "#32770") out.push_back(w);
    return out;
}

bool is_message_box(HWND w) {
    return GetDlgItem(w, kBoxTextId) != nullptr && GetDlgItem(w, kFileNameId) == nullptr;
}

// The message box the user would answer now: an enabled one (a box that has
// opened another is disabled).
HWND find_box() {
    HWND any = nullptr;
    for (HWND w : dialogs()) {
        if (!is_message_box(w)) continue;
        if (IsWindowEnabled(w)) return w;
        if (!any) any = w;
    }
    return any;
}

HWND find_file_dialog(const std::string &title) {
    for (HWND w : dialogs())
        if (GetDlgItem(w, kFileNameId) && (title.empty() || text_of(w) == title)) return w;
    return nullptr;
}

bool wait_gone(HWND window, int ms) {
    const DWORD deadline = GetTickCount() + DWORD(ms);
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (LONG(deadline - GetTickCount()) <= 0) return false;
        Sleep(kPollMs);
    }
    return true;
}

HWND control(HWND parent, int id) {
    HWND w = GetDlgItem(parent, id);
    if (!w) harness_fail("no control " + std::to_string(id));
    return w;
}

// ---- files --------------------------------------------------------------------

// ---- the run ------------------------------------------------------------------

// Brings the program to its end after the scenario: boxes and dialogs are
// cancelled, the key pair window and then the main window closed.
void close_everything() {
    const DWORD deadline = GetTickCount() + kCloseMs;
    while (program_running()) {
        if (LONG(deadline - GetTickCount()) <= 0) {
            harness_fail("the program did not close after the scenario");
            return;
        }
        const std::vector<HWND> open = dialogs();
        if (!open.empty()) {
            for (HWND w : open) {
                for (int button : {IDCANCEL, IDNO, IDOK}) {
                    HWND b = GetDlgItem(w, button);
                    if (!b) continue;
                    PostMessageA(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(b));
                    break;
                }
            }
        } else if (IsWindow(current_key_pair())) {
            PostMessageA(current_key_pair(), WM_CLOSE, 0, 0);
        } else {
            PostMessageA(current_main(), WM_CLOSE, 0, 0);
        }
        Sleep(100);
    }
}

DWORD WINAPI scenario_thread(LPVOID param) {
    const Entry *entry = static_cast<const Entry *>(param);
    entry->run();
    close_everything();
    return 0;
}

const Entry *find_scenario(const std::string &name) {
    for (const Entry &e : registry())
        if (e.name == name) return &e;
    return nullptr;
}

// "scenarios_keys.cpp" and "keys_scenarios.cpp" are both group "keys".
std::string group_of(const char *file) {
    std::string name = file;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name = name.substr(0, dot);
    const std::string prefix = "scenarios_", suffix = "_scenarios";
    if (name.compare(0, prefix.size(), prefix) == 0) return name.substr(prefix.size());
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        return name.substr(0, name.size() - suffix.size());
    return name;
}

int timeout_ms() {
    const int ms = atoi(env("QS_TIMEOUT_MS").c_str());
    return ms > 0 ? ms : kScenarioMs;
}

int exit_code() {
    return std::min(int(failures), kMaxFailures);
}

}  // namespace

// ---- checks -------------------------------------------------------------------

void fail(const char *file, int line, const std::string &what) {
    InterlockedIncrement(&failures);
    const char *base = strrchr(file, '/');
    print("FAIL " + std::string(base ? base + 1 : file) + ":" + std::to_string(line) + ": " + what);
}

std::string show(const std::string &s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + char(c);
        else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string show(long long v) {
    return std::to_string(v);
}

Register::Register(const char *name, Scenario run, const char *file) {
    registry().push_back({name, run, group_of(file)});
}

// ---- windows ------------------------------------------------------------------

HWND main_window() {
    const DWORD deadline = GetTickCount() + kAppearMs;
    for (;;) {
        HWND main = current_main();
        if (ready(main, kMainLayout.controls.last().id)) return main;
        if (LONG(deadline - GetTickCount()) <= 0) break;
        Sleep(kPollMs);
    }
    harness_fail("the main window did not become ready");
    return current_main();
}

HWND key_pair_window(int timeout_ms) {
    const DWORD deadline = GetTickCount() + DWORD(timeout_ms);
    for (;;) {
        HWND window = current_key_pair();
        if (ready(window, kKeyPairLayout.controls.last().id)) return window;
        if (LONG(deadline - GetTickCount()) <= 0) return nullptr;
        Sleep(kPollMs);
    }
}

std::string text_of(HWND window) {
    DWORD_PTR len = 0;
    if (!window || !send(window, WM_GETTEXTLENGTH, 0, 0, &len)) {
        harness_fail("cannot read the text of a window");
        return {};
    }
    std::string text(len + 1, '\0');
    DWORD_PTR got = 0;
    send(window, WM_GETTEXT, WPARAM(len + 1), reinterpret_cast<LPARAM>(text.data()), &got);
    text.resize(std::min<size_t>(got, len));
    return text;
}

std::string text_of(HWND parent, int id) {
    HWND w = control(parent, id);
    return w ? text_of(w) : std::string();
}

void set_text(HWND parent, int id, const std::string &text) {
    step("set_text(" + std::to_string(id) + ", " + show(text) + ")");
    HWND w = control(parent, id);
    if (w && !send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
        harness_fail("set_text was not handled in time (did a box open? use post_text)");
}

void post_text(HWND parent, int id, const std::string &text) {
    step("post_text(" + std::to_string(id) + ", " + show(text) + ")");
    HWND w = control(parent, id);
    if (w) on_gui_thread([w, text] { SetWindowTextA(w, text.c_str()); });
}

void click(HWND parent, int id) {
    step("click(" + std::to_string(id) + ")");
    HWND w = control(parent, id);
    if (!w) return;
    PostMessageA(w, BM_CLICK, 0, 0);
    settle_now();
}

void command(int id) {
    step("command(" + std::to_string(id) + ")");
    PostMessageA(main_window(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    settle_now();
}

void command_and_wait(int id) {
    step("command_and_wait(" + std::to_string(id) + ")");
    if (!send(main_window(), WM_COMMAND, MAKEWPARAM(id, 0), 0))
        harness_fail("command " + std::to_string(id) + " did not finish in time");
}

bool checked(HWND parent, int id) {
    HWND w = control(parent, id);
    DWORD_PTR state = 0;
    if (w && !send(w, BM_GETCHECK, 0, 0, &state)) harness_fail("cannot read a check box");
    return state == BST_CHECKED;
}

std::vector<std::string> menu_bar() {
    std::vector<std::string> out;
    HMENU bar = GetMenu(main_window());
    for (int i = 0; i < GetMenuItemCount(bar); i++) {
        char text[256] = {};
        GetMenuStringA(bar, UINT(i), text, sizeof text, MF_BYPOSITION);
        out.push_back(text);
    }
    return out;
}

std::vector<std::string> menu_items(int popup) {
    std::vector<std::string> out;
    HMENU menu = GetSubMenu(GetMenu(main_window()), popup);
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[256] = {};
        GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        out.push_back(text);
    }
    return out;
}

void settle() {
    settle_now();
}

void set_caps_lock(bool on) {
    step(std::string("set_caps_lock(") + (on ? "on" : "off") + ")");
    on_gui_thread([on] {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CAPITAL] = on ? 1 : 0;
        SetKeyboardState(keys);
    });
}

// ---- message boxes and dialogs ------------------------------------------------

Box wait_box(int timeout_ms) {
    const DWORD deadline = GetTickCount() + DWORD(timeout_ms);
    for (;;) {
        if (HWND w = find_box()) {
            // The box's own loop answers once it runs.
            SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, kSendMs, nullptr);
            Box box;
            box.window = w;
            box.caption = text_of(w);
            box.text = text_of(w, kBoxTextId);
            box.owner = GetWindow(w, GW_OWNER);
            return box;
        }
        if (LONG(deadline - GetTickCount()) <= 0) break;
        Sleep(kPollMs);
    }
    harness_fail("no message box within " + std::to_string(timeout_ms) + " ms");
    return {};
}

bool no_box(int ms) {
    const DWORD deadline = GetTickCount() + DWORD(ms);
    do {
        if (find_box()) return false;
        Sleep(kPollMs);
    } while (LONG(deadline - GetTickCount()) > 0);
    return true;
}

void answer(const Box &box, int button) {
    step("answer(" + show(box.caption) + ", " + std::to_string(button) + ")");
    if (!box.window) return;  // wait_box has reported it
    HWND b = GetDlgItem(box.window, button);
    if (!b) {
        harness_fail("the box " + show(box.caption) + " has no button " + std::to_string(button));
        return;
    }
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(b));
    if (!wait_gone(box.window, kCloseMs)) harness_fail("the box " + show(box.caption) + " stayed");
    settle_now();
}

std::string button_text(const Box &box, int button) {
    HWND b = box.window ? GetDlgItem(box.window, button) : nullptr;
    return b ? text_of(b) : std::string();
}

void answer_file_dialog(const std::string &title, const std::string &path) {
    step("answer_file_dialog(" + show(title) + ", " + show(path) + ")");
    const DWORD deadline = GetTickCount() + kAppearMs;
    HWND dialog = nullptr;
    while (!(dialog = find_file_dialog(title))) {
        if (LONG(deadline - GetTickCount()) <= 0) {
            harness_fail("no file dialog " + show(title));
            return;
        }
        Sleep(kPollMs);
    }
    send(dialog, WM_NULL, 0, 0);
    if (path.empty()) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     LPARAM(GetDlgItem(dialog, IDCANCEL)));
    } else {
        send(GetDlgItem(dialog, kFileNameId), WM_SETTEXT, 0,
             reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }
    // The dialog closes, or asks something in a box of its own.
    const DWORD closing = GetTickCount() + kCloseMs;
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        HWND box = find_box();
        if (box && GetWindow(box, GW_OWNER) == dialog) return;
        if (LONG(closing - GetTickCount()) <= 0) {
            harness_fail("the file dialog " + show(title) + " stayed");
            return;
        }
        Sleep(kPollMs);
    }
    settle_now();
}

// ---- drops --------------------------------------------------------------------

void drop(int id, const std::vector<std::string> &paths) {
    std::string list;
    for (const std::string &p : paths) list += p + '\0';
    list += '\0';
    step("drop(" + std::to_string(id) + ", " + std::to_string(paths.size()) + " items)");
    HWND field = control(main_window(), id);
    if (!field) return;
    // Filled as the shell fills it: the names in the system code page, one
    // after another, and an empty name at the end. The receiver frees it
    // with DragFinish.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    auto *files = static_cast<DROPFILES *>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    memcpy(reinterpret_cast<char *>(files) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    if (!PostMessageA(field, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0)) {
        GlobalFree(memory);
        harness_fail("the drop could not be posted");
        return;
    }
    settle_now();
}

// ---- files --------------------------------------------------------------------

std::string scratch() {
    if (scratch_folder.empty()) {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        const std::string root = std::string(temp) + "quillseal-scenarios";
        CreateDirectoryA(root.c_str(), nullptr);
        scratch_folder = root + "\\" + scenario_name;
        remove_tree(scratch_folder);
        if (!CreateDirectoryA(scratch_folder.c_str(), nullptr))
            harness_fail("cannot make the scratch folder " + scratch_folder);
    }
    return scratch_folder;
}

void write_file(const std::string &path, const std::string &bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) harness_fail("cannot write " + path);
}

std::string read_file(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        harness_fail("cannot read " + path);
        return {};
    }
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool exists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string secret_folder() {
    return appdata_folder() + "\\quillseal\\himitu";
}

std::string public_folder() {
    return appdata_folder() + "\\quillseal\\koukai";
}

void close_main() {
    step("close_main()");
    HWND main = current_main();
    if (!IsWindow(main)) return;
    PostMessageA(main, WM_CLOSE, 0, 0);
    const DWORD deadline = GetTickCount() + kCloseMs;
    while (IsWindow(main)) {
        if (LONG(deadline - GetTickCount()) <= 0) {
            harness_fail("the main window did not close");
            return;
        }
        Sleep(kPollMs);
    }
}

}  // namespace harness

using namespace harness;

// QS_SCENARIO=--list prints the scenarios (of group QS_GROUP, if set);
// QS_SCENARIO=--appdata prints the user's application data folder; any other
// value runs that scenario. The exit code is the program's own if it is not
// 0, else the number of failed checks.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitializeCriticalSection(&output_lock);
    scenario_name = env("QS_SCENARIO");
    if (scenario_name == "--list") {
        const std::string group = env("QS_GROUP");
        for (const Entry &e : registry())
            if (group.empty() || e.group == group) print(e.name);
        return 0;
    }
    if (scenario_name == "--appdata") {
        print(appdata_folder());
        return 0;
    }
    const Entry *entry = find_scenario(scenario_name);
    if (!entry) {
        print("no scenario " + show(scenario_name));
        return kExitUnknown;
    }

    gui_thread = GetCurrentThreadId();
    create_marker_window(instance);
    HANDLE thread =
        CreateThread(nullptr, 0, scenario_thread, const_cast<Entry *>(entry), 0, nullptr);
    // The watchdog: a scenario that hangs ends the process.
    CreateThread(
        nullptr, 0,
        [](LPVOID t) -> DWORD {
            if (WaitForSingleObject(HANDLE(t), DWORD(timeout_ms())) == WAIT_TIMEOUT) {
                fail("harness", 0,
                     "the scenario took longer than " + std::to_string(timeout_ms()) +
                         " ms (last step: " + last_action + ")");
                TerminateProcess(GetCurrentProcess(), DWORD(exit_code()));
            }
            return 0;
        },
        thread, 0, nullptr);

    const int program = run_program(instance);
    WaitForSingleObject(thread, INFINITE);
    if (failures == 0 && !scratch_folder.empty()) remove_tree(scratch_folder);
    print((failures ? "FAILED " : "passed ") + scenario_name);
    return program != 0 ? program : exit_code();
}
