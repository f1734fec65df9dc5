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
inline constexpr char kAmbiguousOption[] = "複数のオプションに当てはまります: ";
inline constexpr char kOptionTakesNoValue[] = "このオプションに値は指定できません: ";
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

// Copies of public keys.
inline constexpr char kPublicKeyExists[] = "同名の公開鍵が存在します。上書きしてよいですか。";
inline constexpr char kOldFingerprint[] = "  既存の指紋: ";
inline constexpr char kNewFingerprint[] = "  新しい指紋: ";
inline constexpr char kKeyNotImported[] =
    "公開鍵は取り込みませんでした。上書きするには --overwrite を、別のユーザーIDで取り込むには "
    "--as を指定して下さい";
inline constexpr char kAlreadyImported[] = "同じ公開鍵が既に取り込まれています: ";
inline constexpr char kImported[] = "公開鍵を取り込みました: ";
inline constexpr char kUserIdIs[] = "ユーザーID: ";
inline constexpr char kFingerprintIs[] = "指紋: ";
inline constexpr char kCompareFingerprint[] =
    "指紋が相手の公開鍵の指紋と一致することを、電話など別の方法で確かめてから使って下さい";
inline constexpr char kKeyNotWritten[] = ": 公開鍵を書き込めません";
inline constexpr char kCopyStopped[] = ": 同名のファイルがあるため、書き出しませんでした";
inline constexpr char kWhichKey[] =
    "書き出す公開鍵のユーザーIDを指定して下さい (quillseal list-keys で確認できます)";

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
inline constexpr char kStdinAlone[] = "標準入力 (-) は、ほかの項目と一緒には指定できません";
inline constexpr char kNameWithoutStdin[] =
    "--name は、標準入力 (-) を暗号化するときに指定して下さい";
inline constexpr char kBadEntryName[] =
    "--name には、フォルダを含まないファイル名を指定して下さい: ";
inline constexpr char kArchiveToTerminal[] =
    "暗号化ファイルは端末に出力しません。-o で保存先を指定するか、出力をリダイレクトして下さい";
inline constexpr char kOutputIsItem[] =
    ": 暗号化する項目と同じ名前です。-o には別の名前を指定して下さい";
inline constexpr char kOutputOneArchive[] = "-o は、暗号化ファイルを一つだけ指定したときに使えます";
inline constexpr char kOutputOrDirectory[] = "-o と -C は、どちらか一つだけ指定して下さい";
inline constexpr char kNotOneFile[] =
    ": -o は、ファイルを一つだけ含む暗号化ファイルに使えます。-C で復号化先のフォルダを"
    "指定して下さい";
inline constexpr char kStdinUnreadable[] = "標準入力を読み込めません";
inline constexpr char kStdoutFailed[] = "標準出力に書き込めません";
inline constexpr char kNoScratch[] = ": 一時フォルダを作成できません";
inline constexpr char kScratchFull[] = ": 一時ファイルに書き込めません";
inline constexpr char kNotPlaced[] = ": 復号化したファイルをこの名前にできません";
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
    "  import 公開鍵ファイル                 相手の公開鍵を鍵のフォルダに取り込みます\n"
    "  export [ユーザーID]                   自分の公開鍵を書き出します\n"
    "\n"
    "鍵は、ファイルのパスか、鍵のフォルダにあるユーザーIDで指定します。\n"
    "\n"
    "共通のオプション:\n"
    "  -q, --quiet    進行状況を表示しません\n"
    "  -h, --help     使い方を表示します (quillseal コマンド --help でコマンドごと)\n"
    "  -V, --version  バージョンを表示します\n"
    "\n"
    "短いオプションはまとめて (-qk alice)、長いオプションは一つに決まる先頭部分だけ "
    "(--sec) でも指定できます。\n"
    "\n"
    "終了コード: 0 成功、1 失敗、2 鍵の不一致、3 署名を確認できない、64 使い方の誤り\n"
    "\n"
    "例: quillseal encrypt -k alice -r bob 報告書.docx\n"
    "    tar cf - 写真 | quillseal encrypt -k alice -r bob -o 写真.tar.velm -\n";

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
    "2回入力します。短すぎるか2回が一致しなければ、3回まで入力し直せます。\n"
    "鍵は鍵のフォルダ (秘密鍵は himitu、公開鍵は koukai) に ユーザーID.velh と "
    "ユーザーID.velk として作成します。\n"
    "\n"
    "  --out-dir フォルダ   両方の鍵を指定のフォルダに作成します\n"
    "  --overwrite          同名の鍵があれば尋ねずに上書きします\n"
    "\n";
inline constexpr char kKeygenExample[] = "例: quillseal keygen alice@example.jp\n";

inline constexpr char kEncryptHelp[] =
    "使い方: quillseal encrypt -k 秘密鍵 -r 公開鍵 [-o 暗号化ファイル] [--no-compress] 項目...\n"
    "       quillseal encrypt -k 秘密鍵 -r 公開鍵 [-o 暗号化ファイル] [--name 名前] -\n"
    "\n"
    "ファイルやフォルダを相手の公開鍵で暗号化し、自分の秘密鍵で署名して、一つの暗号化ファイルに"
    "します。暗号化ファイルは最初の項目と同じフォルダに 項目名.velm として (-o があれば"
    "そのパスに) 作成し、そのパスを表示します。項目はすべて同じフォルダに置いて下さい。\n"
    "項目が - だけなら標準入力を一つのファイルとして暗号化し、暗号化ファイルを -o がなければ"
    "標準出力に出力します。\n"
    "\n"
    "  -k, --secret-key 秘密鍵   自分の秘密鍵 (パスかユーザーID)\n"
    "  -r, --recipient 公開鍵    相手の公開鍵 (パスかユーザーID)\n"
    "  -o, --output ファイル     暗号化ファイルのパス (- は標準出力)\n"
    "  --name 名前               標準入力を復号化したときのファイル名 (指定がなければ -o の"
    "ファイル名から .velm を除いた名前、-o もなければ stdin)\n"
    "  --no-compress             圧縮せずに暗号化します\n"
    "\n";
inline constexpr char kEncryptExample[] =
    "例: quillseal encrypt -k alice -r bob 写真 報告書.docx\n";

inline constexpr char kDecryptHelp[] =
    "使い方: quillseal decrypt -k 秘密鍵 -s 公開鍵 [-C フォルダ] 暗号化ファイル...\n"
    "       quillseal decrypt -k 秘密鍵 -s 公開鍵 -o ファイル 暗号化ファイル\n"
    "\n"
    "暗号化ファイルの署名を送信者の公開鍵で確認してから、暗号化ファイルと同じフォルダに"
    "復号化します。署名を確認できないファイルは復号化しません。\n"
    "\n"
    "  -k, --secret-key 秘密鍵   自分の秘密鍵 (パスかユーザーID)\n"
    "  -s, --sender 公開鍵       送信者の公開鍵 (パスかユーザーID)\n"
    "  -C, --directory フォルダ  指定のフォルダに復号化します\n"
    "  -o, --output ファイル     ファイルを一つだけ含む暗号化ファイルを、このパスに復号化します "
    "(- は標準出力。署名を確認するまで何も出力しません)\n"
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

inline constexpr char kImportHelp[] =
    "使い方: quillseal import [--as ユーザーID] [--overwrite | --skip] 公開鍵ファイル\n"
    "\n"
    "相手から受け取った公開鍵を鍵のフォルダ (koukai) にコピーし、ユーザーIDと指紋を表示します。"
    "ユーザーIDは、指定がなければファイル名から .velk を除いたものです。指紋は、相手に電話など"
    "別の方法で確かめて下さい。同名の公開鍵があれば、端末で尋ねます。\n"
    "\n"
    "  --as ユーザーID   このユーザーIDで取り込みます\n"
    "  --overwrite       同名の公開鍵を尋ねずに上書きします\n"
    "  --skip            同名の公開鍵があれば取り込みません\n"
    "\n";
inline constexpr char kImportExample[] = "例: quillseal import hanako.velk\n";

inline constexpr char kExportHelp[] =
    "使い方: quillseal export [-o ファイル] [ユーザーID]\n"
    "\n"
    "鍵のフォルダにある公開鍵を、相手に渡せるように書き出します。ユーザーIDは、秘密鍵が一つ"
    "だけなら省略できます。-o がなければ標準出力に出力します。\n"
    "\n"
    "  -o, --output ファイル   書き出す先のパス (- は標準出力)\n"
    "\n";
inline constexpr char kExportExample[] = "例: quillseal export -o taro.velk\n";

inline constexpr char kCommonOptions[] =
    "  -q, --quiet     進行状況を表示しません\n"
    "  -V, --version   バージョンを表示します\n\n";

}  // namespace text

#endif
