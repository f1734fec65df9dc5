// The resources of the Windows build as Windows loads them: quillgui's icons
// and wait cursor (sizes, colours, hot spot, and masks that agree with the
// colour pixels: a transparent pixel with a colour would show as an inverted
// spot on the screen), the version record of every DLL and program, and the
// manifest of each program as the loader reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "quill_version.h"

namespace {

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
    GroupEntry entries[1];
};
#pragma pack(pop)

struct Pixels {
    int width = 0, height = 0;
    bool icon = false;
    int hot_x = 0, hot_y = 0;
    std::vector<bool> transparent;  // top row first
    std::vector<COLORREF> colour;

    bool clear(int x, int y) const { return transparent[size_t(y * width + x)]; }
    int opaque() const {
        int n = 0;
        for (bool t : transparent) n += !t;
        return n;
    }
};

// Reads a bitmap of the icon as top-down 32-bit pixels.
std::vector<COLORREF> rows(HBITMAP bitmap, int width, int height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<COLORREF> out(size_t(width * height));
    HDC dc = GetDC(nullptr);
    const int got = GetDIBits(dc, bitmap, 0, UINT(height), out.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(got, height);
    for (COLORREF &c : out) c &= 0xFFFFFF;
    return out;
}

Pixels inspect(HICON handle) {
    Pixels p;
    ICONINFO info = {};
    if (!GetIconInfo(handle, &info)) {
        ADD_FAILURE() << "GetIconInfo failed";
        return p;
    }
    BITMAP bm = {};
    EXPECT_NE(info.hbmColor, nullptr) << "a colour image, not a monochrome one";
    if (info.hbmColor) {
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        p.width = bm.bmWidth;
        p.height = bm.bmHeight;
        p.icon = info.fIcon;
        p.hot_x = int(info.xHotspot);
        p.hot_y = int(info.yHotspot);
        p.colour = rows(info.hbmColor, p.width, p.height);
        for (COLORREF m : rows(info.hbmMask, p.width, p.height)) p.transparent.push_back(m != 0);
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return p;
}

// A drawing, not a blank or fully covered square, and black wherever it is
// transparent.
void expect_clean_mask(const Pixels &p) {
    const int all = p.width * p.height;
    EXPECT_GT(p.opaque(), all / 5);
    EXPECT_LT(p.opaque(), all * 9 / 10);
    EXPECT_TRUE(p.clear(0, 0));
    int coloured_holes = 0;
    for (size_t i = 0; i < p.transparent.size(); i++)
        coloured_holes += p.transparent[i] && p.colour[i] != 0;
    EXPECT_EQ(coloured_holes, 0);
}

class ProgramFile : public ::testing::Test {
  protected:
    void SetUp() override {
        module = LoadLibraryExA("quillgui.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "quillgui.exe beside the test";
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_F(ProgramFile, HoldsFourIconGroupsOfOne48x48ImageIn16Colours) {
    for (int id = 101; id <= 104; id++) {
        SCOPED_TRACE(id);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
        ASSERT_NE(found, nullptr);
        const auto *group =
            static_cast<const GroupHeader *>(LockResource(LoadResource(module, found)));
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->type, 1);
        ASSERT_EQ(group->count, 1);
        EXPECT_EQ(group->entries[0].width, 48);
        EXPECT_EQ(group->entries[0].height, 48);
        EXPECT_EQ(group->entries[0].colours, 16);
        EXPECT_EQ(group->entries[0].bits, 4);

        HICON icon = HICON(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
        ASSERT_NE(icon, nullptr);
        const Pixels p = inspect(icon);
        DestroyIcon(icon);
        EXPECT_EQ(p.width, 48);
        EXPECT_EQ(p.height, 48);
        EXPECT_TRUE(p.icon);
        expect_clean_mask(p);
    }
}

// The files of the build beside the test.
struct Binary {
    const char *name;
    DWORD type;  // VFT_APP or VFT_DLL
};
const Binary kBinaries[] = {{"quillgui.exe", VFT_APP},
                            {"quillseal.exe", VFT_APP},
                            {"quillcore.dll", VFT_DLL},
                            {"quill.dll", VFT_DLL}};

std::string full_path(const char *name) {
    char path[MAX_PATH] = {};
    GetFullPathNameA(name, MAX_PATH, path, nullptr);
    return path;
}

// Each file names itself, its maker and the project version, both as text
// and as the four numbers, and says whether it is a program or a DLL.
TEST(VersionRecord, NamesTheFileItsMakerAndTheProjectVersion) {
    for (const Binary &file : kBinaries) {
        SCOPED_TRACE(file.name);
        const std::string path = full_path(file.name);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<char> record(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, record.data()));
        const auto value = [&](const char *name) {
            char *text = nullptr;
            UINT length = 0;
            const std::string key = std::string("\\StringFileInfo\\041104B0\\") + name;
            if (!VerQueryValueA(record.data(), key.c_str(), reinterpret_cast<void **>(&text),
                                &length))
                return std::string("(none)");
            return std::string(text);
        };
        const std::string name = file.name;
        EXPECT_EQ(value("OriginalFilename"), name);
        EXPECT_EQ(value("InternalName"), name.substr(0, name.find('.')));
        EXPECT_EQ(value("CompanyName"), "Quillseal 開発チーム");
        EXPECT_EQ(value("ProductName"), "Quillseal");
        EXPECT_EQ(value("FileDescription").find("Quillseal"), 0u);
        EXPECT_EQ(value("FileVersion"), QUILL_VERSION);
        EXPECT_EQ(value("ProductVersion"), QUILL_VERSION);

        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(
            VerQueryValueA(record.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
        const DWORD ms = (DWORD(QUILL_VERSION_MAJOR) << 16) | QUILL_VERSION_MINOR;
        const DWORD ls = (DWORD(QUILL_VERSION_PATCH) << 16) | QUILL_VERSION_TWEAK;
        EXPECT_EQ(fixed->dwFileVersionMS, ms);
        EXPECT_EQ(fixed->dwFileVersionLS, ls);
        EXPECT_EQ(fixed->dwProductVersionMS, ms);
        EXPECT_EQ(fixed->dwProductVersionLS, ls);
        EXPECT_EQ(fixed->dwFileType, file.type);
    }
}

// A program's manifest, read by the loader into an activation context.
class Manifest : public ::testing::TestWithParam<const char *> {
  protected:
    void SetUp() override {
        const std::string path = full_path(GetParam());
        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
        context = CreateActCtxA(&request);
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    }
    void TearDown() override {
        if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
    }
    std::wstring setting(const wchar_t *name_space, const wchar_t *name) const {
        wchar_t value[128] = {};
        SIZE_T written = 0;
        if (!QueryActCtxSettingsW(0, context, name_space, name, value, 128, &written))
            return L"(none)";
        return value;
    }
    HANDLE context = INVALID_HANDLE_VALUE;
};

// Aware of each monitor's DPI (version 2), or of the system's where Windows
// knows no per-monitor awareness: never stretched as a bitmap.
TEST_P(Manifest, DeclaresPerMonitorDpiAwarenessWithTheSystemAsFallback) {
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, system");
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
              L"true");
}

// Inside the program's context comctl32.dll comes from the assembly of the
// common controls of version 6, which draw in the system's visual style.
TEST_P(Manifest, BringsTheCommonControlsOfVersion6) {
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    HMODULE controls = LoadLibraryA("comctl32.dll");
    DeactivateActCtx(0, cookie);
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(controls, path, MAX_PATH);
    FreeLibrary(controls);
    std::string folder = path;
    for (char &c : folder) c = char(tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(folder.find("microsoft.windows.common-controls_"), std::string::npos) << path;
    EXPECT_NE(folder.find("_6.0."), std::string::npos) << path;
}

INSTANTIATE_TEST_SUITE_P(Programs, Manifest, ::testing::Values("quillgui.exe", "quillseal.exe"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             const std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(WaitCursor, IsAClockWhoseHotSpotIsItsCentre) {
    HCURSOR cursor = LoadCursorFromFileA("tokei.cur");
    ASSERT_NE(cursor, nullptr) << "tokei.cur in the program's folder";
    const Pixels p = inspect(cursor);
    DestroyCursor(cursor);
    EXPECT_EQ(p.width, 32);
    EXPECT_EQ(p.height, 32);
    EXPECT_FALSE(p.icon);
    EXPECT_EQ(p.hot_x, 16);
    EXPECT_EQ(p.hot_y, 16);
    ASSERT_EQ(p.transparent.size(), 32u * 32u);
    EXPECT_FALSE(p.clear(16, 16));
    expect_clean_mask(p);
}

}  // namespace
