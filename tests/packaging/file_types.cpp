// What the installer registers, seen from the shell: a file of each of the
// three types (the list the programs compile in), opened as a double-click
// opens it, starts the installed program with that file selected, and the
// type's icon is the program's icon of that kind; Explorer's verbs and the
// Send To entry, each started with two items, open one window that holds
// both.
//   file_types.exe "C:\Program Files\Quillseal\quillgui.exe"
// The exit code is the number of failed checks.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app.h"
#include "strings.h"
#include "win_helpers.h"

namespace {

constexpr DWORD kWaitMs = 20000;

int failures = 0;

void check(bool ok, const std::string &what) {
    if (ok) return;
    failures++;
    std::printf("FAIL %s\n", to_utf8(what).c_str());
    std::fflush(stdout);
}

// The program's main window once it has all its controls and answers, as
// the program's driver waits for it.
HWND main_window_of(HANDLE process) {
    const DWORD pid = GetProcessId(process);
    const DWORD deadline = GetTickCount() + kWaitMs;
    while (LONG(deadline - GetTickCount()) > 0) {
        struct Search {
            DWORD pid;
            HWND found;
        } search = {pid, nullptr};
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto *s = reinterpret_cast<Search *>(p);
                DWORD owner = 0;
                char name[64] = {};
                GetWindowThreadProcessId(w, &owner);
                GetClassNameA(w, name, sizeof name);
                char title[64] = {};
                GetWindowTextA(w, title, sizeof title);
                if (owner == s->pid && IsWindowVisible(w) &&
                    std::string(name) == text::kClassName &&
                    std::string(title) == kMainLayout.title &&
                    GetDlgItem(w, kMainLayout.controls.last().id))
                    s->found = w;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            WaitForInputIdle(process, kWaitMs);
            SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, nullptr);
            return search.found;
        }
        Sleep(50);
    }
    return nullptr;
}

std::string field(HWND window, int id) {
    char text[MAX_PATH] = {};
    SendMessageTimeoutA(GetDlgItem(window, id), WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kWaitMs, nullptr);
    return text;
}

// Checks which program a start of the shell ran, and what its one window
// shows in the field, and in the information line when given; closes it.
void expect_window(HANDLE process, const std::string &program, const std::string &what,
                   int field_id, const std::string &shown, const std::string &info = "") {
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    QueryFullProcessImageNameA(process, 0, image, &size);
    check(lstrcmpiA(image, program.c_str()) == 0, what + " opened with " + image);
    if (HWND main = main_window_of(process)) {
        check(field(main, field_id) == shown, what + " shows \"" + field(main, field_id) + "\"");
        if (!info.empty())
            check(field(main, IDC_INFO) == info, what + " says \"" + field(main, IDC_INFO) + "\"");
        PostMessageA(main, WM_CLOSE, 0, 0);
    } else {
        check(false, "no main window for " + what);
    }
    if (WaitForSingleObject(process, kWaitMs) != WAIT_OBJECT_0) {
        check(false, "the program did not end for " + what);
        TerminateProcess(process, 255);
    }
    CloseHandle(process);
}

std::string shell_folder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return path;
}

std::string name_of(const std::string &path) {
    return path.substr(path.rfind('\\') + 1);
}

// Starts the verb on the file through the shell, as Explorer does; the
// started process, or null.
HANDLE shell_verb(const char *verb, const std::string &file) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = verb;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info) || !info.hProcess) {
        check(false, std::string("the shell did not start ") + verb + " for " + file);
        return nullptr;
    }
    return info.hProcess;
}

// Opens the file through the shell's "open" verb, as a double-click does,
// and checks which program started and which field shows the file.
void open_by_shell(const std::string &file, const std::string &program, int field_id) {
    if (HANDLE process = shell_verb("open", file))
        expect_window(process, program, file, field_id, name_of(file));
}

// Starts a command line as the shell starts a verb's command; the process.
HANDLE start(std::string command) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        check(false, "cannot start " + command);
        return nullptr;
    }
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The registered command of a verb with "%1" standing for the item.
std::string verb_command(const std::string &key, const std::string &item) {
    char value[2 * MAX_PATH] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CLASSES_ROOT, (key + "\\command").c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                 value, &size);
    std::string command = value;
    const size_t at = command.find("%1");
    if (at == std::string::npos) {
        check(false, key + " has no command with %1: " + command);
        return command;
    }
    return command.replace(at, 2, item);
}

// Explorer starts a verb once for each selected item, one after the other;
// the second start hands its item to the first one's window and ends. The
// window shows the first item and counts both.
void verb_on_two(const std::string &key, const char *verb, const std::string &first,
                 const std::string &second, const std::string &program) {
    // The shell dispatches verbs of a file's own type; those for every file
    // and for folders it does not everywhere, so those are started from
    // their registered command, as the shell would.
    const bool own_type = key.rfind("Quillseal.", 0) == 0;
    HANDLE one = own_type ? shell_verb(verb, first) : start(verb_command(key, first));
    if (!one) return;
    if (!main_window_of(one)) check(false, "no window for " + key);
    HANDLE two = own_type ? shell_verb(verb, second) : start(verb_command(key, second));
    if (two) {
        DWORD code = 255;
        check(WaitForSingleObject(two, kWaitMs) == WAIT_OBJECT_0, key + ": the second start stays");
        GetExitCodeProcess(two, &code);
        check(code == 0, key + ": the second start ended with " + std::to_string(code));
        CloseHandle(two);
    }
    expect_window(one, program, key, IDC_FILE_FIELD, name_of(first),
                  std::to_string(2) + text::kFilesSelected);
}

// The Send To entry is a shortcut to the program; Explorer starts its target
// with its arguments and every item after them, in one start.
void send_to_two(const std::string &link, const std::string &first, const std::string &second,
                 const std::string &program) {
    CoInitialize(nullptr);
    IShellLinkW *shortcut = nullptr;
    IPersistFile *file = nullptr;
    wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
    std::wstring wide(link.begin(), link.end());
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void **>(&shortcut))) ||
        FAILED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) ||
        FAILED(file->Load(wide.c_str(), STGM_READ)) ||
        FAILED(shortcut->GetPath(target, MAX_PATH, nullptr, 0)) ||
        FAILED(shortcut->GetArguments(arguments, MAX_PATH))) {
        check(false, "cannot read " + link);
    } else {
        char narrow_target[MAX_PATH] = {}, narrow_arguments[MAX_PATH] = {};
        WideCharToMultiByte(CP_ACP, 0, target, -1, narrow_target, MAX_PATH, nullptr, nullptr);
        WideCharToMultiByte(CP_ACP, 0, arguments, -1, narrow_arguments, MAX_PATH, nullptr, nullptr);
        if (HANDLE one = start("\"" + std::string(narrow_target) + "\" " + narrow_arguments +
                               " \"" + first + "\" \"" + second + "\""))
            expect_window(one, program, "Send To", IDC_FILE_FIELD, name_of(first),
                          std::to_string(2) + text::kFilesSelected);
    }
    if (file) file->Release();
    if (shortcut) shortcut->Release();
    CoUninitialize();
}

// The pixels of an icon's colour bitmap.
std::vector<char> pixels(HICON icon) {
    ICONINFO parts = {};
    if (!icon || !GetIconInfo(icon, &parts)) return {};
    BITMAP bitmap = {};
    GetObjectA(parts.hbmColor, sizeof bitmap, &bitmap);
    std::vector<char> bits(size_t(bitmap.bmWidthBytes) * size_t(bitmap.bmHeight));
    GetBitmapBits(parts.hbmColor, LONG(bits.size()), bits.data());
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    return bits;
}

HICON extract(const std::string &path, int index) {
    HICON icon = nullptr;
    ExtractIconExA(path.c_str(), index, &icon, nullptr, 1);
    return icon;
}

// The type's DefaultIcon ("path,index") names the icon group resource_id of
// the program.
void check_icon(const std::string &prog_id, const std::string &program, int resource_id) {
    char value[MAX_PATH + 16] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CLASSES_ROOT, (prog_id + "\\DefaultIcon").c_str(), nullptr, RRF_RT_REG_SZ,
                 nullptr, value, &size);
    const std::string location = value;
    const size_t comma = location.rfind(',');
    if (comma == std::string::npos) {
        check(false, prog_id + " has no icon");
        return;
    }
    const std::string path = location.substr(0, comma);
    check(lstrcmpiA(path.c_str(), program.c_str()) == 0, prog_id + " icon in " + path);
    HICON registered = extract(path, std::atoi(location.c_str() + comma + 1));
    HICON wanted = extract(program, -resource_id);  // a negative index is a resource id
    const std::vector<char> got = pixels(registered);
    check(!got.empty() && got == pixels(wanted),
          prog_id + " icon is not group " + std::to_string(resource_id) + ": " + location);
    DestroyIcon(registered);
    DestroyIcon(wanted);
}

void write_file(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::printf("usage: file_types PROGRAM\n");
        return 64;
    }
    const std::string program = argv[1];

    // With the secret key folder present the key pair window stays shut.
    const SecretKeyFolder keys;
    const std::string dir = temp_folder("quillseal-file-types");
    const int fields[] = {IDC_SECRET_FIELD, IDC_PUBLIC_FIELD, IDC_FILE_FIELD};
    for (const rules::FileType &type : rules::kFileTypes) {
        const std::string sample = dir + "\\sample" + type.extension;
        write_file(sample);
        open_by_shell(sample, program, fields[&type - rules::kFileTypes]);
        check_icon(type.prog_id, program, kIconApp + type.icon);
    }

    for (const char *name : {"\\x.txt", "\\y.txt", "\\a.velm", "\\b.velm"}) write_file(dir + name);
    // A folder counts the files in it.
    CreateDirectoryA((dir + "\\f").c_str(), nullptr);
    CreateDirectoryA((dir + "\\g").c_str(), nullptr);
    write_file(dir + "\\f\\1");
    write_file(dir + "\\g\\1");
    verb_on_two("*\\shell\\Quillseal.Encrypt", "Quillseal.Encrypt", dir + "\\x.txt",
                dir + "\\y.txt", program);
    verb_on_two("Directory\\shell\\Quillseal.Encrypt", "Quillseal.Encrypt", dir + "\\f",
                dir + "\\g", program);
    verb_on_two("Quillseal.Archive\\shell\\Quillseal.Decrypt", "Quillseal.Decrypt",
                dir + "\\a.velm", dir + "\\b.velm", program);
    send_to_two(shell_folder(CSIDL_SENDTO) + "\\Quillseal.lnk", dir + "\\x.txt", dir + "\\f",
                program);

    remove_tree(dir);
    std::printf("%s\n", failures ? "file types failed" : "file types passed");
    return failures;
}
