// Every text the program shows, in one place. The source is UTF-8; the build
// turns these literals into code page 932.
#ifndef QUILLGUI_STRINGS_H
#define QUILLGUI_STRINGS_H

#include "rules.h"
#include "texts_common.h"

#include "quill_version.h"

namespace text {

// Windows.
inline constexpr char kMainTitle[] = "Quillseal";
inline constexpr char kKeyPairTitle[] = "秘密鍵・公開鍵ペアの作成";
inline constexpr char kClassName[] = "NORMALDLG";
inline constexpr char kMainForm[] = "MainWnd";
inline constexpr char kKeyPairForm[] = "syokisettei";
inline constexpr char kFontFace[] = "ＭＳ Ｐゴシック";

// Menus.
inline constexpr char kMenuFile[] = "ファイル";
inline constexpr char kMenuTools[] = "ツール";
inline constexpr char kMenuHelp[] = "ヘルプ";
inline constexpr char kMenuKeyPair[] = "公開鍵・秘密鍵ペア作成";
inline constexpr char kMenuExportSecret[] = "選択した秘密鍵のコピーを取り出す";
inline constexpr char kMenuExportPublic[] = "選択した公開鍵のコピーを取り出す";
inline constexpr char kMenuImportPublic[] = "選択した公開鍵をコピーして取り込む";
inline constexpr char kMenuTamper[] = "暗号化ファイルの改竄の有無を確認";
inline constexpr char kMenuFingerprint[] = "公開鍵の指紋を表示";
inline constexpr char kMenuSha256[] = "ファイルのSHA-256値を表示";
inline constexpr char kMenuPasswordFromFile[] = "ファイルからパスワードを作成";
inline constexpr char kMenuHelpItem[] = "ヘルプ";
inline constexpr char kMenuAbout[] = "バージョン情報";

// Main window controls.
inline constexpr char kSelectSecret[] = "秘密鍵選択";
inline constexpr char kSelectPublic[] = "公開鍵選択";
inline constexpr char kSelectFile[] = "ファイル選択";
inline constexpr char kEncrypt[] = "暗号化";
inline constexpr char kDecrypt[] = "復号化";
inline constexpr char kSecretHint[] =
    "自分の秘密鍵を、左のボタンを押して選択するか、ここにドラッグ＆ドロップ";
inline constexpr char kPasswordLabel[] = "パスワード入力";
inline constexpr char kPublicHint[] =
    "相手の公開鍵を、左のボタンを押して選択するか、ここにドラッグ＆ドロップ";
inline constexpr char kFileHint[] =
    "暗号化・復号化するファイルやフォルダをここにドラッグ＆ドロップするか、左のボタンを押して選択";
inline constexpr char kInfoLabel[] = "情報窓";
inline constexpr char kShowPassword[] = "パスワードを表示する";
inline constexpr char kCompress[] = "圧縮して暗号化する";

// Captions.
inline constexpr char kFailure[] = "失敗";
inline constexpr char kWarning[] = "警告";
inline constexpr char kSafe[] = "安全";

// Selection, encryption and decryption.
inline constexpr char kFilesSelected[] = "個のファイルが選択されました";
inline constexpr char kArgumentNotNative[] =
    "次の項目の名前には、このシステムの文字コードで表せない文字が含まれているため選択できません。";
inline constexpr char kAllFilesFilter[] = "すべてのファイル(*.*)";
inline constexpr char kSelectSecretTitle[] = "自分の秘密鍵を選択";
inline constexpr char kSelectPublicTitle[] = "相手の公開鍵を選択";
inline constexpr char kSelectFileTitle[] = "暗号化・復号化するファイルを選択";
inline constexpr char kCapsLockText[] = "解除して下さい。";
inline constexpr char kCapsLockCaption[] = "Caps Lockキーがオンになっています。";
inline constexpr char kChooseSecret[] = "秘密鍵を選択して下さい";
inline constexpr char kNoSecretKeyCaption[] = "ユーザーIDの秘密鍵が存在しません";
inline constexpr char kChoosePublic[] = "公開鍵を選択して下さい";
inline constexpr char kChooseFile[] = "ファイルを選択して下さい";
inline constexpr char kEncrypted[] = "暗号化終了";
inline constexpr char kDecrypted[] = "復号化終了";
inline constexpr char kWaitCursorFile[] = "tokei.cur";
inline constexpr char kChecking[] = "改竄の有無を確認中";
// The progress of a call: what, percentage, bytes done and in all.
inline constexpr char kProgressFormat[] = "%s  %u%%（%s / %s）";
inline constexpr char kBytes[] = " バイト";
inline constexpr char kKilobytes[] = "KB";
inline constexpr char kMegabytes[] = "MB";
inline constexpr char kGigabytes[] = "GB";

// Key pair window.
inline constexpr char kCreateKeyPair[] = "鍵ペア作成";
inline constexpr char kSecondPasswordLabel[] = "パスワード再入力";
inline constexpr char kUserIdLabel[] = "ユーザーID入力";
inline constexpr char kKeyPairHint1[] =
    "秘密鍵・公開鍵ペアを作成します。ユーザーIDは鍵のファイル名に成りますので、";
inline constexpr char kKeyPairHint2[] =
    "だれの鍵か判るように、氏名、メールアドレスなどを入力して下さい。";

// Tools and key copies.
inline constexpr char kSelectPublicFirst[] = "公開鍵を選択してから、この操作を行って下さい";
inline constexpr char kSelectSecretFirst[] = "秘密鍵を選択してから、この操作を行って下さい";
inline constexpr char kNoFileSelected[] = "ファイルが選択されていません";
inline constexpr char kNoPublicSelected[] = "公開鍵が選択されていません";
inline constexpr char kSha256Label[] = "SHA-256値";
inline constexpr char kFingerprintLabel[] = "公開鍵の指紋";
inline constexpr char kExportPublicTitle[] =
    "公開鍵のコピー先のフォルダを選択して、[保存]キーを押して下さい";
inline constexpr char kExportSecretTitle[] =
    "秘密鍵のコピー先のフォルダを選択して、[保存]キーを押して下さい";
inline constexpr char kPublicExists[] = "同名の公開鍵が存在します。上書きしてよいですか。";
inline constexpr char kSecretExists[] = "同名の秘密鍵が存在します。上書きしてよいですか。";

// Help and About.
inline constexpr char kHelpFile[] = "Quillseal.chm";
inline constexpr char kHelpMissing[] = "ヘルプファイルを開けませんでした。";
inline constexpr char kAboutCaption[] = "バージョン情報";
inline constexpr char kAboutText[] =
    "Quillseal Ver" QUILL_VERSION "\nQuillseal 開発チーム\n\nhttps://quillseal.example/";

}  // namespace text

#endif
