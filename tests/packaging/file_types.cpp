// The three file types as the installer registers them, seen from the
// shell: a file of each type, opened as a double-click opens it, starts the
// installed program with that file selected, and the type's icon is the
// program's icon of that kind.
//   file_types.exe "C:\Program Files\Quillseal\quillgui.exe"
// The exit code is the number of failed checks.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

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

// Opens the file through the shell's "open" verb, as a double-click does,
// and checks which program started and which field shows the file.
void open_by_shell(const std::string &file, const std::string &program, int field_id) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info) || !info.hProcess) {
        check(false, "the shell did not start a program for " + file);
        return;
    }
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    QueryFullProcessImageNameA(info.hProcess, 0, image, &size);
    check(lstrcmpiA(image, program.c_str()) == 0, file + " opened with " + image);
    if (HWND main = main_window_of(info.hProcess)) {
        const std::string name = file.substr(file.rfind('\\') + 1);
        check(field(main, field_id) == name, file + " shows \"" + field(main, field_id) + "\"");
        PostMessageA(main, WM_CLOSE, 0, 0);
    } else {
        check(false, "no main window for " + file);
    }
    if (WaitForSingleObject(info.hProcess, kWaitMs) != WAIT_OBJECT_0) {
        check(false, "the program did not end for " + file);
        TerminateProcess(info.hProcess, 255);
    }
    CloseHandle(info.hProcess);
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
    for (const char *name : {"\\taro.velh", "\\hanako.velk", "\\report.txt.velm"})
        write_file(dir + name);

    open_by_shell(dir + "\\taro.velh", program, IDC_SECRET_FIELD);
    open_by_shell(dir + "\\hanako.velk", program, IDC_PUBLIC_FIELD);
    open_by_shell(dir + "\\report.txt.velm", program, IDC_FILE_FIELD);
    check_icon("Quillseal.SecretKey", program, kIconApp + 1);
    check_icon("Quillseal.PublicKey", program, kIconApp + 2);
    check_icon("Quillseal.Archive", program, kIconApp + 3);

    remove_tree(dir);
    std::printf("%s\n", failures ? "file types failed" : "file types passed");
    return failures;
}
