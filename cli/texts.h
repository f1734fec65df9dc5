// Every text the command-line program shows, in one place. The source is
// UTF-8; the Windows build turns these literals into code page 932, the
// encoding of the library's own texts there. Texts shared with the desktop
// program are the same words.
#ifndef QUILLSEAL_TEXTS_H
#define QUILLSEAL_TEXTS_H

#include "texts_common.h"

namespace text {

// Usage.
inline constexpr char kUnknownCommand[] = "不明なコマンドです: ";
inline constexpr char kUnknownOption[] = "不明なオプションです: ";
inline constexpr char kOptionNotHere[] = "このコマンドでは使えないオプションです: ";
inline constexpr char kOptionNeedsValue[] = "オプションに値を指定して下さい: ";
inline constexpr char kOptionTwice[] = "同じオプションが二度指定されています: ";
inline constexpr char kOptionMissing[] = "次のオプションを指定して下さい: ";
inline constexpr char kOperandMissing[] = "ファイルを指定して下さい";
inline constexpr char kTooManyOperands[] = "指定が多すぎます: ";
inline constexpr char kOneAnswer[] = "--overwrite、--rename、--skip は一つだけ指定して下さい";
inline constexpr char kOneSource[] =
    "--passphrase-file、--passphrase-fd、--passphrase-from は一つだけ指定して下さい";
inline constexpr char kBadFd[] = "--passphrase-fd には 0 以上の番号を指定して下さい: ";
inline constexpr char kSeeHelp[] = "使い方は quillseal --help で確認して下さい";
inline constexpr char kSeeCommandHelp1[] = "使い方は quillseal ";
inline constexpr char kSeeCommandHelp2[] = " --help で確認して下さい";
inline constexpr char kBadArgument2[] =
    " 番目の引数に、このシステムの文字コードで表せない文字が含まれています";

// A failure whose cause is not known: one wording for every command (the
// desktop program's other wording, kErrorHappened, is not used here).
inline constexpr const char *kFailed = kErrorOccurred;

// Why a file named on the command line cannot be used, after its path and
// ": ".
inline constexpr char kIsMissing[] = "ファイルが見つかりません";
inline constexpr char kIsFolder[] = "フォルダです。ファイルを指定して下さい";
inline constexpr char kIsNotFile[] = "通常のファイルではありません";
inline constexpr char kIsDenied[] = "アクセスが拒否されました";
inline constexpr char kIsInUse[] = "ほかのプログラムが使用中です";
inline constexpr char kIsUnreadable[] = "ファイルを読み込めません";
inline constexpr char kIsNotPublicKey[] = "公開鍵のファイルではありません";
inline constexpr char kIsNotSecretKey[] = "秘密鍵のファイルではありません";
inline constexpr char kIsUnsigned[] =
    "署名を含むには短すぎます。暗号化ファイルではないか、途中で切れています";

// Library messages and questions on the terminal.
inline constexpr char kChoices[] = "  1: 上書き  2: 別名保存  3: 処理中止 > ";
inline constexpr char kChooseAgain[] = "1、2、3 のどれかを入力して下さい";
inline constexpr char kYesNo[] = " (y/n) > ";

// Passwords.
inline constexpr char kPasswordPrompt[] = "パスワード入力: ";
inline constexpr char kPasswordAgainPrompt[] = "パスワード再入力: ";
inline constexpr char kPasswordTooLong[] = "パスワードが長すぎます。159バイト以下にして下さい";
inline constexpr char kPasswordBadText[] = "パスワードに使えない文字が含まれています";
inline constexpr char kPasswordNotInPage[] =
    "パスワードに、このシステムの文字コードで表せない文字が含まれています";
inline constexpr char kNoTerminal[] =
    "パスワードを入力する端末がありません。--passphrase-file、--passphrase-fd か "
    "--passphrase-from を指定して下さい";
inline constexpr char kPasswordUnreadable[] = "パスワードを読み込めません";
inline constexpr char kPasswordFileUnreadable[] = ": パスワードのファイルを読み込めません";

// Keys.
inline constexpr char kNoSecretKey[] =
    ": ユーザーIDの秘密鍵が存在しません。quillseal list-keys で鍵を確認して下さい";
inline constexpr char kNoPublicKey[] =
    ": 公開鍵が存在しません。quillseal list-keys で鍵を確認して下さい";
#if defined(_WIN32)
inline constexpr char kNoKeyFolder[] =
    "鍵のフォルダ (アプリケーションデータのフォルダ) が分かりません";
#else
inline constexpr char kNoKeyFolder[] =
    "鍵のフォルダが分かりません。HOME か XDG_DATA_HOME を設定して下さい";
#endif
inline constexpr char kSecretKeys[] = "秘密鍵 ";
inline constexpr char kPublicKeys[] = "公開鍵 ";
inline constexpr char kNoKeys[] = "  (なし)";

// Key pair creation, as the key pair window.
inline constexpr char kKeyKept[] =
    "鍵は作成しませんでした。上書きするには --overwrite を指定して下さい";
inline constexpr char kSecretKeyMade[] = "秘密鍵: ";
inline constexpr char kPublicKeyMade[] = "公開鍵: ";
inline constexpr char kNoFolder[] = ": フォルダが見つかりません";

// Encryption and decryption.
inline constexpr char kNoItem[] = ": ファイルやフォルダが見つかりません";
inline constexpr char kUnsigned[] =
    ": 署名を付けられませんでした。署名のない暗号化ファイルが残っています";
inline constexpr char kEncryptStopped[] =
    ": 同名のファイルがあるため処理を中止しました。暗号化ファイルは作成していません";
inline constexpr char kDecryptStopped1[] = ": 同名のファイル ";
inline constexpr char kDecryptStopped2[] = " があるため、復号化を途中で中止しました";
inline constexpr char kAnswerWithFlag[] =
    "同名のファイルを上書きするには --overwrite、別名で保存するには --rename を指定して下さい";
inline constexpr char kRefused[] =
    "署名を確認できないため、このファイルは復号化しません。送信者の公開鍵 (-s) を確かめて"
    "下さい。確認せずに進めるには --ignore-signature を指定して下さい";

// Tamper check, as the desktop program shows its outcomes.

// The list of an archive's entries.
inline constexpr char kFolderKind[] = "フォルダ";
inline constexpr char kFileKind[] = "ファイル";

// Progress.
inline constexpr char kChecking[] = "署名確認中";
inline constexpr char kReading[] = "読み込み中";
inline constexpr char kHashing[] = "SHA-256計算中";
inline constexpr char kTimeLeft[] = "残り ";

// Help. Every command has its own page with one example.
inline constexpr char kHelp[] =
    "quillseal: ファイルやフォルダを相手の公開鍵で暗号化して署名し、自分宛ての暗号化ファイルを"
    "確認して復号化します。\n"
    "\n"
    "使い方: quillseal コマンド [オプション] [引数...]\n"
    "\n"
    "コマンド:\n"
    "  keygen ユーザーID                     秘密鍵・公開鍵ペアを作成します\n"
    "  encrypt -k 秘密鍵 -r 公開鍵 項目...   暗号化ファイル (.velm) を作成します\n"
    "  decrypt -k 秘密鍵 -s 公開鍵 ファイル...\n"
    "                                        暗号化ファイルを確認して復号化します\n"
    "  list -k 秘密鍵 -s 公開鍵 ファイル...  暗号化ファイルの内容を表示します\n"
    "  verify -s 公開鍵 ファイル...          暗号化ファイルの改竄の有無を確認します\n"
    "  sha256 ファイル...                    ファイルのSHA-256値を表示します\n"
    "  fingerprint 公開鍵...                 公開鍵の指紋を表示します\n"
    "  password-from ファイル                ファイルからパスワードを作成します\n"
    "  list-keys                             鍵のフォルダの鍵を表示します\n"
    "\n"
    "鍵は、ファイルのパスか、鍵のフォルダにあるユーザーIDで指定します。\n"
    "\n"
    "共通のオプション:\n"
    "  -q, --quiet    進行状況を表示しません\n"
    "  -h, --help     使い方を表示します (quillseal コマンド --help でコマンドごと)\n"
    "  --version      バージョンを表示します\n"
    "\n"
    "終了コード: 0 成功、1 失敗、2 鍵の不一致、3 署名を確認できない、64 使い方の誤り\n"
    "\n"
    "例: quillseal encrypt -k alice -r bob 報告書.docx\n";

inline constexpr char kPasswordOptions[] =
    "パスワード (指定がなければ端末で入力します):\n"
    "  --passphrase-file ファイル   ファイルの1行目をパスワードにします\n"
    "  --passphrase-fd 番号         ファイル記述子から1行読みます\n"
    "  --passphrase-from ファイル   ファイルから作成したパスワード (43文字) を使います\n";

inline constexpr char kAnswerOptions[] =
    "同名のファイルがあるとき (指定がなければ端末で尋ねます。端末がなければ処理中止):\n"
    "  --overwrite   上書きします\n"
    "  --rename      別名 (名前(1).拡張子 など) で保存します\n"
    "  --skip        処理を中止します\n";

inline constexpr char kKeygenHelp[] =
    "使い方: quillseal keygen [--out-dir フォルダ] [パスワードの指定] ユーザーID\n"
    "\n"
    "秘密鍵・公開鍵ペアを作成します。ユーザーIDは鍵のファイル名に成りますので、だれの鍵か"
    "判るように、氏名、メールアドレスなどを入力して下さい。パスワードは8文字以上で、端末では"
    "2回入力します。\n"
    "鍵は鍵のフォルダ (秘密鍵は himitu、公開鍵は koukai) に ユーザーID.velh と "
    "ユーザーID.velk として作成します。\n"
    "\n"
    "  --out-dir フォルダ   両方の鍵を指定のフォルダに作成します\n"
    "  --overwrite          同名の鍵があれば尋ねずに上書きします\n"
    "\n";
inline constexpr char kKeygenExample[] = "例: quillseal keygen alice@example.jp\n";

inline constexpr char kEncryptHelp[] =
    "使い方: quillseal encrypt -k 秘密鍵 -r 公開鍵 [--no-compress] 項目...\n"
    "\n"
    "ファイルやフォルダを相手の公開鍵で暗号化し、自分の秘密鍵で署名して、一つの暗号化ファイルに"
    "します。暗号化ファイルは最初の項目と同じフォルダに 項目名.velm として作成し、そのパスを"
    "表示します。項目はすべて同じフォルダに置いて下さい。\n"
    "\n"
    "  -k, --secret-key 秘密鍵   自分の秘密鍵 (パスかユーザーID)\n"
    "  -r, --recipient 公開鍵    相手の公開鍵 (パスかユーザーID)\n"
    "  --no-compress             圧縮せずに暗号化します\n"
    "\n";
inline constexpr char kEncryptExample[] =
    "例: quillseal encrypt -k alice -r bob 写真 報告書.docx\n";

inline constexpr char kDecryptHelp[] =
    "使い方: quillseal decrypt -k 秘密鍵 -s 公開鍵 [-C フォルダ] 暗号化ファイル...\n"
    "\n"
    "暗号化ファイルの署名を送信者の公開鍵で確認してから、暗号化ファイルと同じフォルダに"
    "復号化します。署名を確認できないファイルは復号化しません。\n"
    "\n"
    "  -k, --secret-key 秘密鍵   自分の秘密鍵 (パスかユーザーID)\n"
    "  -s, --sender 公開鍵       送信者の公開鍵 (パスかユーザーID)\n"
    "  -C, --directory フォルダ  指定のフォルダに復号化します\n"
    "  --ignore-signature        署名を確認できなくても、警告して復号化します\n"
    "\n";
inline constexpr char kDecryptExample[] = "例: quillseal decrypt -k bob -s alice 写真.velm\n";

inline constexpr char kListHelp[] =
    "使い方: quillseal list -k 秘密鍵 -s 公開鍵 暗号化ファイル...\n"
    "\n"
    "暗号化ファイルの署名を確認してから、中のフォルダとファイルを1行ずつ (種類、大きさ、"
    "更新日時、名前) 表示します。何も書き込みません。\n"
    "\n"
    "  -k, --secret-key 秘密鍵   自分の秘密鍵 (パスかユーザーID)\n"
    "  -s, --sender 公開鍵       送信者の公開鍵 (パスかユーザーID)\n"
    "  --ignore-signature        署名を確認できなくても、警告して表示します\n"
    "\n";
inline constexpr char kListExample[] = "例: quillseal list -k bob -s alice 写真.velm\n";

inline constexpr char kVerifyHelp[] =
    "使い方: quillseal verify -s 公開鍵 暗号化ファイル...\n"
    "\n"
    "暗号化ファイルの改竄の有無を送信者の公開鍵で確認し、1ファイル1行で結果を表示します。"
    "一つでも確認できなければ、終了コードは0以外です。\n"
    "\n"
    "  -s, --sender 公開鍵   送信者の公開鍵 (パスかユーザーID)\n"
    "\n";
inline constexpr char kVerifyExample[] = "例: quillseal verify -s alice 写真.velm\n";

inline constexpr char kSha256Help[] =
    "使い方: quillseal sha256 ファイル...\n"
    "\n"
    "ファイルのSHA-256値を16進数で表示し、続けてファイル名を表示します。\n"
    "\n";
inline constexpr char kSha256Example[] = "例: quillseal sha256 報告書.docx\n";

inline constexpr char kFingerprintHelp[] =
    "使い方: quillseal fingerprint 公開鍵...\n"
    "\n"
    "公開鍵の指紋 (公開鍵ファイルのSHA-256値のBase64) を表示し、続けて鍵を表示します。\n"
    "\n";
inline constexpr char kFingerprintExample[] = "例: quillseal fingerprint bob\n";

inline constexpr char kPasswordFromHelp[] =
    "使い方: quillseal password-from ファイル\n"
    "\n"
    "ファイルから43文字のパスワードを作成して表示します。同じファイルからは、いつも同じ"
    "パスワードが作成されます。\n"
    "\n";
inline constexpr char kPasswordFromExample[] = "例: quillseal password-from 写真.jpg\n";

inline constexpr char kListKeysHelp[] =
    "使い方: quillseal list-keys\n"
    "\n"
    "鍵のフォルダにある秘密鍵と公開鍵のユーザーIDを表示します。公開鍵には指紋も表示します。\n"
    "\n";
inline constexpr char kListKeysExample[] = "例: quillseal list-keys\n";

inline constexpr char kCommonOptions[] = "  -q, --quiet   進行状況を表示しません\n\n";

}  // namespace text

#endif
