// path_entry: the installer's one entry in a PATH stored in the registry,
// added or taken away again, whatever the length of the PATH. The installer
// runs it as
//   path_entry.exe add|remove USER|ALL FOLDER
// USER is the installing user's PATH (HKCU\Environment), ALL every user's
// (the machine's Session Manager environment); FOLDER is the rest of the
// command line, in double quotes or not: a folder that ends in "\" (a
// drive's top folder) is not taken for an escaped quote.
//
// The value is read and written whole, in its own type (REG_EXPAND_SZ or
// REG_SZ): every other entry, empty ones and unexpanded %NAME% ones included,
// keeps its characters and its place. An entry names the folder when it
// matches it regardless of case, of surrounding quotes and of a trailing
// "\". Adding appends the folder (in quotes if its name holds a ";")
// unless an entry names it already; removing takes out each entry that
// names it together with one separator, so that adding and then removing
// gives back the value as it was, and a value left empty is deleted rather
// than left behind.
//
// Exit code: 0 the PATH changed, 10 it had nothing to change (the folder was
// on it already, or was not on it), 2 the command line is wrong, 3 the
// registry could not be read or written (the PATH is then as it was).
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kChanged = 0;
constexpr int kUnchanged = 10;
constexpr int kUsage = 2;
constexpr int kFailed = 3;

constexpr wchar_t kUserKey[] = L"Environment";
constexpr wchar_t kMachineKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr wchar_t kValue[] = L"Path";

struct Request {
    std::wstring verb;    // "add" or "remove"
    std::wstring scope;   // "USER" or "ALL"
    std::wstring folder;  // the installation folder, as the installer has it
};

// The words of the command line after the program's path, the folder being
// the rest of the line after the second word.
bool read_request(Request *r) {
    const wchar_t *p = GetCommandLineW();
    if (*p == L'"') {
        p = wcschr(p + 1, L'"');
        p = p ? p + 1 : L"";
    } else {
        while (*p && *p != L' ' && *p != L'\t') p++;
    }
    auto word = [&p](std::wstring *out) {
        while (*p == L' ' || *p == L'\t') p++;
        const wchar_t *start = p;
        while (*p && *p != L' ' && *p != L'\t') p++;
        out->assign(start, p);
    };
    word(&r->verb);
    word(&r->scope);
    while (*p == L' ' || *p == L'\t') p++;
    r->folder = p;
    while (!r->folder.empty() && (r->folder.back() == L' ' || r->folder.back() == L'\t'))
        r->folder.pop_back();
    if (r->folder.size() >= 2 && r->folder.front() == L'"' && r->folder.back() == L'"')
        r->folder = r->folder.substr(1, r->folder.size() - 2);
    return (r->verb == L"add" || r->verb == L"remove") &&
           (r->scope == L"USER" || r->scope == L"ALL") && !r->folder.empty();
}

// An entry as a folder to compare: without surrounding quotes and trailing "\".
std::wstring bare(std::wstring entry) {
    if (entry.size() >= 2 && entry.front() == L'"' && entry.back() == L'"')
        entry = entry.substr(1, entry.size() - 2);
    while (!entry.empty() && entry.back() == L'\\') entry.pop_back();
    return entry;
}

bool names(const std::wstring &entry, const std::wstring &folder) {
    const std::wstring a = bare(entry), b = bare(folder);
    return !a.empty() && CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()),
                                              TRUE) == CSTR_EQUAL;
}

// The entries between separators; a ";" inside double quotes is part of
// its entry.
std::vector<std::wstring> entries_of(const std::wstring &path) {
    std::vector<std::wstring> entries(1);
    bool quoted = false;
    for (const wchar_t c : path) {
        if (c == L';' && !quoted) {
            entries.emplace_back();
            continue;
        }
        if (c == L'"') quoted = !quoted;
        entries.back() += c;
    }
    return entries;
}

// The folder appended (in quotes if its name holds a ";"): after a
// separator of its own, or, on a value that ends in one, before a new one
// in its place.
bool add_entry(std::wstring *path, const std::wstring &folder) {
    for (const std::wstring &e : entries_of(*path))
        if (names(e, folder)) return false;
    const std::wstring entry =
        folder.find(L';') == std::wstring::npos ? folder : L"\"" + folder + L"\"";
    if (path->empty())
        *path = entry;
    else if (path->back() == L';')
        *path += entry + L";";
    else
        *path += L";" + entry;
    return true;
}

// Each entry that names the folder goes with one separator; the others stay
// as they were, empty ones included.
bool remove_entry(std::wstring *path, const std::wstring &folder) {
    const std::vector<std::wstring> entries = entries_of(*path);
    std::wstring kept;
    bool first = true, removed = false;
    for (const std::wstring &e : entries) {
        if (names(e, folder)) {
            removed = true;
            continue;
        }
        if (!first) kept += L';';
        kept += e;
        first = false;
    }
    if (removed) *path = kept;
    return removed;
}

// The stored PATH; absent: empty, and *type REG_EXPAND_SZ, the type a new
// one gets. False when it cannot be read or is not text.
bool read_path(HKEY key, std::wstring *path, DWORD *type) {
    path->clear();
    *type = REG_EXPAND_SZ;
    for (;;) {
        DWORD bytes = 0;
        LSTATUS status = RegQueryValueExW(key, kValue, nullptr, type, nullptr, &bytes);
        if (status == ERROR_FILE_NOT_FOUND) {
            *type = REG_EXPAND_SZ;
            return true;
        }
        if (status != ERROR_SUCCESS || (*type != REG_SZ && *type != REG_EXPAND_SZ)) return false;
        std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = bytes;
        status = RegQueryValueExW(key, kValue, nullptr, type, reinterpret_cast<BYTE *>(data.data()),
                                  &got);
        // The value grew between the two reads: read it again.
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return false;
        path->assign(data.data(), got / sizeof(wchar_t));
        while (!path->empty() && path->back() == L'\0') path->pop_back();
        return true;
    }
}

bool write_path(HKEY key, const std::wstring &path, DWORD type) {
    if (path.empty()) {
        const LSTATUS status = RegDeleteValueW(key, kValue);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return RegSetValueExW(key, kValue, 0, type, reinterpret_cast<const BYTE *>(path.c_str()),
                          DWORD((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

int run(const Request &r) {
    const bool user = r.scope == L"USER";
    HKEY key;
    if (RegCreateKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                        user ? kUserKey : kMachineKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return kFailed;
    std::wstring path;
    DWORD type;
    int result = kFailed;
    if (read_path(key, &path, &type)) {
        const bool changed =
            r.verb == L"add" ? add_entry(&path, r.folder) : remove_entry(&path, r.folder);
        result = !changed ? kUnchanged : write_path(key, path, type) ? kChanged : kFailed;
    }
    RegCloseKey(key);
    // Programs started from now on (Explorer's, a new console) see the change.
    if (result == kChanged)
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                            reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000,
                            nullptr);
    return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Request r;
    return read_request(&r) ? run(r) : kUsage;
}
