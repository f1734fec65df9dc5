// Choosing keys and items in the main window: drops on the three fields, the
// file dialogs, the password field and its mask.
#include <cstring>

#include "app.h"
#include "harness.h"
#include "strings.h"

using namespace harness;

namespace {

std::string password_text() {
    return reinterpret_cast<const char *>(app.sel.password);
}

}  // namespace

// A key field takes the first dropped file, and only a key file of its own
// kind, by its extension in any case (Windows names ignore case).
QS_SCENARIO(selection_key_field_drops) {
    HWND main = main_window();
    const std::string dir = scratch();
    const std::string hint = text_of(main, IDC_SECRET_FIELD);

    drop(IDC_SECRET_FIELD, {dir + "\\taro.velk"});
    QS_CHECK_EQ(text_of(main, IDC_SECRET_FIELD), hint);
    QS_CHECK_EQ(std::string(app.sel.secret_key), "");
    drop(IDC_SECRET_FIELD, {dir + "\\TARO.VELH"});
    QS_CHECK_EQ(text_of(main, IDC_SECRET_FIELD), "TARO.VELH");

    drop(IDC_SECRET_FIELD, {dir + "\\taro.velh", dir + "\\jiro.velh"});
    QS_CHECK_EQ(text_of(main, IDC_SECRET_FIELD), "taro.velh");
    QS_CHECK_EQ(std::string(app.sel.secret_key), dir + "\\taro.velh");
    drop(IDC_SECRET_FIELD, {dir + "\\x.velh.txt"});
    QS_CHECK_EQ(std::string(app.sel.secret_key), dir + "\\taro.velh");
    // Too long for a path buffer: not taken, though its first 259 bytes end
    // in ".velh".
    const std::string head = dir + "\\" + std::string(253 - dir.size(), 'k') + ".velh";
    drop(IDC_SECRET_FIELD, {head + "x"});
    QS_CHECK_EQ(std::string(app.sel.secret_key), dir + "\\taro.velh");

    // Two public keys: the first counts. A name with a 0x5C trail byte.
    drop(IDC_PUBLIC_FIELD, {dir + "\\表ソ.velk", dir + "\\b.velk"});
    QS_CHECK_EQ(text_of(main, IDC_PUBLIC_FIELD), "表ソ.velk");
    QS_CHECK_EQ(std::string(app.sel.public_key), dir + "\\表ソ.velk");

    // A network path is selected but has no name to show.
    drop(IDC_PUBLIC_FIELD, {"\\\\server\\keys\\c.velk"});
    QS_CHECK_EQ(std::string(app.sel.public_key), "\\\\server\\keys\\c.velk");
    QS_CHECK_EQ(text_of(main, IDC_PUBLIC_FIELD), "");
    close_main();
}

// A drop on the file field replaces the selection with all its items and
// shows the library's count.
QS_SCENARIO(selection_file_field_drops) {
    HWND main = main_window();
    const std::string dir = scratch();
    CreateDirectoryA((dir + "\\folder").c_str(), nullptr);
    for (const char *name : {"\\folder\\a.txt", "\\folder\\b.txt", "\\folder\\c.txt", "\\d.txt"})
        write_file(dir + name, "data");
    CreateDirectoryA((dir + "\\empty").c_str(), nullptr);

    drop(IDC_FILE_FIELD, {dir + "\\folder", dir + "\\d.txt"});
    QS_CHECK_EQ(text_of(main, IDC_FILE_FIELD), dir + "\\folder");
    QS_CHECK_EQ(std::string(app.sel.selected), dir + "\\folder");
    QS_CHECK_EQ(text_of(main, IDC_INFO), std::string("4") + text::kFilesSelected);
    QS_CHECK_EQ(text_of(main, IDC_INFO_LABEL), text::kInfoLabel);

    // A new drop starts a new list.
    drop(IDC_FILE_FIELD, {dir + "\\d.txt"});
    QS_CHECK_EQ(text_of(main, IDC_INFO), std::string("1") + text::kFilesSelected);

    drop(IDC_FILE_FIELD, {dir + "\\empty"});
    QS_CHECK_EQ(std::string(app.sel.selected), dir + "\\empty");
    QS_CHECK_EQ(text_of(main, IDC_INFO), "");

    // An item whose path does not fit is refused as a whole drop.
    drop(IDC_FILE_FIELD, {dir + "\\d.txt"});
    drop(IDC_FILE_FIELD, {dir + "\\d.txt", dir + "\\" + std::string(300, 'f')});
    Box box = wait_box();
    QS_CHECK_EQ(box.caption, text::kCaution);
    QS_CHECK(box.text.find(text::kPathTooLong) == 0);
    QS_CHECK(box.owner == main);
    answer(box, IDOK);
    QS_CHECK_EQ(std::string(app.sel.selected), dir + "\\d.txt");
    QS_CHECK_EQ(text_of(main, IDC_INFO), std::string("1") + text::kFilesSelected);

    // So is a drop of items from two folders (a search's results), which one
    // archive cannot hold side by side.
    drop(IDC_FILE_FIELD, {dir + "\\d.txt", dir + "\\folder\\a.txt"});
    box = wait_box();
    QS_CHECK_EQ(box.text, std::string(text::kNotOneFolder) + "\n" + dir + "\\folder\\a.txt");
    answer(box, IDOK);
    QS_CHECK_EQ(text_of(main, IDC_INFO), std::string("1") + text::kFilesSelected);
    close_main();
}

// The dialogs: a confirmed choice selects, a cancelled one changes nothing.
QS_SCENARIO(selection_file_dialogs) {
    HWND main = main_window();
    const std::string dir = scratch();
    write_file(dir + "\\taro.velh", "key");
    write_file(dir + "\\hanako.velk", "key");
    write_file(dir + "\\a.txt", "data");
    write_file(dir + "\\b.txt", "data");

    click(main, IDC_SECRET_BUTTON);
    answer_file_dialog(text::kSelectSecretTitle, dir + "\\taro.velh");
    QS_CHECK_EQ(text_of(main, IDC_SECRET_FIELD), "taro.velh");
    QS_CHECK_EQ(std::string(app.sel.secret_key), dir + "\\taro.velh");

    click(main, IDC_PUBLIC_BUTTON);
    answer_file_dialog(text::kSelectPublicTitle, dir + "\\hanako.velk");
    QS_CHECK_EQ(text_of(main, IDC_PUBLIC_FIELD), "hanako.velk");
    QS_CHECK_EQ(std::string(app.sel.public_key), dir + "\\hanako.velk");

    // A chosen file replaces a dropped selection; no count is shown.
    drop(IDC_FILE_FIELD, {dir + "\\a.txt", dir + "\\b.txt"});
    click(main, IDC_FILE_BUTTON);
    answer_file_dialog(text::kSelectFileTitle, dir + "\\b.txt");
    QS_CHECK_EQ(text_of(main, IDC_FILE_FIELD), dir + "\\b.txt");
    QS_CHECK_EQ(std::string(app.sel.selected), dir + "\\b.txt");
    QS_CHECK_EQ(text_of(main, IDC_INFO), "");
    click(main, IDC_FILE_BUTTON);
    answer_file_dialog(text::kSelectFileTitle, "");
    QS_CHECK_EQ(std::string(app.sel.selected), dir + "\\b.txt");
    close_main();
}

// The password block holds at most 159 bytes of the field's text and zeros
// behind it; showing and hiding keep the text.
QS_SCENARIO(selection_password_field) {
    HWND main = main_window();
    const std::string long_text(200, 'p');
    set_text(main, IDC_PASSWORD, long_text);
    QS_CHECK_EQ(password_text(), long_text.substr(0, 159));
    set_text(main, IDC_PASSWORD, "パスワード");
    QS_CHECK_EQ(password_text(), "パスワード");
    bool zeros = true;
    for (int i = int(strlen("パスワード")); i < kPasswordBytes; i++) zeros &= !app.sel.password[i];
    QS_CHECK(zeros);

    HWND field = GetDlgItem(main, IDC_PASSWORD);
    QS_CHECK(SendMessageA(field, EM_GETPASSWORDCHAR, 0, 0) != 0);
    click(main, IDC_SHOW_PASSWORD);
    QS_CHECK_EQ(SendMessageA(field, EM_GETPASSWORDCHAR, 0, 0), 0);
    QS_CHECK_EQ(text_of(main, IDC_PASSWORD), "パスワード");
    click(main, IDC_SHOW_PASSWORD);
    QS_CHECK_EQ(SendMessageA(field, EM_GETPASSWORDCHAR, 0, 0), '*');
    QS_CHECK_EQ(password_text(), "パスワード");

    set_text(main, IDC_PASSWORD, "");
    QS_CHECK_EQ(app.sel.password[0], 0);
    close_main();
}

// With Caps Lock on, every change warns once and is taken over all the same.
QS_SCENARIO(selection_caps_lock_warning) {
    HWND main = main_window();
    set_caps_lock(true);
    post_text(main, IDC_PASSWORD, "a");
    Box box = wait_box();
    QS_CHECK_EQ(box.caption, text::kCapsLockCaption);
    QS_CHECK_EQ(box.text, text::kCapsLockText);
    QS_CHECK(box.owner == main);
    answer(box, IDOK);
    QS_CHECK(no_box());
    QS_CHECK_EQ(password_text(), "a");
    post_text(main, IDC_PASSWORD, "ab");
    answer(wait_box(), IDOK);
    QS_CHECK(no_box());
    QS_CHECK_EQ(password_text(), "ab");

    set_caps_lock(false);
    set_text(main, IDC_PASSWORD, "abc");
    QS_CHECK(no_box());
    QS_CHECK_EQ(password_text(), "abc");
    close_main();
}
