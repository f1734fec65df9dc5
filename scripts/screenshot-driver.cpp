// Walks quillgui.exe through the scenes that scripts/screenshots saves: it
// starts the program on a first run with one file to encrypt, fills in and
// confirms the key pair window, picks the new public key in the open dialog,
// presses encrypt on a file whose archive exists already, so that the name
// conflict prompt comes up, and encrypts a large file, so that the
// information line shows its progress; then it starts the program twice as
// Explorer's verb does, for the two files. At each scene it writes NAME.rect
// (the screen rectangle to save) into the handshake folder and waits for
// NAME.done. The exit code is the program's, or 99 when a step failed.
//   screenshot-driver HANDSHAKE_FOLDER FILE_TO_ENCRYPT LARGE_FILE
// With --main-window it starts the program once more, after the walk made the
// key pair, for the file, picks both keys in the open dialogs, types the
// password and saves the main window as the scene NAME (the script does so
// at each DPI it sets):
//   screenshot-driver --main-window NAME HANDSHAKE_FOLDER FILE_TO_ENCRYPT
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app.h"
#include "strings.h"

namespace {

constexpr char kUserId[] = "山田太郎";
constexpr char kPassword[] = "quillseal-sample";
constexpr int kTimeoutMs = 20000;

std::string handshake;
DWORD program_pid = 0;

[[noreturn]] void fail(const char *what);

// Starts quillgui.exe from the current folder with the arguments.
PROCESS_INFORMATION start(const std::string &arguments) {
    std::string command = "quillgui.exe " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        fail("quillgui.exe does not start");
    return pi;
}

void fail(const char *what) {
    std::fprintf(stderr, "screenshot-driver: %s\n", what);
    std::exit(99);
}

template <typename Test>
void wait_for(Test test, const char *what) {
    for (int waited = 0; !test(); waited += 50) {
        if (waited > kTimeoutMs) fail(what);
        Sleep(50);
    }
}

std::string text_of(HWND window) {
    char buffer[512] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, LPARAM(buffer), SMTO_BLOCK, 2000,
                        nullptr);
    return buffer;
}

// A visible top-level window of the program with this class and, if given,
// this title or this body text (message boxes keep theirs in control 0xFFFF).
HWND find_window(const char *cls, const char *title, const char *body = nullptr) {
    struct Query {
        const char *cls, *title, *body;
        HWND found;
    } q = {cls, title, body, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto *q = reinterpret_cast<Query *>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (pid != program_pid || !IsWindowVisible(w) || strcmp(cls, q->cls) != 0) return TRUE;
            if (q->title && text_of(w) != q->title) return TRUE;
            if (q->body && text_of(GetDlgItem(w, 0xFFFF)) != q->body) return TRUE;
            q->found = w;
            return FALSE;
        },
        LPARAM(&q));
    return q.found;
}

HWND wait_window(const char *cls, const char *title, const char *body = nullptr) {
    HWND found = nullptr;
    wait_for([&] { return (found = find_window(cls, title, body)) != nullptr; },
             title ? title : body);
    // Let the window finish painting before anything looks at it.
    SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_BLOCK, 2000, nullptr);
    Sleep(500);
    return found;
}

void set_text(HWND parent, int id, const char *text) {
    SendMessageA(GetDlgItem(parent, id), WM_SETTEXT, 0, LPARAM(text));
}

// Hands the window's rectangle to the script and waits until it is saved.
void scene(const char *name, HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    RECT r;
    GetWindowRect(window, &r);
    const std::string base = handshake + "\\" + name;
    if (FILE *f = std::fopen((base + ".part").c_str(), "w")) {
        std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fclose(f);
    }
    MoveFileA((base + ".part").c_str(), (base + ".rect").c_str());
    wait_for(
        [&] { return GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; },
        "the screenshot was not taken");
}

// The user's key file of the walk's key pair.
std::string key_file(rules::Kind kind) {
    char appdata[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, appdata, CSIDL_APPDATA, FALSE);
    const char *folder =
        kind == rules::kSecretKey ? rules::kSecretKeyFolder : rules::kPublicKeyFolder;
    return std::string(appdata) + "\\" + rules::kKeyFolder + "\\" + folder + "\\" + kUserId +
           rules::extension(kind);
}

// Picks a file in the open dialog that the button opens.
void choose(HWND main_window, int button, const char *title, const std::string &path) {
    PostMessageA(GetDlgItem(main_window, button), BM_CLICK, 0, 0);
    HWND dialog = wait_window("#32770", title);
    set_text(dialog, 0x47C, path.c_str());
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    wait_for([&] { return !IsWindow(dialog); }, "the open dialog stays open");
}

// The main window with a file, both keys and the password, as the scene name.
int main_window_scene(const char *name, const char *file) {
    PROCESS_INFORMATION pi = start(std::string("\"") + file + "\"");
    program_pid = pi.dwProcessId;
    HWND main_window = wait_window(text::kClassName, text::kMainTitle);
    choose(main_window, IDC_SECRET_BUTTON, text::kSelectSecretTitle, key_file(rules::kSecretKey));
    choose(main_window, IDC_PUBLIC_BUTTON, text::kSelectPublicTitle, key_file(rules::kPublicKey));
    set_text(main_window, IDC_PASSWORD, kPassword);
    const std::string shown = std::string(kUserId) + rules::extension(rules::kPublicKey);
    wait_for([&] { return text_of(GetDlgItem(main_window, IDC_PUBLIC_FIELD)) == shown; },
             "the public key is not selected");
    scene(name, main_window);
    PostMessageA(main_window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, kTimeoutMs) != WAIT_OBJECT_0)
        fail("the program stays open");
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    return int(code);
}

}  // namespace

int main(int argc, char **argv) {
    // Rectangles of the program's windows in the screen's pixels at any DPI,
    // not in those of a program that knows only 96 DPI.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc == 5 && strcmp(argv[1], "--main-window") == 0) {
        handshake = argv[3];
        return main_window_scene(argv[2], argv[4]);
    }
    if (argc != 4) fail("usage: screenshot-driver HANDSHAKE_FOLDER FILE_TO_ENCRYPT LARGE_FILE");
    handshake = argv[1];

    PROCESS_INFORMATION pi = start(std::string("\"") + argv[2] + "\"");
    program_pid = pi.dwProcessId;

    // A first run: the key pair window comes up over the main window.
    HWND pair = wait_window(text::kClassName, text::kKeyPairTitle);
    set_text(pair, IDK_USER_ID, kUserId);
    set_text(pair, IDK_FIRST, kPassword);
    set_text(pair, IDK_SECOND, kPassword);
    scene("key-pair-window", pair);
    PostMessageA(GetDlgItem(pair, IDK_CREATE), BM_CLICK, 0, 0);
    wait_for([&] { return !IsWindow(pair); }, "the key pair window stays open");

    // The new pair's public key, chosen in the open dialog.
    HWND main_window = wait_window(text::kClassName, text::kMainTitle);
    choose(main_window, IDC_PUBLIC_BUTTON, text::kSelectPublicTitle, key_file(rules::kPublicKey));
    const std::string shown = std::string(kUserId) + rules::extension(rules::kPublicKey);
    wait_for([&] { return text_of(GetDlgItem(main_window, IDC_PUBLIC_FIELD)) == shown; },
             "the public key is not selected");
    scene("main-window", main_window);

    // The archive exists already: the library asks what to do, in its own
    // words.
    PostMessageA(GetDlgItem(main_window, IDC_ENCRYPT), BM_CLICK, 0, 0);
    HWND prompt =
        wait_window("#32770", nullptr, "同名のファイルが既に存在します。どう処理しますか。");
    scene("conflict-prompt", prompt);
    PostMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
    wait_for([&] { return text_of(GetDlgItem(main_window, IDC_INFO)) == text::kEncrypted; },
             "the encryption does not end");

    // A large file, chosen in the open dialog and encrypted: the information
    // line shows how far the call has come.
    choose(main_window, IDC_FILE_BUTTON, text::kSelectFileTitle, argv[3]);
    PostMessageA(GetDlgItem(main_window, IDC_ENCRYPT), BM_CLICK, 0, 0);
    wait_for(
        [&] { return text_of(GetDlgItem(main_window, IDC_INFO)).find('%') != std::string::npos; },
        "no progress is shown");
    Sleep(1500);
    scene("progress", main_window);
    wait_for([&] { return text_of(GetDlgItem(main_window, IDC_INFO)) == text::kEncrypted; },
             "the encryption does not end");

    PostMessageA(main_window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, kTimeoutMs) != WAIT_OBJECT_0)
        fail("the program stays open");
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    if (code != 0) return int(code);

    // Two files chosen together in Explorer, "Quillseal で暗号化": the shell
    // starts the program once for each, and one window holds both.
    const std::string folder(argv[2], strrchr(argv[2], '\\') + 1 - argv[2]);
    PROCESS_INFORMATION first = start("/shell \"" + std::string(argv[2]) + "\"");
    program_pid = first.dwProcessId;
    HWND gathered = wait_window(text::kClassName, text::kMainTitle);
    PROCESS_INFORMATION second = start("/shell \"" + std::string(argv[3]) + "\"");
    if (WaitForSingleObject(second.hProcess, kTimeoutMs) != WAIT_OBJECT_0)
        fail("the second start stays open");
    wait_for([&] { return text_of(GetDlgItem(gathered, IDC_INFO)).find('2') == 0; },
             "the second item is not gathered");
    scene("shell-selection", gathered);
    PostMessageA(gathered, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(first.hProcess, kTimeoutMs) != WAIT_OBJECT_0)
        fail("the program stays open");
    GetExitCodeProcess(first.hProcess, &code);
    return int(code);
}
