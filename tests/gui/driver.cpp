// The release quillgui.exe from outside, as another program sees it: started
// with various command lines, its fields read with WM_GETTEXT, a message box
// found among the top-level windows and answered, the window closed and the
// exit code checked. quillgui.exe is looked for beside this program; the
// exit code is the number of failed checks.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app.h"
#include "strings.h"
#include "win_helpers.h"

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr int kBoxTextId = 0xFFFF;

int failures = 0;
std::string current_case;

void print(const std::string &line) {
    fputs((to_utf8(line) + "\n").c_str(), stdout);
    fflush(stdout);
}

void check(bool ok, int line, const std::string &what) {
    if (ok) return;
    failures++;
    print("FAIL driver.cpp:" + std::to_string(line) + " [" + current_case + "]: " + what);
}
#define CHECK(cond) check((cond), __LINE__, #cond)
#define CHECK_EQ(a, b) \
    check((a) == (b), __LINE__, std::string(#a " == " #b ": \"") + (a) + "\" vs \"" + (b) + "\"")

bool expired(DWORD deadline) {
    return LONG(deadline - GetTickCount()) <= 0;
}

std::string text_of(HWND window) {
    char text[1024] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_NORMAL, kWaitMs, &got))
        check(false, __LINE__, "WM_GETTEXT was not answered");
    return text;
}

// The caption of another process's window, read without a message.
std::string title_of(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

std::string class_of(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The visible top-level windows of a process.
std::vector<HWND> windows_of(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search = {pid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto *s = reinterpret_cast<Search *>(p);
            DWORD owner_pid = 0;
            GetWindowThreadProcessId(w, &owner_pid);
            if (owner_pid == s->pid && IsWindowVisible(w)) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One run of the program.
struct Program {
    PROCESS_INFORMATION process = {};
    HWND main = nullptr;
};

std::string program_path() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    *(strrchr(path, '\\') + 1) = '\0';
    return std::string(path) + "quillgui.exe";
}

std::wstring widen(const std::string &native) {
    std::wstring wide(native.size() + 1, L'\0');
    wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, native.c_str(), int(native.size()),
                                           wide.data(), int(wide.size()))));
    return wide;
}

// Starts the program with a command line as the shell gives it (wide, so it
// may hold what the code page cannot) and waits until its main window is
// visible, has all its controls and answers (WaitForInputIdle alone returns
// too early).
Program start_wide(const std::wstring &arguments) {
    Program p;
    std::wstring command_line = L"\"" + widen(program_path()) + L"\"";
    if (!arguments.empty()) command_line += L" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &p.process)) {
        check(false, __LINE__, "cannot start the program");
        return p;
    }
    const DWORD deadline = GetTickCount() + kWaitMs;
    while (!expired(deadline)) {
        for (HWND w : windows_of(p.process.dwProcessId))
            if (class_of(w) == text::kClassName && title_of(w) == kMainLayout.title &&
                GetDlgItem(w, kMainLayout.controls.last().id))
                p.main = w;
        if (p.main) break;
        Sleep(20);
    }
    if (!p.main) {
        check(false, __LINE__, "the main window did not appear");
        return p;
    }
    WaitForInputIdle(p.process.hProcess, kWaitMs);
    SendMessageTimeoutA(p.main, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, nullptr);
    return p;
}

Program start(const std::string &arguments) {
    return start_wide(widen(arguments));
}

// The code page's nearest form of wide text, as a message shows it.
std::string nearest(const std::wstring &wide) {
    char out[64] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), out, sizeof out - 1, nullptr,
                        nullptr);
    return out;
}

std::string field(const Program &p, int id) {
    return text_of(GetDlgItem(p.main, id));
}

// The program's message box if one is up: a visible dialog with a text
// control.
HWND box_of(const Program &p) {
    for (HWND w : windows_of(p.process.dwProcessId))
        if (class_of(w) == "#32770" && GetDlgItem(w, kBoxTextId)) return w;
    return nullptr;
}

// The program's message box, once it is up.
HWND wait_box(const Program &p) {
    const DWORD deadline = GetTickCount() + kWaitMs;
    while (!expired(deadline)) {
        if (HWND box = box_of(p)) return box;
        Sleep(20);
    }
    check(false, __LINE__, "no message box appeared");
    return nullptr;
}

// Closes the main window and checks that the process ends with 0. A
// program that does not end is ended here, by its own handle.
void finish(Program &p) {
    if (!p.process.hProcess) return;
    if (p.main) PostMessageA(p.main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(p.process.hProcess, kWaitMs) != WAIT_OBJECT_0) {
        check(false, __LINE__, "the program did not end");
        TerminateProcess(p.process.hProcess, 255);
        WaitForSingleObject(p.process.hProcess, kWaitMs);
    }
    DWORD code = 255;
    GetExitCodeProcess(p.process.hProcess, &code);
    check(code == 0, __LINE__, "exit code " + std::to_string(code));
    CloseHandle(p.process.hProcess);
    CloseHandle(p.process.hThread);
}

void write_file(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    WriteFile(file, "data", 4, &written, nullptr);
    CloseHandle(file);
}

std::string count_line(int n) {
    return std::to_string(n) + text::kFilesSelected;
}

// What the program shows for one command line.
struct Shown {
    std::string secret, publ, file, info;
};

void expect(const std::string &name, const std::string &arguments, const Shown &want) {
    current_case = name;
    const int before = failures;
    Program p = start(arguments);
    if (p.main) {
        // A box from the command line is up before the window answers.
        CHECK(box_of(p) == nullptr);
        CHECK_EQ(field(p, IDC_SECRET_FIELD), want.secret);
        CHECK_EQ(field(p, IDC_PUBLIC_FIELD), want.publ);
        CHECK_EQ(field(p, IDC_FILE_FIELD), want.file);
        CHECK_EQ(field(p, IDC_INFO), want.info);
        CHECK_EQ(field(p, IDC_INFO_LABEL), text::kInfoLabel);
    }
    finish(p);
    print((failures > before ? "failed " : "ok ") + name);
}

// Without the secret key folder the key pair window comes first; closed,
// it leaves the main window enabled with the command line's selection.
void first_run(const std::string &secret, const std::string &arguments) {
    current_case = "first run";
    if (!RemoveDirectoryA(secret.c_str())) {
        print("skipped first run: the secret key folder is not empty");
        return;
    }
    const int before = failures;
    Program p = start(arguments);
    HWND pair = nullptr;
    const DWORD deadline = GetTickCount() + kWaitMs;
    while (p.main && !pair && !expired(deadline)) {
        for (HWND w : windows_of(p.process.dwProcessId))
            if (title_of(w) == kKeyPairLayout.title) pair = w;
        Sleep(20);
    }
    CHECK(pair != nullptr);
    if (pair) {
        CHECK(GetWindow(pair, GW_OWNER) == p.main);
        CHECK(!IsWindowEnabled(p.main));
        PostMessageA(pair, WM_CLOSE, 0, 0);
        const DWORD closing = GetTickCount() + kWaitMs;
        while (IsWindow(pair) && !expired(closing)) Sleep(20);
        SendMessageTimeoutA(p.main, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, nullptr);
        CHECK(!IsWindow(pair));
        CHECK(IsWindowEnabled(p.main));
        CHECK_EQ(field(p, IDC_FILE_FIELD), "x.txt");
        CHECK_EQ(field(p, IDC_INFO), count_line(2));
    }
    finish(p);
    CreateDirectoryA(secret.c_str(), nullptr);
    print((failures > before ? "failed " : "ok ") + current_case);
}

// Starting with these arguments shows the caution box with this text and
// selects nothing.
void refused(const char *name, const std::wstring &arguments, const std::string &body) {
    current_case = name;
    const int before = failures;
    Program p = start_wide(arguments);
    if (p.main) {
        if (HWND box = wait_box(p)) {
            CHECK_EQ(text_of(box), text::kCaution);
            CHECK_EQ(text_of(GetDlgItem(box, kBoxTextId)), body);
            PostMessageA(box, WM_COMMAND, IDOK, LPARAM(GetDlgItem(box, IDOK)));
            const DWORD deadline = GetTickCount() + kWaitMs;
            while (IsWindow(box) && !expired(deadline)) Sleep(20);
        }
        CHECK_EQ(field(p, IDC_FILE_FIELD), text::kFileHint);
        CHECK_EQ(field(p, IDC_INFO), "");
    }
    finish(p);
    print((failures > before ? "failed " : "ok ") + current_case);
}

}  // namespace

int main() {
    // The user's secret key folder exists, so the key pair window stays shut.
    const SecretKeyFolder keys;
    const std::string &secret = keys.path();
    const std::string dir = temp_folder("quillseal-driver");
    CreateDirectoryA((dir + "\\My Files").c_str(), nullptr);
    CreateDirectoryA((dir + "\\folder").c_str(), nullptr);
    for (const char *name :
         {"\\x.txt", "\\y.txt", "\\My Files\\a.txt", "\\My Files\\b.txt", "\\TARO.VELH",
          "\\表示.txt", "\\folder\\1", "\\folder\\2", "\\folder\\3"})
        write_file(dir + name);

    const Shown hints = {text::kSecretHint, text::kPublicHint, text::kFileHint, ""};
    expect("no arguments", "", hints);
    expect("secret key", dir + "\\taro.velh",
           {"taro.velh", text::kPublicHint, text::kFileHint, ""});
    // A key file first selects that key whatever follows: items of another
    // folder, or one too long to be an item.
    const std::string long_name = dir + "\\" + std::string(260, 'n');
    expect("secret key, then items of another folder",
           dir + "\\folder\\taro.velh " + dir + "\\x.txt \"" + dir + "\\My Files\\a.txt\"",
           {"taro.velh", text::kPublicHint, text::kFileHint, ""});
    expect("public key and more", dir + "\\hanako.velk " + dir + "\\folder\\1 " + long_name,
           {text::kSecretHint, "hanako.velk", text::kFileHint, ""});
    expect("two files", dir + "\\x.txt " + dir + "\\y.txt",
           {text::kSecretHint, text::kPublicHint, "x.txt", count_line(2)});
    expect("quoted blanks", "\"" + dir + "\\My Files\\a.txt\"  \"" + dir + "\\My Files\\b.txt\"",
           {text::kSecretHint, text::kPublicHint, "a.txt", count_line(2)});
    expect("quotes inside a token", dir + "\\\"My Files\"\\a.txt",
           {text::kSecretHint, text::kPublicHint, "a.txt", count_line(1)});
    expect("upper-case key extension", dir + "\\TARO.VELH",
           {"TARO.VELH", text::kPublicHint, text::kFileHint, ""});
    expect("double-byte name", dir + "\\表示.txt",
           {text::kSecretHint, text::kPublicHint, "表示.txt", count_line(1)});
    expect("folder", dir + "\\folder",
           {text::kSecretHint, text::kPublicHint, "folder", count_line(3)});

    first_run(secret, dir + "\\x.txt " + dir + "\\y.txt");

    // An item the library could not be given as it is selects nothing and is
    // named: too long for a path buffer (it would reach the library cut
    // short), a name outside the code page (its nearest form could name
    // another file), an item in another folder than the first.
    refused("over-long argument", widen(dir + "\\x.txt " + long_name),
            std::string(text::kPathTooLong) + "\n" + long_name);
    refused(
        "argument outside the code page", widen(dir) + L"\\caf\u00e9.txt",
        std::string(text::kArgumentNotNative) + "\n" + dir + "\\caf" + nearest(L"\u00e9") + ".txt");
    refused("items of two folders", widen(dir + "\\x.txt \"" + dir + "\\My Files\\a.txt\""),
            std::string(text::kNotOneFolder) + "\n" + dir + "\\My Files\\a.txt");

    // Explorer starts the program once for each item of a selection, with
    // "/shell" before it: the later starts hand their items to the first
    // one's window and end, so one window holds the whole selection.
    current_case = "shell starts gathered";
    int gathered_before = failures;
    Program first = start("/shell \"" + dir + "\\x.txt\"");
    if (first.main) {
        CHECK_EQ(field(first, IDC_FILE_FIELD), "x.txt");
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION second = {};
        std::wstring line =
            L"\"" + widen(program_path()) + L"\" /shell \"" + widen(dir + "\\y.txt") + L"\"";
        CHECK(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &second));
        DWORD code = 255;
        CHECK(WaitForSingleObject(second.hProcess, kWaitMs) == WAIT_OBJECT_0);
        GetExitCodeProcess(second.hProcess, &code);
        CHECK(code == 0);
        CHECK(windows_of(second.dwProcessId).empty());
        CloseHandle(second.hProcess);
        CloseHandle(second.hThread);
        CHECK_EQ(field(first, IDC_FILE_FIELD), "x.txt");
        CHECK_EQ(field(first, IDC_INFO), count_line(2));
    }
    finish(first);
    print((failures > gathered_before ? "failed " : "ok ") + current_case);

    // A box of the program, found from outside and answered.
    current_case = "about box";
    const int before = failures;
    Program p = start("");
    if (p.main) {
        PostMessageA(p.main, WM_COMMAND, IDM_ABOUT, 0);
        if (HWND box = wait_box(p)) {
            CHECK_EQ(text_of(box), text::kAboutCaption);
            CHECK_EQ(text_of(GetDlgItem(box, kBoxTextId)), text::kAboutText);
            CHECK(GetWindow(box, GW_OWNER) == p.main);
            PostMessageA(box, WM_COMMAND, IDOK, LPARAM(GetDlgItem(box, IDOK)));
            const DWORD deadline = GetTickCount() + kWaitMs;
            while (IsWindow(box) && !expired(deadline)) Sleep(20);
            CHECK(!IsWindow(box));
            CHECK(IsWindowEnabled(p.main));
        }
    }
    finish(p);
    print((failures > before ? "failed " : "ok ") + current_case);

    remove_tree(dir);
    print(failures ? std::to_string(failures) + " checks failed" : "all driver cases passed");
    return failures;
}
