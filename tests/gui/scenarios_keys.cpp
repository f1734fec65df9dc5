// Scenarios of the key pair window and of the key copy commands: what the
// user is told for each wrong input, which files appear in the per-user key
// folders, and what the main window shows afterwards.

#include "harness.h"

#include <cstring>
#include <string>

#include "app.h"
#include "quillcore.h"
#include "strings.h"

using harness::Box;
using namespace std::string_literals;

namespace {

const char kPassword[] = "correct horse 8";

void expect_box(const char *caption, const std::string &body, HWND owner, int button = IDOK) {
    const Box box = harness::wait_box();
    QS_CHECK_EQ(box.caption, std::string(caption));
    QS_CHECK_EQ(box.text, body);
    QS_CHECK(box.owner == owner);
    harness::answer(box, button);
}

HWND open_key_pair() {
    harness::command(IDM_KEY_PAIR);
    HWND window = harness::key_pair_window();
    QS_CHECK(window != nullptr);
    return window;
}

void fill(HWND window, const std::string &id, const std::string &first, const std::string &second) {
    harness::set_text(window, IDK_USER_ID, id);
    harness::set_text(window, IDK_FIRST, first);
    harness::set_text(window, IDK_SECOND, second);
}

bool closed(HWND window) {
    for (int waited = 0; waited < 10000; waited += 20) {
        if (!IsWindow(window)) return true;
        Sleep(20);
    }
    return false;
}

// The password block as the library gets it: text, then zero bytes.
std::string block_of(const unsigned char *block) {
    return std::string(reinterpret_cast<const char *>(block), kPasswordBytes);
}

std::string block_for(const std::string &password) {
    std::string block = password;
    block.resize(kPasswordBytes, '\0');
    return block;
}

bool opens_with(const std::string &secret, const std::string &password) {
    return password_check(secret.c_str(),
                          reinterpret_cast<const unsigned char *>(block_for(password).data())) == 0;
}

std::string secret_of(const std::string &id) {
    return harness::secret_folder() + "\\" + id + rules::extension(rules::kSecretKey);
}

std::string public_of(const std::string &id) {
    return harness::public_folder() + "\\" + id + rules::extension(rules::kPublicKey);
}

// Points the user's application data folder somewhere else for a while, to
// reach path lengths the real folder is too short for. The old setting comes
// back at the end of the scope.
class AppDataRedirect {
  public:
    explicit AppDataRedirect(const std::string &folder) {
        RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
        RegQueryValueExA(key_, "AppData", nullptr, &type_, reinterpret_cast<BYTE *>(old_), &size_);
        RegSetValueExA(key_, "AppData", 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE *>(folder.c_str()), DWORD(folder.size() + 1));
    }
    ~AppDataRedirect() {
        RegSetValueExA(key_, "AppData", 0, type_, reinterpret_cast<const BYTE *>(old_), size_);
        RegCloseKey(key_);
    }

  private:
    static constexpr char kShellFolders[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY key_ = nullptr;
    DWORD type_ = REG_EXPAND_SZ;
    char old_[kPathBytes] = {};
    DWORD size_ = sizeof old_;
};

// A new folder whose full path has exactly length bytes.
std::string folder_of_length(size_t length) {
    std::string folder = harness::scratch() + "\\";
    folder += std::string(length - folder.size(), 'd');
    CreateDirectoryA(folder.c_str(), nullptr);
    QS_CHECK(harness::exists(folder));
    return folder;
}

int files_in(const std::string &folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// The save dialog of an export: its title and the file name it offers.
std::string offered_name(const char *title) {
    for (int waited = 0; waited < 10000; waited += 20) {
        HWND dialog = FindWindowA("#32770", title);
        if (dialog && IsWindowVisible(dialog)) {
            // The name field is an edit inside a combo box inside the
            // dialog's item 0x47C.
            HWND field = GetDlgItem(dialog, 0x47C);
            for (const char *cls : {"ComboBox", "Edit"})
                if (HWND inner = FindWindowExA(field, nullptr, cls, nullptr)) field = inner;
            return harness::text_of(field);
        }
        Sleep(20);
    }
    harness::fail(__FILE__, __LINE__, std::string("no save dialog titled ") + harness::show(title));
    return {};
}

void wait_for_file(const std::string &path, const std::string &bytes) {
    for (int waited = 0; waited < 10000 && harness::read_file(path) != bytes; waited += 20)
        Sleep(20);
    QS_CHECK_EQ(harness::read_file(path), bytes);
}

}  // namespace

// ---- key pair window ----------------------------------------------------------

QS_SCENARIO(keypair_input_checks_in_order) {
    HWND main = harness::main_window();
    HWND window = open_key_pair();
    // An empty ID comes first, even with both passwords empty.
    harness::click(window, IDK_CREATE);
    expect_box(text::kConfirm, text::kEnterUserId, window);

    harness::set_text(window, IDK_USER_ID, "taro");
    harness::click(window, IDK_CREATE);
    expect_box(text::kFirstPasswordCaption, text::kPasswordTooShort, window);

    fill(window, "taro", "1234567", "12345678");
    harness::click(window, IDK_CREATE);
    expect_box(text::kFirstPasswordCaption, text::kPasswordTooShort, window);

    fill(window, "taro", "12345678", "1234567");
    harness::click(window, IDK_CREATE);
    expect_box(text::kSecondPasswordCaption, text::kPasswordTooShort, window);

    fill(window, "taro", "12345678", "12345679");
    harness::click(window, IDK_CREATE);
    expect_box(text::kCaution, text::kPasswordsDiffer, window);

    // Lengths are bytes: four double-byte characters make a long enough
    // password. Every forbidden byte is refused, also deep inside a long ID
    // and as the trail byte of 表 (0x95 0x5C) or ポ (0x83 0x7C).
    fill(window, "", "あいうえ", "あいうえ");
    std::string deep(60, 'a');
    deep[49] = ':';
    for (const std::string &bad : {deep, "a|b"s, "a\\b"s, "a/b"s, "a*b"s, "a?b"s, "a\"b"s, "a<b"s,
                                   "a>b"s, "表計算"s, "ポチ"s}) {
        harness::set_text(window, IDK_USER_ID, bad);
        harness::click(window, IDK_CREATE);
        expect_box(text::kCaution, text::kForbiddenInUserId, window);
    }

    // Nothing was written, and the window still holds what was typed.
    QS_CHECK(IsWindow(window));
    QS_CHECK(!IsWindowEnabled(main));
    QS_CHECK_EQ(harness::text_of(window, IDK_USER_ID), std::string("ポチ"));
    QS_CHECK_EQ(harness::text_of(window, IDK_FIRST), std::string("あいうえ"));
    QS_CHECK_EQ(files_in(harness::secret_folder()), 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    QS_CHECK(closed(window));
    harness::close_main();
}

QS_SCENARIO(keypair_creates_pair) {
    HWND main = harness::main_window();
    const std::string public_hint = harness::text_of(main, IDC_PUBLIC_FIELD);
    HWND window = open_key_pair();
    fill(window, "山田太郎", kPassword, kPassword);
    harness::click(window, IDK_CREATE);
    QS_CHECK(closed(window));
    QS_CHECK(harness::no_box());

    const std::string secret = secret_of("山田太郎");
    QS_CHECK_EQ(harness::text_of(main, IDC_SECRET_FIELD), std::string("山田太郎.velh"));
    QS_CHECK_EQ(harness::text_of(main, IDC_PASSWORD), std::string(kPassword));
    QS_CHECK_EQ(harness::text_of(main, IDC_PUBLIC_FIELD), public_hint);
    QS_CHECK_EQ(std::string(app.sel.secret_key), secret);
    QS_CHECK(app.sel.public_key[0] == '\0');
    QS_CHECK_EQ(block_of(app.sel.password), block_for(kPassword));
    QS_CHECK(IsWindowEnabled(main));

    QS_CHECK_EQ(harness::read_file(secret).size(), size_t(264));
    QS_CHECK_EQ(harness::read_file(public_of("山田太郎")).size(), size_t(224));
    QS_CHECK(opens_with(secret, kPassword));
    harness::close_main();
}

QS_SCENARIO(keypair_asks_before_overwriting) {
    HWND main = harness::main_window();
    const std::string secret = secret_of("jiro");
    const std::string public_key = public_of("jiro");
    CreateDirectoryA(harness::public_folder().c_str(), nullptr);
    harness::write_file(secret, "old secret");
    harness::write_file(public_key, "old public");

    HWND window = open_key_pair();
    fill(window, "jiro", kPassword, kPassword);
    harness::click(window, IDK_CREATE);
    expect_box(text::kKeyExists, secret, main, IDNO);
    // Refused: the window stays, and both files are as they were.
    QS_CHECK(harness::no_box());
    QS_CHECK(IsWindow(window));
    QS_CHECK_EQ(harness::read_file(secret), std::string("old secret"));
    QS_CHECK_EQ(harness::read_file(public_key), std::string("old public"));
    QS_CHECK(app.sel.secret_key[0] == '\0');

    // Accepted: both files are replaced; the public one without a question.
    harness::click(window, IDK_CREATE);
    expect_box(text::kKeyExists, secret, main, IDYES);
    QS_CHECK(closed(window));
    QS_CHECK(harness::no_box());
    QS_CHECK(opens_with(secret, kPassword));
    QS_CHECK_EQ(harness::read_file(public_key).size(), size_t(224));
    harness::close_main();
}

QS_SCENARIO(keypair_library_failure_keeps_window) {
    HWND main = harness::main_window();
    const std::string secret_hint = harness::text_of(main, IDC_SECRET_FIELD);
    // A folder where the secret key file would go: the library cannot write it.
    CreateDirectoryA(secret_of("kiro").c_str(), nullptr);
    HWND window = open_key_pair();
    fill(window, "kiro", kPassword, kPassword);
    harness::click(window, IDK_CREATE);
    expect_box(text::kKeyExists, secret_of("kiro"), main, IDYES);
    // The library's own box names the file and why, then the window's.
    expect_box(secret_of("kiro").c_str(),
               "ファイルをこの名前で保存できません\n通常のファイルではありません。", nullptr);
    expect_box(text::kFailure, text::kErrorHappened, main);
    QS_CHECK(IsWindow(window));
    // The new password went to the main window's block, but not to its field.
    QS_CHECK_EQ(block_of(app.sel.password), block_for(kPassword));
    QS_CHECK_EQ(harness::text_of(main, IDC_PASSWORD), std::string());
    QS_CHECK_EQ(harness::text_of(main, IDC_SECRET_FIELD), secret_hint);
    QS_CHECK(app.sel.secret_key[0] == '\0');

    PostMessageA(window, WM_CLOSE, 0, 0);
    QS_CHECK(closed(window));
    QS_CHECK(IsWindowEnabled(main));
    QS_CHECK_EQ(harness::text_of(main, IDC_SECRET_FIELD), secret_hint);
    harness::close_main();
}

QS_SCENARIO(keypair_close_box_changes_nothing) {
    HWND main = harness::main_window();
    harness::set_text(main, IDC_PASSWORD, "before-the-window");
    const std::string secret_hint = harness::text_of(main, IDC_SECRET_FIELD);
    HWND window = open_key_pair();
    fill(window, "saburo", kPassword, kPassword);
    PostMessageA(window, WM_CLOSE, 0, 0);
    QS_CHECK(closed(window));
    QS_CHECK(harness::no_box());
    QS_CHECK(IsWindowEnabled(main));
    QS_CHECK_EQ(harness::text_of(main, IDC_PASSWORD), std::string("before-the-window"));
    QS_CHECK_EQ(block_of(app.sel.password), block_for("before-the-window"));
    QS_CHECK_EQ(harness::text_of(main, IDC_SECRET_FIELD), secret_hint);
    QS_CHECK(!harness::exists(secret_of("saburo")));
    // The window's password blocks are wiped as it closes.
    QS_CHECK_EQ(block_of(app.pair.first), block_for(""));
    QS_CHECK_EQ(block_of(app.pair.second), block_for(""));
    harness::close_main();
}

QS_SCENARIO(keypair_show_password_toggles_both_fields) {
    harness::main_window();
    HWND window = open_key_pair();
    fill(window, "", "first-password", "second-password");
    HWND first = GetDlgItem(window, IDK_FIRST);
    HWND second = GetDlgItem(window, IDK_SECOND);
    HWND toggle = GetDlgItem(window, IDK_SHOW_PASSWORD);
    QS_CHECK(SendMessageA(first, EM_GETPASSWORDCHAR, 0, 0) != 0);
    QS_CHECK(SendMessageA(second, EM_GETPASSWORDCHAR, 0, 0) != 0);

    SendMessageA(toggle, BM_CLICK, 0, 0);
    QS_CHECK(harness::checked(window, IDK_SHOW_PASSWORD));
    QS_CHECK_EQ(SendMessageA(first, EM_GETPASSWORDCHAR, 0, 0), LRESULT(0));
    QS_CHECK_EQ(SendMessageA(second, EM_GETPASSWORDCHAR, 0, 0), LRESULT(0));
    QS_CHECK_EQ(harness::text_of(window, IDK_FIRST), std::string("first-password"));
    QS_CHECK_EQ(harness::text_of(window, IDK_SECOND), std::string("second-password"));

    SendMessageA(toggle, BM_CLICK, 0, 0);
    QS_CHECK_EQ(SendMessageA(first, EM_GETPASSWORDCHAR, 0, 0), LRESULT('*'));
    QS_CHECK_EQ(SendMessageA(second, EM_GETPASSWORDCHAR, 0, 0), LRESULT('*'));
    QS_CHECK_EQ(harness::text_of(window, IDK_FIRST), std::string("first-password"));
    QS_CHECK_EQ(block_of(app.pair.second), block_for("second-password"));
    PostMessageA(window, WM_CLOSE, 0, 0);
    QS_CHECK(closed(window));
    harness::close_main();
}

// Key paths are held in 260-byte buffers: an ID that would make them longer
// is refused with a message, before any folder is made; one byte less works.
QS_SCENARIO(keypair_user_id_too_long_for_a_path) {
    HWND main = harness::main_window();
    const std::string appdata = folder_of_length(200);
    const std::string base = appdata + "\\quillseal\\";
    const size_t fixed = base.size() + strlen("himitu\\") + strlen(".velh");
    const std::string id(kPathBytes - 1 - fixed, 'u');
    const std::string secret = base + "himitu\\" + id + ".velh";
    HWND window = open_key_pair();
    {
        AppDataRedirect redirect(appdata);
        fill(window, id + "u", kPassword, kPassword);
        harness::click(window, IDK_CREATE);
        expect_box(text::kCaution, text::kUserIdTooLong, window);
        QS_CHECK(IsWindow(window));
        QS_CHECK(!harness::exists(base));

        harness::set_text(window, IDK_USER_ID, id);
        harness::click(window, IDK_CREATE);
        QS_CHECK(closed(window));
    }
    QS_CHECK_EQ(secret.size(), size_t(kPathBytes - 1));
    QS_CHECK_EQ(std::string(app.sel.secret_key), secret);
    QS_CHECK(opens_with(secret, kPassword));
    QS_CHECK(harness::exists(base + "koukai\\" + id + ".velk"));
    QS_CHECK_EQ(harness::text_of(main, IDC_SECRET_FIELD), id + ".velh");
    harness::close_main();
}

// ---- key copies ---------------------------------------------------------------

QS_SCENARIO(copy_commands_need_a_key) {
    HWND main = harness::main_window();
    harness::command(IDM_EXPORT_SECRET);
    expect_box(text::kCaution, text::kSelectSecretFirst, main);
    harness::command(IDM_EXPORT_PUBLIC);
    expect_box(text::kCaution, text::kSelectPublicFirst, main);
    harness::command(IDM_IMPORT_PUBLIC);
    expect_box(text::kCaution, text::kSelectPublicFirst, main);
    harness::close_main();
}

QS_SCENARIO(copy_export_public_key) {
    HWND main = harness::main_window();
    const std::string key = harness::scratch() + "\\taro.velk";
    harness::write_file(key, "public key of taro");
    harness::drop(IDC_PUBLIC_FIELD, {key});
    const std::string out = harness::scratch() + "\\out";
    CreateDirectoryA(out.c_str(), nullptr);
    const std::string copy = out + "\\taro.velk";

    // The dialog offers the key's own name; a new file is written at once.
    harness::command(IDM_EXPORT_PUBLIC);
    QS_CHECK_EQ(offered_name(text::kExportPublicTitle), std::string("taro.velk"));
    harness::answer_file_dialog(text::kExportPublicTitle, copy);
    wait_for_file(copy, "public key of taro");
    QS_CHECK(harness::no_box());

    // An existing file is replaced only after a Yes.
    harness::write_file(copy, "someone else's");
    harness::command(IDM_EXPORT_PUBLIC);
    harness::answer_file_dialog(text::kExportPublicTitle, copy);
    expect_box(text::kPublicExists, copy, main, IDNO);
    QS_CHECK(harness::no_box());
    QS_CHECK_EQ(harness::read_file(copy), std::string("someone else's"));

    harness::command(IDM_EXPORT_PUBLIC);
    harness::answer_file_dialog(text::kExportPublicTitle, copy);
    expect_box(text::kPublicExists, copy, main, IDYES);
    wait_for_file(copy, "public key of taro");

    // Cancel does nothing.
    harness::write_file(copy, "kept");
    harness::command(IDM_EXPORT_PUBLIC);
    harness::answer_file_dialog(text::kExportPublicTitle, "");
    QS_CHECK(harness::no_box());
    QS_CHECK_EQ(harness::read_file(copy), std::string("kept"));
    harness::close_main();
}

QS_SCENARIO(copy_export_secret_key) {
    HWND main = harness::main_window();
    const std::string key = harness::scratch() + "\\taro.velh";
    harness::write_file(key, "secret key of taro");
    harness::drop(IDC_SECRET_FIELD, {key});
    const std::string copy = harness::scratch() + "\\backup.velh";

    harness::command(IDM_EXPORT_SECRET);
    QS_CHECK_EQ(offered_name(text::kExportSecretTitle), std::string("taro.velh"));
    harness::answer_file_dialog(text::kExportSecretTitle, copy);
    wait_for_file(copy, "secret key of taro");

    harness::write_file(copy, "older backup");
    harness::command(IDM_EXPORT_SECRET);
    harness::answer_file_dialog(text::kExportSecretTitle, copy);
    expect_box(text::kSecretExists, copy, main, IDYES);
    wait_for_file(copy, "secret key of taro");
    harness::close_main();
}

// A destination that does not fit 260 bytes is refused, not cut short.
QS_SCENARIO(copy_export_path_too_long) {
    HWND main = harness::main_window();
    const std::string key = harness::scratch() + "\\taro.velk";
    harness::write_file(key, "public key of taro");
    harness::drop(IDC_PUBLIC_FIELD, {key});
    // Short enough in characters for the dialog, too long in bytes.
    std::string folder = harness::scratch() + "\\";
    while (folder.size() < 228) folder += "鍵";
    CreateDirectoryA(folder.c_str(), nullptr);
    QS_CHECK(harness::exists(folder));
    const std::string copy = folder + "\\" + std::string(30, 'n') + ".velk";

    harness::command(IDM_EXPORT_PUBLIC);
    harness::answer_file_dialog(text::kExportPublicTitle, copy);
    expect_box(text::kCaution, text::kPathTooLong, main);
    // Nothing was written, not even under a name cut short.
    QS_CHECK_EQ(files_in(folder), 0);
    harness::close_main();
}

QS_SCENARIO(copy_import_public_key) {
    HWND main = harness::main_window();
    CreateDirectoryA(harness::public_folder().c_str(), nullptr);
    const std::string key = harness::scratch() + "\\hanako.velk";
    const std::string imported = public_of("hanako");
    harness::write_file(key, "public key of hanako");
    harness::drop(IDC_PUBLIC_FIELD, {key});

    harness::command_and_wait(IDM_IMPORT_PUBLIC);
    QS_CHECK(harness::no_box());
    QS_CHECK_EQ(harness::read_file(imported), std::string("public key of hanako"));

    // A key of that name is already there: No keeps it, Yes replaces it.
    harness::write_file(key, "hanako's new key");
    harness::command(IDM_IMPORT_PUBLIC);
    expect_box(text::kPublicExists, imported, main, IDNO);
    QS_CHECK(harness::no_box());
    QS_CHECK_EQ(harness::read_file(imported), std::string("public key of hanako"));
    harness::command(IDM_IMPORT_PUBLIC);
    expect_box(text::kPublicExists, imported, main, IDYES);
    wait_for_file(imported, "hanako's new key");

    // The key chosen from the own folder itself: asked about its own path,
    // and the file stays whole.
    harness::drop(IDC_PUBLIC_FIELD, {imported});
    harness::command(IDM_IMPORT_PUBLIC);
    expect_box(text::kPublicExists, imported, main, IDYES);
    QS_CHECK(harness::no_box());
    QS_CHECK_EQ(harness::read_file(imported), std::string("hanako's new key"));
    harness::close_main();
}

// The import's destination is built from the user's folder and the key's
// name; when that would not fit 260 bytes nothing is copied.
QS_SCENARIO(copy_import_path_too_long) {
    HWND main = harness::main_window();
    const std::string appdata = folder_of_length(200);
    const std::string koukai = appdata + "\\quillseal\\koukai\\";
    CreateDirectoryA((appdata + "\\quillseal").c_str(), nullptr);
    CreateDirectoryA(koukai.c_str(), nullptr);
    // Names that make the destination 259 bytes long, and one byte more.
    const std::string name = std::string(kPathBytes - 1 - koukai.size() - 5, 'k') + ".velk";
    const std::string long_name = "k" + name;
    const std::string key = harness::scratch() + "\\" + name;
    const std::string long_key = harness::scratch() + "\\" + long_name;
    harness::write_file(key, "fits");
    harness::write_file(long_key, "long");
    {
        AppDataRedirect redirect(appdata);
        harness::drop(IDC_PUBLIC_FIELD, {long_key});
        harness::command(IDM_IMPORT_PUBLIC);
        expect_box(text::kCaution, text::kPathTooLong, main);

        harness::drop(IDC_PUBLIC_FIELD, {key});
        harness::command_and_wait(IDM_IMPORT_PUBLIC);
        QS_CHECK(harness::no_box());
    }
    QS_CHECK_EQ((koukai + name).size(), size_t(kPathBytes - 1));
    QS_CHECK_EQ(harness::read_file(koukai + name), std::string("fits"));
    QS_CHECK_EQ(files_in(koukai), 1);
    harness::close_main();
}
