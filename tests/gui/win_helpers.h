// Small Windows helpers shared by the GUI test harness and the driver.
#ifndef QUILLGUI_TEST_WIN_HELPERS_H
#define QUILLGUI_TEST_WIN_HELPERS_H

#include <windows.h>

#include <shlobj.h>

#include <string>

// Code page 932 text as UTF-8, for logs that read the same on any terminal.
inline std::string to_utf8(const std::string &cp932) {
    if (cp932.empty()) return {};
    const int wide_len = MultiByteToWideChar(932, 0, cp932.data(), int(cp932.size()), nullptr, 0);
    std::wstring wide(size_t(wide_len), L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), int(cp932.size()), wide.data(), wide_len);
    const int len =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, out.data(), len, nullptr, nullptr);
    return out;
}

// Removes a folder with everything in it, read-only files included.
inline void remove_tree(const std::string &folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// The user's secret key folder, made to exist for a run so that the key
// pair window stays shut, and removed again if the run made it.
class SecretKeyFolder {
  public:
    SecretKeyFolder() {
        char appdata[MAX_PATH] = {};
        SHGetSpecialFolderPathA(nullptr, appdata, CSIDL_APPDATA, FALSE);
        base_ = std::string(appdata) + "\\quillseal";
        path_ = base_ + "\\himitu";
        made_base_ = CreateDirectoryA(base_.c_str(), nullptr);
        made_ = CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~SecretKeyFolder() {
        if (made_) RemoveDirectoryA(path_.c_str());
        if (made_base_) RemoveDirectoryA(base_.c_str());
    }
    const std::string &path() const { return path_; }

  private:
    std::string base_, path_;
    bool made_base_, made_;
};

// A folder of the given name under the system's temporary folder, made.
inline std::string temp_folder(const char *name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string dir = std::string(temp) + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

#endif
