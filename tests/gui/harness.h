// In-process test harness for quillgui. The harness build of the program
// (quillgui_harness.exe: the program's own sources plus harness.cpp) runs the
// user interface on its main thread as usual and one scenario on a second
// thread, which types, clicks, drops and answers message boxes the way a
// person would, and checks what the windows show.
//
// The scenario is chosen by the environment variable QS_SCENARIO; the
// command line stays the program's own. The process's exit code is the
// number of failed checks (0: passed), unless the program itself ended with
// a non-zero code. Every wait has a deadline, and a scenario that takes
// longer than QS_TIMEOUT_MS (90 s) in all is ended. QS_SCENARIO=--list
// lists the scenarios (only one group's with QS_GROUP); run-scenarios runs a
// group, each scenario in a fresh process.
#ifndef QUILLGUI_HARNESS_H
#define QUILLGUI_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// ---- checks -------------------------------------------------------------------

void fail(const char *file, int line, const std::string &what);
#define QS_CHECK(cond) ((cond) ? (void)0 : harness::fail(__FILE__, __LINE__, #cond))
#define QS_CHECK_EQ(a, b)                                                                    \
    ((a) == (b) ? (void)0                                                                    \
                : harness::fail(__FILE__, __LINE__,                                          \
                                std::string(#a " == " #b ": ") + harness::show(a) + " vs " + \
                                    harness::show(b)))
// Printable: quoted, control characters escaped; the log turns the code page
// 932 text into UTF-8.
std::string show(const std::string &s);
std::string show(long long v);

// ---- scenarios ----------------------------------------------------------------

using Scenario = void (*)();
// The file a scenario is written in names its group ("scenarios_keys.cpp":
// "keys"); the runner runs one group at a time.
struct Register {
    Register(const char *name, Scenario run, const char *file = __builtin_FILE());
};
#define QS_SCENARIO(name)                                             \
    static void scenario_##name();                                    \
    static harness::Register register_##name(#name, scenario_##name); \
    static void scenario_##name()

// ---- windows ------------------------------------------------------------------

// The main window once it is visible and all its controls exist (waits).
HWND main_window();
// The key pair window while it is open, else null (waits up to timeout_ms).
HWND key_pair_window(int timeout_ms = 5000);
std::string text_of(HWND parent, int id);
std::string text_of(HWND window);
// WM_SETTEXT; returns after the owner handled EN_CHANGE.
void set_text(HWND parent, int id, const std::string &text);
// The same for a change that may open a message box (the Caps Lock warning):
// returns once the change was handled or a box is up.
void post_text(HWND parent, int id, const std::string &text);
// Posts a click (it may open a modal box); returns once the click was
// handled or the box or dialog it opened is up, never waiting for an answer.
void click(HWND parent, int id);
// Posts WM_COMMAND(id) to the main window (menu commands); returns as click.
void command(int id);
// Sends a command and waits for it to finish (for commands that open nothing).
void command_and_wait(int id);
bool checked(HWND parent, int id);
// Waits until the program has handled everything posted to it so far (or is
// showing a modal box or dialog).
void settle();
// Caps Lock as the program's thread sees it (GetKeyState(VK_CAPITAL)).
void set_caps_lock(bool on);
// Menu texts of the main window's bar and of pop-up n, top to bottom.
std::vector<std::string> menu_bar();
std::vector<std::string> menu_items(int popup);

// ---- message boxes and dialogs ------------------------------------------------

struct Box {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};
// The next visible message box of the program (waits; a failed check and an
// empty Box when none appears in time).
Box wait_box(int timeout_ms = 10000);
// True when no message box appears within ms.
bool no_box(int ms = 300);
// Presses IDOK, IDYES, IDNO, IDCANCEL ... of the box; returns once the box is
// gone and what followed it was handled (or opened the next box).
void answer(const Box &box, int button);
// A label of a box's button (IDYES ...).
std::string button_text(const Box &box, int button);
// An open or save dialog with this title (any, when empty): sets the file
// name and presses OK, or presses Cancel when path is empty. Returns once the
// dialog is gone or shows a message box of its own.
void answer_file_dialog(const std::string &title, const std::string &path);

// ---- drops --------------------------------------------------------------------

// Drops the paths on a control of the main window as the shell would
// (a real HDROP, WM_DROPFILES), and waits until it was handled.
void drop(int id, const std::vector<std::string> &paths);

// ---- files --------------------------------------------------------------------

// A fresh scratch folder for this scenario (Windows path, no trailing "\").
std::string scratch();
void write_file(const std::string &path, const std::string &bytes);
std::string read_file(const std::string &path);
bool exists(const std::string &path);
// The user's key folders (application data + "\quillseal\...").
std::string secret_folder();  // ...\quillseal\himitu
std::string public_folder();  // ...\quillseal\koukai
// Closes the main window (WM_CLOSE) at the end of a scenario.
void close_main();

}  // namespace harness

#endif
