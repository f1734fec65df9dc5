// Scenarios of the Tools menu: the signature check of an archive, a file's
// SHA-256 value, a public key's fingerprint and the password made from a
// file, with what each shows when its input is missing or unreadable.

#include "harness.h"

#include <string>

#include "app.h"
#include "quillcore.h"
#include "strings.h"

namespace {

const char kAbcSha256[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
// The digest words as they lie in memory, least significant byte first.
const char kAbcFingerprint[] = "vxZ4uurPAY/eQEFBIyKuXaNhA7CceheWYf8QtK0VAPI=";
// A digest with a word below 0x10000000, whose leading zero digits must show.
const char kQuill8Sha256[] = "40198d97e1b4c16d592fdf1345ab95a900872e2ad070ba5193e22c46d268d9b3";
const char kPassword[] = "tools password";

void expect_box(const char *caption, const char *body) {
    const harness::Box box = harness::wait_box();
    QS_CHECK_EQ(box.caption, std::string(caption));
    QS_CHECK_EQ(box.text, std::string(body));
    QS_CHECK(box.owner == harness::main_window());
    harness::answer(box, IDOK);
}

// The information line and its label.
struct Info {
    std::string line, label;
    bool operator==(const Info &o) const { return line == o.line && label == o.label; }
};

Info info() {
    HWND main = harness::main_window();
    return {harness::text_of(main, IDC_INFO), harness::text_of(main, IDC_INFO_LABEL)};
}

std::string file_with(const std::string &name, const std::string &bytes) {
    const std::string path = harness::scratch() + "\\" + name;
    harness::write_file(path, bytes);
    return path;
}

std::string password_block() {
    return std::string(reinterpret_cast<const char *>(app.sel.password), kPasswordBytes);
}

const unsigned char *block_of(const std::string &password, std::string *block) {
    *block = password;
    block->resize(kPasswordBytes, '\0');
    return reinterpret_cast<const unsigned char *>(block->data());
}

// A key pair of the user, written by the library straight into the scratch
// folder.
void make_keys(const std::string &user) {
    const std::string secret = harness::scratch() + "\\" + user + ".velh";
    const std::string public_key = harness::scratch() + "\\" + user + ".velk";
    std::string block;
    QS_CHECK_EQ(kagisakusei(secret.c_str(), public_key.c_str(), block_of(kPassword, &block)), 0);
}

}  // namespace

QS_SCENARIO(tools_need_a_selection) {
    harness::main_window();
    harness::command(IDM_SHA256);
    expect_box(text::kCaution, text::kNoFileSelected);
    harness::command(IDM_PASSWORD_FROM_FILE);
    expect_box(text::kCaution, text::kNoFileSelected);
    harness::command(IDM_FINGERPRINT);
    expect_box(text::kCaution, text::kNoPublicSelected);
    // The tamper check wants the public key first, then an item.
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kCaution, text::kSelectPublicFirst);
    harness::drop(IDC_PUBLIC_FIELD, {file_with("taro.velk", "abc")});
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kCaution, text::kNoFileSelected);
    harness::close_main();
}

QS_SCENARIO(tools_sha256_value) {
    harness::main_window();
    harness::drop(IDC_FILE_FIELD, {file_with("abc.txt", "abc")});
    harness::command_and_wait(IDM_SHA256);
    QS_CHECK(harness::no_box());
    QS_CHECK((info() == Info{kAbcSha256, text::kSha256Label}));

    const std::string quill8 = file_with("quill8.txt", "quill8");
    harness::drop(IDC_FILE_FIELD, {quill8});
    harness::command_and_wait(IDM_SHA256);
    QS_CHECK_EQ(info().line, std::string(kQuill8Sha256));

    // A file gone since it was chosen: an error, and the line stays as it was.
    harness::drop(IDC_FILE_FIELD, {quill8});
    const Info before = info();
    DeleteFileA(quill8.c_str());
    harness::command(IDM_SHA256);
    expect_box(text::kFailure, text::kErrorHappened);
    QS_CHECK(info() == before);

    // A folder has no digest.
    const std::string folder = harness::scratch() + "\\folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    harness::write_file(folder + "\\inside.txt", "abc");
    harness::drop(IDC_FILE_FIELD, {folder});
    const Info listed = info();
    harness::command(IDM_SHA256);
    expect_box(text::kFailure, text::kErrorHappened);
    QS_CHECK(info() == listed);
    harness::close_main();
}

QS_SCENARIO(tools_fingerprint_of_public_key) {
    HWND main = harness::main_window();
    const std::string key = file_with("abc.velk", "abc");
    harness::drop(IDC_PUBLIC_FIELD, {key});
    harness::command_and_wait(IDM_FINGERPRINT);
    QS_CHECK(harness::no_box());
    QS_CHECK_EQ(info().label, std::string(text::kFingerprintLabel));
    // 44 Base64 characters, then the CR LF the encoder ends its text with.
    const std::string line = info().line;
    QS_CHECK_EQ(line, std::string(kAbcFingerprint) + "\r\n");

    // The line keeps its text until something else replaces it.
    harness::set_text(main, IDC_PASSWORD, "x");
    QS_CHECK_EQ(info().line, line);

    DeleteFileA(key.c_str());
    harness::command(IDM_FINGERPRINT);
    expect_box(text::kFailure, text::kErrorHappened);
    QS_CHECK_EQ(info().line, line);
    QS_CHECK_EQ(info().label, std::string(text::kFingerprintLabel));
    harness::close_main();
}

QS_SCENARIO(tools_password_from_file) {
    HWND main = harness::main_window();
    harness::drop(IDC_FILE_FIELD, {file_with("abc.txt", "abc")});
    harness::command_and_wait(IDM_PASSWORD_FROM_FILE);
    QS_CHECK(harness::no_box());
    const std::string expected = std::string(kAbcFingerprint).substr(0, 43);
    QS_CHECK_EQ(harness::text_of(main, IDC_PASSWORD), expected);
    std::string block;
    block_of(expected, &block);
    QS_CHECK(password_block() == block);
    QS_CHECK(SendDlgItemMessageA(main, IDC_PASSWORD, EM_GETPASSWORDCHAR, 0, 0) != 0);

    // An unreadable item leaves the password as it was.
    const std::string folder = harness::scratch() + "\\empty";
    CreateDirectoryA(folder.c_str(), nullptr);
    harness::drop(IDC_FILE_FIELD, {folder});
    harness::command(IDM_PASSWORD_FROM_FILE);
    expect_box(text::kFailure, text::kErrorHappened);
    QS_CHECK_EQ(harness::text_of(main, IDC_PASSWORD), expected);
    QS_CHECK(password_block() == block);

    // The key pair window takes the password over; a pair made with it opens
    // with the same file's password.
    harness::command(IDM_KEY_PAIR);
    HWND window = harness::key_pair_window();
    QS_CHECK(window != nullptr);
    QS_CHECK_EQ(harness::text_of(window, IDK_FIRST), expected);
    harness::set_text(window, IDK_USER_ID, "from-file");
    harness::click(window, IDK_CREATE);
    for (int waited = 0; waited < 10000 && IsWindow(window); waited += 20) Sleep(20);
    QS_CHECK(!IsWindow(window));
    const std::string secret = harness::secret_folder() + "\\from-file.velh";
    QS_CHECK_EQ(password_check(secret.c_str(), block_of(expected, &block)), 0);
    harness::close_main();
}

QS_SCENARIO(tools_tamper_check) {
    harness::main_window();
    make_keys("taro");
    make_keys("hanako");
    const std::string taro_public = harness::scratch() + "\\taro.velk";
    const std::string hanako_public = harness::scratch() + "\\hanako.velk";

    // Taro signs an archive for Hanako, stored without compression.
    const std::string document = file_with("document.txt", std::string(10000, 'q'));
    const std::string archive = document + ".velm";
    std::string block;
    QS_CHECK(file_get(0, document.c_str()) == 1);
    QS_CHECK_EQ(angouka((harness::scratch() + "\\taro.velh").c_str(), block_of(kPassword, &block),
                        hanako_public.c_str(), 0),
                0);
    std::string bytes = harness::read_file(archive);
    QS_CHECK(bytes.size() > 1000);
    bytes[bytes.size() / 2] ^= 0x01;
    const std::string tampered = file_with("tampered.velm", bytes);

    harness::drop(IDC_PUBLIC_FIELD, {taro_public});
    harness::drop(IDC_FILE_FIELD, {archive});
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kSafe, text::kNotTampered);

    // Checked with the other user's key.
    harness::drop(IDC_PUBLIC_FIELD, {hanako_public});
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kWarning, text::kTampered);

    harness::drop(IDC_PUBLIC_FIELD, {taro_public});
    harness::drop(IDC_FILE_FIELD, {tampered});
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kWarning, text::kTampered);

    // Only the first of several items is checked.
    harness::drop(IDC_FILE_FIELD, {archive, tampered});
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kSafe, text::kNotTampered);
    harness::drop(IDC_FILE_FIELD, {tampered, archive});
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kWarning, text::kTampered);

    // No signature to read at all.
    harness::drop(IDC_FILE_FIELD, {file_with("plain.txt", "abc")});
    harness::command(IDM_TAMPER_CHECK);
    expect_box(text::kFailure, text::kErrorOccurred);

    // The check changes no selection.
    QS_CHECK_EQ(std::string(app.sel.public_key), taro_public);
    harness::close_main();
}
