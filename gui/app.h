// quillgui: the program's one state and the routines its files share.
#ifndef QUILLGUI_APP_H
#define QUILLGUI_APP_H

#include <windows.h>

#include <initializer_list>
#include <string>

#include "controls.h"
#include "rules.h"

constexpr int kPathBytes = MAX_PATH;  // 260: paths, 259 bytes and a NUL
constexpr int kPasswordBytes = 160;   // the password block

// What the main window and every command share, for the whole run. Byte
// buffers in the system's code page, zero-filled beyond their text.
struct SelectionState {
    char secret_key[kPathBytes];             // the user's own secret key file; empty: none
    char public_key[kPathBytes];             // the other party's public key file; empty: none
    char selected[kPathBytes];               // the first selected item; the library holds the list
    unsigned char password[kPasswordBytes];  // the text, then zero bytes
    int compress;                            // 1: compress before encrypting
    int masking;                             // 1: the password field shows mask characters
    char program_folder[kPathBytes];         // drive and folder of the program, "\" at the end
};

// The key pair window's own state, set afresh each time it opens.
struct KeyPairState {
    char user_id[kPathBytes];
    unsigned char first[kPasswordBytes];
    unsigned char second[kPasswordBytes];
    int masking;
};

// A blocking call into the library while it runs (busy.cpp).
struct BusyState {
    bool running;      // commands, drops and closing wait until it returns
    const char *what;  // the information line's text for it ("暗号化中")
    DWORD shown_at;    // when its progress was last shown
    HCURSOR wait;      // the wait cursor, when its file could be loaded
    HCURSOR kept;      // the cursor it replaced
    HWND focus;        // the control that had the focus before
};

// All of the program's state.
struct App {
    HINSTANCE instance;
    SelectionState sel;
    KeyPairState pair;
    HWND main;               // the main window
    HWND key_pair;           // the key pair window while it is open
    HFONT f1, f2, f3, f4;    // F1, F3 and F4 made for main_dpi, F2 for pair_dpi
    HFONT pair_f4;           // F4 made for pair_dpi: the key pair window's create button
    int main_dpi, pair_dpi;  // the DPI of the main window and of the key pair window
    HBRUSH brush;
    HMENU bar, file_menu, tools_menu, help_menu;
    WNDPROC secret_field_proc, public_field_proc, file_field_proc;  // before the drop procedures
    BusyState busy;
    int gathered;  // items given to the library from the command line and the shell
};

extern App app;

// Control ids of the main window.
enum MainControl {
    IDC_SECRET_BUTTON = 1000,
    IDC_PASSWORD = 1001,
    IDC_PUBLIC_BUTTON = 1002,
    IDC_FILE_BUTTON = 1003,
    IDC_ENCRYPT = 1004,
    IDC_DECRYPT = 1005,
    IDC_SECRET_FIELD = 1006,
    IDC_PASSWORD_LABEL = 1007,
    IDC_INFO = 1008,
    IDC_PUBLIC_FIELD = 1009,
    IDC_FILE_FIELD = 1010,
    IDC_INFO_LABEL = 1011,
    IDC_SHOW_PASSWORD = 1012,
    IDC_COMPRESS = 1013,
};

// Control ids of the key pair window.
enum KeyPairControl {
    IDK_CREATE = 1000,
    IDK_FIRST = 1001,
    IDK_USER_ID_LABEL = 1006,
    IDK_FIRST_LABEL = 1007,
    IDK_SECOND = 1008,
    IDK_SECOND_LABEL = 1009,
    IDK_HINT1 = 1010,
    IDK_HINT2 = 1011,
    IDK_SHOW_PASSWORD = 1013,
    IDK_USER_ID = 1014,
};

// Menu command ids.
enum MenuCommand {
    IDM_KEY_PAIR = 1015,
    IDM_EXPORT_SECRET = 1016,
    IDM_EXPORT_PUBLIC = 1017,
    IDM_IMPORT_PUBLIC = 1018,
    IDM_TAMPER_CHECK = 1019,
    IDM_FINGERPRINT = 1020,
    IDM_SHA256 = 1021,
    IDM_PASSWORD_FROM_FILE = 1022,
    IDM_HELP = 1023,
    IDM_ABOUT = 1024,
};

constexpr int kIconApp = 101;  // icon groups 101..104; 101 is both windows' small icon

// ---- forms (forms.cpp) ------------------------------------------------------

// Opens "MainWnd" or "syokisettei", runs its modal loop and returns the value
// it was closed with; 0 at once for any other name.
int open_form(HWND owner, const char *name);
void close_form(HWND window, int result);
LRESULT CALLBACK main_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK key_pair_proc(HWND, UINT, WPARAM, LPARAM);

// ---- paths (paths.cpp) --------------------------------------------------------

struct PathParts {
    char drive[kPathBytes];
    char folder[kPathBytes];
    char name[kPathBytes];
    char ext[kPathBytes];
};
// Splits "X:\..." paths into drive, folder (through the last "\"), name and
// extension (from the last "."); any other path gives four empty parts.
void split_path(const char *path, PathParts *parts);
// Name and extension of a path, as the key fields show it.
std::string display_name(const char *path);
// Token n of the command line (0: the program). The command line is read
// wide and each token turned into the system's code page; a token that does
// not fit 259 bytes, or holds a character the code page cannot hold exactly
// (its nearest form could name another file), comes back empty, and
// *shown, when given, receives a form of it good for a message.
enum Token { kNoToken, kToken, kTokenTooLong, kTokenNotNative };
Token get_argument(int n, char *token, std::string *shown = nullptr);
// Token n of the wide command line as it stands; false when there is none.
bool get_wide_argument(int n, std::wstring *token);
// A wide path (from the command line, a drop or another start) in the
// system's code page, into path[kPathBytes]: kToken, or, with path empty,
// kTokenTooLong or kTokenNotNative as for get_argument; *shown as there.
Token native_path(const std::wstring &wide, char *path, std::string *shown = nullptr);
// An item of a selection read as got: true when it may join a selection
// whose first item lies in first_folder (an empty first_folder: it is the
// first item); else false after a caution box that says why and names it
// as shown.
bool item_acceptable(Token got, const char *path, const std::string &first_folder,
                     const std::string &shown);
// The drive and folder of a path, "\" included (everything before its last
// component).
std::string folder_part(const char *path);
// Wide text in the system's code page; false when a character has no exact
// form there.
bool to_native(const std::wstring &wide, std::string *out);
// The system's nearest form of wide text, for a message only.
std::string approximate(const std::wstring &wide);
// The user's application data folder (CSIDL_APPDATA), or empty.
std::string appdata_folder();
// The user's key folder for keys of this kind, "\" at the end:
// application data + "\quillseal\himitu\" or "\quillseal\koukai\".
std::string key_folder(rules::Kind kind);
// A special folder of the user (CSIDL_...), or empty.
std::string special_folder(int csidl);
// Text of a control, at most limit - 1 bytes, zero-filled to limit.
void read_field(HWND window, int id, void *buffer, int limit);

// ---- DPI (dpi.cpp) ------------------------------------------------------------

// The system's DPI: the screen's, for what is made before any window.
int system_dpi();
// The DPI a window is shown at: its monitor's, or the system's where Windows
// knows no other.
int window_dpi(HWND window);
// The outer size of a window of the layout at dpi: the client area the
// layout leaves at 96 DPI, scaled, inside frame, caption and menu bar at dpi.
SIZE window_size(const Layout &layout, int dpi);
// Moves each control of the table to its place at dpi, in the given font.
void place_controls(HWND window, const ControlTable &controls, HFONT font, int dpi);
// Moves and sizes a window to r (screen coordinates), as WM_DPICHANGED suggests.
void move_to(HWND window, const RECT &r);
// The program's icon (101) as the window's small icon, drawn at the size of
// a small icon at dpi; the one it replaces is destroyed, as is the last one
// by release_small_icon.
void set_small_icon(HWND window, int dpi);
void release_small_icon(HWND window);

// ---- controls and file dialogs (dialogs.cpp) ---------------------------------

// Creates the controls in table order at their places for dpi, each with
// the given font.
void create_controls(HWND window, const ControlTable &controls, HFONT font, int dpi);
// A dialog filter from description and pattern pairs.
std::string make_filter(std::initializer_list<std::string> parts);
// The filter entry of one kind of file: "秘密鍵ファイル(*.velh)" and "*.velh".
std::string kind_filter(rules::Kind kind);
// The open (or save) dialog of one existing file, owned by the main window,
// over the 260-byte path buffer (which may hold an offered name). True with
// a whole path chosen; a path that does not fit is refused with a message.
bool run_file_dialog(bool save, const std::string &filter, const std::string &folder,
                     const char *title, char *path);

// ---- start-up and messages (main.cpp) ----------------------------------------

// The whole run: resources, menus, class, the main window; returns the exit code.
int run_program(HINSTANCE instance);
// A font of the program for a window at dpi.
HFONT make_font(const FontDef &font, int dpi);
// Fonts F3 and F4 for the main window's DPI, made when it initialises.
void create_main_fonts();

int message(HWND owner, const char *text, const char *caption, UINT type = MB_OK);
// The count of selected files in the information line, or empty for 0.
void show_file_count(int count);

// ---- commands of the main window ---------------------------------------------

// selection.cpp: choosing keys and items, the password field, the two check boxes.
void cmd_select_secret();
void cmd_select_public();
void cmd_select_file();
void cmd_password_changed();
void cmd_show_password();
void cmd_compress();
LRESULT CALLBACK secret_drop_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK public_drop_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK file_drop_proc(HWND, UINT, WPARAM, LPARAM);
// Caps Lock warning shared by every password field.
void warn_caps_lock();

// busy.cpp: one blocking call into the library. Between busy_begin and
// busy_end the main window shows the wait cursor, ignores input and shows
// the call's progress after what; busy_cursor sets the wait cursor for
// WM_SETCURSOR and says whether a call is running.
void busy_begin(const char *what);
void busy_end();
bool busy_cursor();

// gather.cpp: items chosen together in Explorer, gathered into one window.
// shell_start: the program was started by a verb of the shell ("/shell"
// before the items). hand_over, before any window: the items went to the
// window of an earlier start, and this start ends. gather_begin, once the
// window has taken the command line's items; gather_end, when the user works
// with the window. on_items (WM_COPYDATA) and on_gather_timer (WM_TIMER).
bool shell_start();
bool hand_over();
void gather_begin();
void gather_end();
LRESULT on_items(const COPYDATASTRUCT *data);
void on_gather_timer(UINT_PTR id);

// crypt.cpp: encrypt and decrypt.
bool check_selection();
void cmd_encrypt();
void cmd_decrypt();

// keypair.cpp: the key pair window.
void cmd_key_pair();

// tools.cpp and keycopy.cpp.
void cmd_tamper_check();
void cmd_fingerprint();
void cmd_sha256();
void cmd_password_from_file();
void cmd_export_secret();
void cmd_export_public();
void cmd_import_public();

// mainwnd.cpp.
void cmd_help();
void cmd_about();

#endif
