// Encrypt and decrypt from the main window: the readiness checks in their
// order, a round trip between two users, and what the user sees after the
// library's failures.
#include "app.h"  // windows.h comes before every other system header

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "quillcore.h"
#include "strings.h"

using namespace harness;

namespace {

struct User {
    std::string secret, public_key, password;
};

// A key pair written straight by the library into dir.
User make_user(const std::string &dir, const std::string &name, const std::string &password) {
    User user = {dir + "\\" + name + ".velh", dir + "\\" + name + ".velk", password};
    unsigned char block[kPasswordBytes] = {};
    memcpy(block, password.data(), password.size());
    QS_CHECK_EQ(kagisakusei(user.secret.c_str(), user.public_key.c_str(), block), 0);
    return user;
}

// A key pair made the way a user makes one: File menu, key pair window,
// user ID and the password twice, create. The files land in the per-user
// key folders.
User make_user_in_window(const std::string &name, const std::string &password) {
    command(IDM_KEY_PAIR);
    HWND window = key_pair_window();
    QS_CHECK(window != nullptr);
    set_text(window, IDK_USER_ID, name);
    set_text(window, IDK_FIRST, password);
    set_text(window, IDK_SECOND, password);
    click(window, IDK_CREATE);
    for (int i = 0; i < 3000 && IsWindow(window); i++) Sleep(10);
    QS_CHECK(!IsWindow(window));
    return {secret_folder() + "\\" + name + ".velh", public_folder() + "\\" + name + ".velk",
            password};
}

// Own secret key and password, the other party's public key.
void select_keys(HWND main, const User &own, const User &other) {
    drop(IDC_SECRET_FIELD, {own.secret});
    set_text(main, IDC_PASSWORD, own.password);
    drop(IDC_PUBLIC_FIELD, {other.public_key});
}

// Waits until the information line reads line (the command has ended).
bool wait_info(HWND main, const char *line) {
    for (int i = 0; i < 3000; i++) {
        if (text_of(main, IDC_INFO) == line) return true;
        Sleep(10);
    }
    return false;
}

// Presses a command button and expects the caution box with this text.
void expect_refusal(HWND main, int button, const std::string &body,
                    const char *caption = text::kCaution) {
    click(main, button);
    Box box = wait_box();
    QS_CHECK_EQ(box.text, body);
    QS_CHECK_EQ(box.caption, caption);
    QS_CHECK(box.owner == main);
    answer(box, IDOK);
}

}  // namespace

// The first missing piece is named, and the password is tried on the secret
// key before anything else is looked at.
QS_SCENARIO(crypt_readiness_checks) {
    HWND main = main_window();
    const std::string dir = scratch();
    const User taro = make_user(dir, "taro", "taro-password");
    write_file(dir + "\\a.txt", "data");

    expect_refusal(main, IDC_ENCRYPT, text::kChooseSecret);
    expect_refusal(main, IDC_DECRYPT, text::kChooseSecret);
    drop(IDC_SECRET_FIELD, {taro.secret});
    expect_refusal(main, IDC_ENCRYPT, text::kEnterPassword);

    set_text(main, IDC_PASSWORD, "wrong-password");
    const std::string key = read_file(taro.secret);
    DeleteFileA(taro.secret.c_str());
    expect_refusal(main, IDC_DECRYPT, taro.secret, text::kNoSecretKeyCaption);
    write_file(taro.secret, key);
    expect_refusal(main, IDC_ENCRYPT, text::kWrongPassword);

    set_text(main, IDC_PASSWORD, taro.password);
    expect_refusal(main, IDC_ENCRYPT, text::kChoosePublic);
    drop(IDC_PUBLIC_FIELD, {taro.public_key});
    expect_refusal(main, IDC_DECRYPT, text::kChooseFile);
    QS_CHECK_EQ(text_of(main, IDC_INFO), "");
    close_main();
}

// Taro and Hanako make their key pairs in the key pair window; Taro encrypts
// a folder and a file for Hanako; Hanako decrypts them with Taro's public
// key. Keys and password stay selected, the items do not.
QS_SCENARIO(crypt_round_trip) {
    HWND main = main_window();
    const std::string dir = scratch();
    const User taro = make_user_in_window("taro", "taro-password");
    const User hanako = make_user_in_window("hanako", "ハナコのパスワード");
    QS_CHECK_EQ(text_of(main, IDC_SECRET_FIELD), "hanako.velh");
    CreateDirectoryA((dir + "\\work").c_str(), nullptr);
    CreateDirectoryA((dir + "\\work\\書類").c_str(), nullptr);
    write_file(dir + "\\work\\書類\\表.txt", "hello");
    write_file(dir + "\\work\\z.bin", std::string(5000, '\x5c'));

    select_keys(main, taro, hanako);
    drop(IDC_FILE_FIELD, {dir + "\\work\\書類", dir + "\\work\\z.bin"});
    click(main, IDC_ENCRYPT);
    QS_CHECK(wait_info(main, text::kEncrypted));
    QS_CHECK(no_box());
    QS_CHECK(exists(dir + "\\work\\書類.velm"));
    QS_CHECK_EQ(text_of(main, IDC_FILE_FIELD), "");
    QS_CHECK_EQ(std::string(app.sel.selected), "");
    QS_CHECK_EQ(text_of(main, IDC_INFO_LABEL), text::kInfoLabel);
    QS_CHECK_EQ(text_of(main, IDC_SECRET_FIELD), "taro.velh");
    QS_CHECK_EQ(std::string(reinterpret_cast<char *>(app.sel.password)), taro.password);
    expect_refusal(main, IDC_ENCRYPT, text::kChooseFile);

    CreateDirectoryA((dir + "\\out").c_str(), nullptr);
    MoveFileA((dir + "\\work\\書類.velm").c_str(), (dir + "\\out\\書類.velm").c_str());
    select_keys(main, hanako, taro);
    drop(IDC_FILE_FIELD, {dir + "\\out\\書類.velm"});
    click(main, IDC_DECRYPT);
    QS_CHECK(wait_info(main, text::kDecrypted));
    QS_CHECK(no_box());
    QS_CHECK_EQ(read_file(dir + "\\out\\書類\\表.txt"), "hello");
    QS_CHECK_EQ(read_file(dir + "\\out\\z.bin"), std::string(5000, '\x5c'));
    QS_CHECK_EQ(text_of(main, IDC_FILE_FIELD), "");
    close_main();
}

// The check box decides whether the library compresses.
QS_SCENARIO(crypt_compress_flag_reaches_archive) {
    HWND main = main_window();
    const std::string dir = scratch();
    const User taro = make_user(dir, "taro", "taro-password");
    const std::string plain(20000, 'a');
    write_file(dir + "\\stored.txt", plain);
    write_file(dir + "\\packed.txt", plain);
    select_keys(main, taro, taro);

    SendMessageA(GetDlgItem(main, IDC_COMPRESS), BM_CLICK, 0, 0);
    drop(IDC_FILE_FIELD, {dir + "\\stored.txt"});
    click(main, IDC_ENCRYPT);
    QS_CHECK(wait_info(main, text::kEncrypted));
    SendMessageA(GetDlgItem(main, IDC_COMPRESS), BM_CLICK, 0, 0);
    drop(IDC_FILE_FIELD, {dir + "\\packed.txt"});
    click(main, IDC_ENCRYPT);
    QS_CHECK(wait_info(main, text::kEncrypted));
    QS_CHECK(read_file(dir + "\\stored.txt.velm").size() > plain.size());
    QS_CHECK(read_file(dir + "\\packed.txt.velm").size() < plain.size() / 4);
    close_main();
}

// Failures of the library: a public key that cannot be read, and an archive
// made for someone else. The items are to be chosen again after each.
QS_SCENARIO(crypt_library_failures) {
    HWND main = main_window();
    const std::string dir = scratch();
    const User taro = make_user(dir, "taro", "taro-password");
    const User hanako = make_user(dir, "hanako", "hanako-password");
    write_file(dir + "\\bad.velk", "not a key");
    write_file(dir + "\\a.txt", "data");

    drop(IDC_SECRET_FIELD, {taro.secret});
    set_text(main, IDC_PASSWORD, taro.password);
    drop(IDC_PUBLIC_FIELD, {dir + "\\bad.velk"});
    drop(IDC_FILE_FIELD, {dir + "\\a.txt"});
    expect_refusal(main, IDC_ENCRYPT, text::kErrorOccurred, text::kFailure);
    QS_CHECK(wait_info(main, text::kEncrypted));
    QS_CHECK_EQ(text_of(main, IDC_FILE_FIELD), "");
    QS_CHECK(!exists(dir + "\\a.txt.velm"));

    // For Hanako, opened by Taro: the keys do not match.
    drop(IDC_PUBLIC_FIELD, {hanako.public_key});
    drop(IDC_FILE_FIELD, {dir + "\\a.txt"});
    click(main, IDC_ENCRYPT);
    QS_CHECK(wait_info(main, text::kEncrypted));
    MoveFileA((dir + "\\a.txt.velm").c_str(), (dir + "\\b.velm").c_str());
    drop(IDC_PUBLIC_FIELD, {taro.public_key});
    drop(IDC_FILE_FIELD, {dir + "\\b.velm"});
    expect_refusal(main, IDC_DECRYPT, text::kKeysMayNotMatch, text::kFailure);
    QS_CHECK(wait_info(main, text::kDecrypted));
    QS_CHECK_EQ(std::string(app.sel.selected), "");
    close_main();
}

// While the library asks about an existing archive, the main window takes
// no input, so no second operation can start inside the first.
QS_SCENARIO(crypt_main_window_held_during_library_prompt) {
    HWND main = main_window();
    const std::string dir = scratch();
    const User taro = make_user(dir, "taro", "taro-password");
    write_file(dir + "\\a.txt", "data");
    write_file(dir + "\\a.txt.velm", "older archive");
    select_keys(main, taro, taro);
    drop(IDC_FILE_FIELD, {dir + "\\a.txt"});
    click(main, IDC_ENCRYPT);

    Box prompt = wait_box();
    QS_CHECK_EQ(prompt.caption, dir + "\\a.txt.velm");
    QS_CHECK(prompt.owner == nullptr);
    QS_CHECK(!IsWindowEnabled(main));
    QS_CHECK_EQ(text_of(main, IDC_INFO), text::kEncrypting);
    answer(prompt, IDCANCEL);
    QS_CHECK(wait_info(main, text::kEncrypted));
    QS_CHECK(IsWindowEnabled(main));
    QS_CHECK(no_box());
    QS_CHECK_EQ(read_file(dir + "\\a.txt.velm"), "older archive");
    close_main();
}

// A long encryption shows its progress in the information line, and the
// window stays painted and answering meanwhile; a click during the call does
// nothing, and neither does closing the window.
QS_SCENARIO(crypt_progress_while_the_call_runs) {
    HWND main = main_window();
    const std::string dir = scratch();
    const User taro = make_user(dir, "taro", "taro-password");
    // Text of random hexadecimal digits deflated on one thread: the call
    // lasts long enough to watch.
    std::string digits(32 << 20, '\0');
    uint32_t x = 2463534242u;
    for (char &c : digits) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = "0123456789abcdef"[x & 15];
    }
    write_file(dir + "\\big.bin", digits);
    _putenv("QUILLSEAL_THREADS=1");
    select_keys(main, taro, taro);
    drop(IDC_FILE_FIELD, {dir + "\\big.bin"});
    click(main, IDC_ENCRYPT);

    std::vector<std::string> lines;
    bool poked = false;
    for (int i = 0; i < 6000; i++) {
        // Read through the window's own thread: an answer proves it alive.
        const std::string line = text_of(main, IDC_INFO);
        if (line == text::kEncrypted) break;
        if (line.find('%') != std::string::npos && (lines.empty() || lines.back() != line))
            lines.push_back(line);
        if (lines.size() == 2 && !poked) {
            poked = true;
            QS_CHECK(!IsWindowEnabled(main));
            PostMessageA(GetDlgItem(main, IDC_DECRYPT), BM_CLICK, 0, 0);
            PostMessageA(main, WM_CLOSE, 0, 0);
        }
        Sleep(10);
    }
    QS_CHECK(lines.size() >= 3);
    if (!lines.empty()) QS_CHECK(lines.front().find(text::kEncrypting) == 0);
    QS_CHECK(wait_info(main, text::kEncrypted));
    QS_CHECK(no_box());
    QS_CHECK(IsWindow(main) && IsWindowEnabled(main));
    QS_CHECK(exists(dir + "\\big.bin.velm"));
    _putenv("QUILLSEAL_THREADS=");
    close_main();
}
