// Every text the command-line program shows, in one place, each in Japanese
// (the words of the desktop program) and in English; the language chosen at
// start picks one (language.h). The source is UTF-8; the Windows build turns
// these literals into code page 932, the encoding of the library's own texts
// there. Texts shared with the desktop program are the same words.
#ifndef QUILLSEAL_TEXTS_H
#define QUILLSEAL_TEXTS_H

#include "language.h"

#define QUILL_TEXT(name, japanese, english) inline constexpr Phrase name{japanese, english};
#include "texts_common.h"

#include "core/messages.h"

namespace text {

// Usage.
inline constexpr Phrase kUnknownCommand{"不明なコマンドです: ", "Unknown command: "};
inline constexpr Phrase kUnknownOption{"不明なオプションです: ", "Unknown option: "};
inline constexpr Phrase kOptionNotHere{"このコマンドでは使えないオプションです: ",
                                       "This command does not take the option: "};
inline constexpr Phrase kOptionNeedsValue{"オプションに値を指定して下さい: ",
                                          "The option needs a value: "};
inline constexpr Phrase kOptionTwice{"同じオプションが二度指定されています: ",
                                     "The option is given twice: "};
inline constexpr Phrase kAmbiguousOption{"複数のオプションに当てはまります: ",
                                         "The option is ambiguous: "};
inline constexpr Phrase kOptionTakesNoValue{"このオプションに値は指定できません: ",
                                            "The option takes no value: "};
inline constexpr Phrase kOptionMissing{"次のオプションを指定して下さい: ",
                                       "The command needs the option: "};
inline constexpr Phrase kOperandMissing{"ファイルを指定して下さい", "Name the files to work on"};
inline constexpr Phrase kTooManyOperands{"指定が多すぎます: ", "Too many arguments: "};
inline constexpr Phrase kOneAnswer{"--overwrite、--rename、--skip は一つだけ指定して下さい",
                                   "Give only one of --overwrite, --rename and --skip"};
inline constexpr Phrase kOneSource{
    "--passphrase-file、--passphrase-fd、--passphrase-from は一つだけ指定して下さい",
    "Give only one of --passphrase-file, --passphrase-fd and --passphrase-from"};
inline constexpr Phrase kBadFd{"--passphrase-fd には 0 以上の番号を指定して下さい: ",
                               "--passphrase-fd takes a number from 0 up: "};
inline constexpr Phrase kSeeHelp{"使い方は quillseal --help で確認して下さい",
                                 "Run quillseal --help for the usage"};
inline constexpr Phrase kSeeCommandHelp1{"使い方は quillseal ", "Run quillseal "};
inline constexpr Phrase kSeeCommandHelp2{" --help で確認して下さい", " --help for the usage"};
// The argument's number stands between the two.
inline constexpr Phrase kBadArgument1{"", "Argument "};
inline constexpr Phrase kBadArgument2{
    " 番目の引数に、このシステムの文字コードで表せない文字が含まれています",
    " holds a character that this system's code page cannot represent"};

// A failure whose cause is not known: one wording for every command (the
// desktop program's other wording, kErrorHappened, is not used here).
inline constexpr Phrase kFailed = kErrorOccurred;

// Why a file named on the command line cannot be used, after its path and
// ": ".
inline constexpr Phrase kIsMissing{"ファイルが見つかりません", "No such file"};
inline constexpr Phrase kIsFolder{"フォルダです。ファイルを指定して下さい",
                                  "This is a folder. Name a file"};
inline constexpr Phrase kIsNotFile{"通常のファイルではありません", "Not a regular file"};
inline constexpr Phrase kIsDenied{"アクセスが拒否されました", "Access is denied"};
inline constexpr Phrase kIsInUse{"ほかのプログラムが使用中です", "Another program is using it"};
inline constexpr Phrase kIsUnreadable{"ファイルを読み込めません", "Cannot read the file"};
inline constexpr Phrase kIsNotPublicKey{"公開鍵のファイルではありません", "Not a public key file"};
inline constexpr Phrase kIsNotSecretKey{"秘密鍵のファイルではありません", "Not a secret key file"};
inline constexpr Phrase kIsUnsigned{
    "署名を含むには短すぎます。暗号化ファイルではないか、途中で切れています",
    "Too short to hold a signature. It is no archive, or it is cut short"};

// Library messages and questions on the terminal.
inline constexpr Phrase kChoices{"  1: 上書き  2: 別名保存  3: 処理中止 > ",
                                 "  1: overwrite  2: save under another name  3: stop > "};
inline constexpr Phrase kChooseAgain{"1、2、3 のどれかを入力して下さい", "Type 1, 2 or 3"};
inline constexpr Phrase kYesNo{" (y/n) > ", " (y/n) > "};

// Passwords.
inline constexpr Phrase kPasswordPrompt{"パスワード入力: ", "Password: "};
inline constexpr Phrase kPasswordAgainPrompt{"パスワード再入力: ", "Password again: "};
inline constexpr Phrase kPasswordTooLong{"パスワードが長すぎます。159バイト以下にして下さい",
                                         "The password is too long. Keep it to 159 bytes"};
inline constexpr Phrase kPasswordBadText{"パスワードに使えない文字が含まれています",
                                         "The password holds a character that cannot be used"};
inline constexpr Phrase kPasswordNotInPage{
    "パスワードに、このシステムの文字コードで表せない文字が含まれています",
    "The password holds a character that this system's code page cannot represent"};
inline constexpr Phrase kNoTerminal{
    "パスワードを入力する端末がありません。--passphrase-file、--passphrase-fd か "
    "--passphrase-from を指定して下さい",
    "There is no terminal to type the password on. Give --passphrase-file, --passphrase-fd "
    "or --passphrase-from"};
inline constexpr Phrase kPasswordUnreadable{"パスワードを読み込めません",
                                            "Cannot read the password"};
inline constexpr Phrase kPasswordFileUnreadable{": パスワードのファイルを読み込めません",
                                                ": cannot read the password file"};

// Keys.
inline constexpr Phrase kNoSecretKey{
    ": ユーザーIDの秘密鍵が存在しません。quillseal list-keys で鍵を確認して下さい",
    ": there is no such secret key. Run quillseal list-keys to see the keys"};
inline constexpr Phrase kNoPublicKey{
    ": 公開鍵が存在しません。quillseal list-keys で鍵を確認して下さい",
    ": there is no such public key. Run quillseal list-keys to see the keys"};
#if defined(_WIN32)
inline constexpr Phrase kNoKeyFolder{
    "鍵のフォルダ (アプリケーションデータのフォルダ) が分かりません",
    "Cannot find the key folders (the application data folder)"};
#else
inline constexpr Phrase kNoKeyFolder{
    "鍵のフォルダが分かりません。HOME か XDG_DATA_HOME を設定して下さい",
    "Cannot find the key folders. Set HOME or XDG_DATA_HOME"};
#endif
inline constexpr Phrase kSecretKeys{"秘密鍵 ", "Secret keys in "};
inline constexpr Phrase kPublicKeys{"公開鍵 ", "Public keys in "};
inline constexpr Phrase kNoKeys{"  (なし)", "  (none)"};

// Copies of public keys.
inline constexpr Phrase kPublicKeyExists{"同名の公開鍵が存在します。上書きしてよいですか。",
                                         "A public key of this name exists already. Overwrite it?"};
// Both take the same width.
inline constexpr Phrase kOldFingerprint{"  既存の指紋: ", "  Old fingerprint: "};
inline constexpr Phrase kNewFingerprint{"  新しい指紋: ", "  New fingerprint: "};
inline constexpr Phrase kKeyNotImported{
    "公開鍵は取り込みませんでした。上書きするには --overwrite を、別のユーザーIDで取り込むには "
    "--as を指定して下さい",
    "No key was imported. Give --overwrite to overwrite the key, or --as to import it under "
    "another user ID"};
inline constexpr Phrase kAlreadyImported{"同じ公開鍵が既に取り込まれています: ",
                                         "The same public key is imported already: "};
inline constexpr Phrase kImported{"公開鍵を取り込みました: ", "Public key imported: "};
inline constexpr Phrase kUserIdIs{"ユーザーID: ", "User ID: "};
inline constexpr Phrase kFingerprintIs{"指紋: ", "Fingerprint: "};
inline constexpr Phrase kCompareFingerprint{
    "指紋が相手の公開鍵の指紋と一致することを、電話など別の方法で確かめてから使って下さい",
    "Before you use the key, check with its owner another way, by phone say, that the "
    "fingerprints match"};
inline constexpr Phrase kKeyNotWritten{": 公開鍵を書き込めません", ": cannot write the public key"};
inline constexpr Phrase kCopyStopped{": 同名のファイルがあるため、書き出しませんでした",
                                     ": not written, as a file of this name exists"};
inline constexpr Phrase kWhichKey{
    "書き出す公開鍵のユーザーIDを指定して下さい (quillseal list-keys で確認できます)",
    "Name the user ID of the public key to export (quillseal list-keys shows them)"};

// Key pair creation, as the key pair window.
inline constexpr Phrase kKeyKept{
    "鍵は作成しませんでした。上書きするには --overwrite を指定して下さい",
    "No key was made. Give --overwrite to overwrite the key"};
inline constexpr Phrase kSecretKeyMade{"秘密鍵: ", "Secret key: "};
inline constexpr Phrase kPublicKeyMade{"公開鍵: ", "Public key: "};
inline constexpr Phrase kNoFolder{": フォルダが見つかりません", ": no such folder"};

// Encryption and decryption.
inline constexpr Phrase kNoItem{": ファイルやフォルダが見つかりません", ": no such file or folder"};
inline constexpr Phrase kUnsigned{
    ": 署名を付けられませんでした。署名のない暗号化ファイルが残っています",
    ": could not sign the archive. The archive is left without a signature"};
inline constexpr Phrase kEncryptStopped{
    ": 同名のファイルがあるため処理を中止しました。暗号化ファイルは作成していません",
    ": stopped, as a file of this name exists. No archive was made"};
// The name in the way stands between the two.
inline constexpr Phrase kDecryptStopped1{": 同名のファイル ", ": stopped decrypting partway, as "};
inline constexpr Phrase kDecryptStopped2{" があるため、復号化を途中で中止しました",
                                         " exists already"};
inline constexpr Phrase kAnswerWithFlag{
    "同名のファイルを上書きするには --overwrite、別名で保存するには --rename を指定して下さい",
    "Give --overwrite to overwrite the existing file, or --rename to save under another name"};
inline constexpr Phrase kStdinAlone{"標準入力 (-) は、ほかの項目と一緒には指定できません",
                                    "Standard input (-) cannot be given with other items"};
inline constexpr Phrase kNameWithoutStdin{
    "--name は、標準入力 (-) を暗号化するときに指定して下さい",
    "--name is only for encrypting standard input (-)"};
inline constexpr Phrase kBadEntryName{"--name には、フォルダを含まないファイル名を指定して下さい: ",
                                      "--name takes a file name without folders: "};
inline constexpr Phrase kArchiveToTerminal{
    "暗号化ファイルは端末に出力しません。-o で保存先を指定するか、出力をリダイレクトして下さい",
    "An archive is not written to the terminal. Name a file with -o, or redirect the output"};
inline constexpr Phrase kOutputIsItem{
    ": 暗号化する項目と同じ名前です。-o には別の名前を指定して下さい",
    ": this is the name of an item to encrypt. Give -o another name"};
inline constexpr Phrase kOutputOneArchive{"-o は、暗号化ファイルを一つだけ指定したときに使えます",
                                          "-o works with one archive only"};
inline constexpr Phrase kOutputOrDirectory{"-o と -C は、どちらか一つだけ指定して下さい",
                                           "Give only one of -o and -C"};
inline constexpr Phrase kNotOneFile{
    ": -o は、ファイルを一つだけ含む暗号化ファイルに使えます。-C で復号化先のフォルダを"
    "指定して下さい",
    ": -o works with an archive that holds one file only. Give -C the folder to decrypt into"};
inline constexpr Phrase kStdinUnreadable{"標準入力を読み込めません", "Cannot read standard input"};
inline constexpr Phrase kStdoutFailed{"標準出力に書き込めません",
                                      "Cannot write to standard output"};
inline constexpr Phrase kNoScratch{": 一時フォルダを作成できません",
                                   ": cannot create a temporary folder"};
inline constexpr Phrase kScratchFull{": 一時ファイルに書き込めません",
                                     ": cannot write the temporary file"};
inline constexpr Phrase kNotPlaced{": 復号化したファイルをこの名前にできません",
                                   ": cannot give the decrypted file this name"};
inline constexpr Phrase kRefused{
    "署名を確認できないため、このファイルは復号化しません。送信者の公開鍵 (-s) を確かめて"
    "下さい。確認せずに進めるには --ignore-signature を指定して下さい",
    "The signature does not verify, so this file is not decrypted. Check the sender's public "
    "key (-s). To go ahead without the check, give --ignore-signature"};

// The list of an archive's entries; both kinds take the same width.
inline constexpr Phrase kFolderKind{"フォルダ", "folder"};
inline constexpr Phrase kFileKind{"ファイル", "file  "};

// Progress.
inline constexpr Phrase kChecking{"署名確認中", "Verifying"};
inline constexpr Phrase kReading{"読み込み中", "Reading"};
inline constexpr Phrase kHashing{"SHA-256計算中", "Hashing"};
inline constexpr Phrase kTimeLeft{"残り ", "remaining "};

// Help. Every command has its own page with one example.
inline constexpr Phrase kHelp{
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
    "    tar cf - 写真 | quillseal encrypt -k alice -r bob -o 写真.tar.velm -\n",
    "quillseal: encrypts files and folders for the other party's public key and signs them;\n"
    "checks and decrypts the archives made for you.\n"
    "\n"
    "Usage: quillseal COMMAND [OPTIONS] [ARGUMENTS...]\n"
    "\n"
    "Commands:\n"
    "  keygen USER-ID                        make a secret and public key pair\n"
    "  encrypt -k SECRET -r PUBLIC ITEM...   make an archive (.velm)\n"
    "  decrypt -k SECRET -s PUBLIC ARCHIVE...\n"
    "                                        check archives and decrypt them\n"
    "  list -k SECRET -s PUBLIC ARCHIVE...   show what archives hold\n"
    "  verify -s PUBLIC ARCHIVE...           check archives for tampering\n"
    "  sha256 FILE...                        show the SHA-256 values of files\n"
    "  fingerprint PUBLIC...                 show the fingerprints of public keys\n"
    "  password-from FILE                    make a password from a file\n"
    "  list-keys                             show the keys in the key folders\n"
    "  import FILE                           import the other party's public key\n"
    "  export [USER-ID]                      write out your own public key\n"
    "\n"
    "A key is the path of its file, or a user ID in the key folders.\n"
    "\n"
    "Common options:\n"
    "  -q, --quiet    show no progress\n"
    "  -h, --help     show the usage (quillseal COMMAND --help: that of one command)\n"
    "  -V, --version  show the version\n"
    "\n"
    "Short options may be bundled (-qk alice), and a long option shortened to a beginning no\n"
    "other option shares (--sec).\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 the keys do not match, 3 a signature does not\n"
    "verify, 64 a wrong command line\n"
    "\n"
    "Example: quillseal encrypt -k alice -r bob report.docx\n"
    "         tar cf - photos | quillseal encrypt -k alice -r bob -o photos.tar.velm -\n"};

inline constexpr Phrase kPasswordOptions{
    "パスワード (指定がなければ端末で入力します):\n"
    "  --passphrase-file ファイル   ファイルの1行目をパスワードにします\n"
    "  --passphrase-fd 番号         ファイル記述子から1行読みます\n"
    "  --passphrase-from ファイル   ファイルから作成したパスワード (43文字) を使います\n",
    "Password (typed on the terminal unless one of these is given):\n"
    "  --passphrase-file FILE   the first line of the file is the password\n"
    "  --passphrase-fd N        read one line from file descriptor N\n"
    "  --passphrase-from FILE   use the password (43 characters) made from the file\n"};

inline constexpr Phrase kAnswerOptions{
    "同名のファイルがあるとき (指定がなければ端末で尋ねます。端末がなければ処理中止):\n"
    "  --overwrite   上書きします\n"
    "  --rename      別名 (名前(1).拡張子 など) で保存します\n"
    "  --skip        処理を中止します\n",
    "When a file of the same name exists (asked on the terminal unless one of these is given;\n"
    "without a terminal, stop):\n"
    "  --overwrite   overwrite it\n"
    "  --rename      save under another name (NAME(1).EXT and so on)\n"
    "  --skip        stop\n"};

inline constexpr Phrase kKeygenHelp{
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
    "\n",
    "Usage: quillseal keygen [--out-dir FOLDER] [PASSWORD OPTION] USER-ID\n"
    "\n"
    "Makes a secret and public key pair. The user ID becomes the names of the key files, so\n"
    "make it tell whose key it is: a name, a mail address or the like. The password has 8\n"
    "characters or more; on a terminal it is typed twice, and asked again, up to three times in\n"
    "all, when it is too short or the two differ.\n"
    "The keys are made in the key folders (secret keys in himitu, public keys in koukai) as\n"
    "USER-ID.velh and USER-ID.velk.\n"
    "\n"
    "  --out-dir FOLDER   make both keys in the folder given\n"
    "  --overwrite        overwrite a key of the same name without asking\n"
    "\n"};
inline constexpr Phrase kKeygenExample{"例: quillseal keygen alice@example.jp\n",
                                       "Example: quillseal keygen alice@example.com\n"};

inline constexpr Phrase kEncryptHelp{
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
    "\n",
    "Usage: quillseal encrypt -k SECRET -r PUBLIC [-o ARCHIVE] [--no-compress] ITEM...\n"
    "       quillseal encrypt -k SECRET -r PUBLIC [-o ARCHIVE] [--name NAME] -\n"
    "\n"
    "Encrypts files and folders for the other party's public key, signs them with your own\n"
    "secret key, and makes one archive of them. The archive is made in the folder of the first\n"
    "item as ITEM.velm (or at the path -o gives), and its path is shown. Put all the items in\n"
    "the same folder.\n"
    "With - as the only item, standard input is encrypted as one file, and the archive goes to\n"
    "standard output unless -o names a file.\n"
    "\n"
    "  -k, --secret-key SECRET   your own secret key (a path or a user ID)\n"
    "  -r, --recipient PUBLIC    the other party's public key (a path or a user ID)\n"
    "  -o, --output ARCHIVE      the path of the archive (- is standard output)\n"
    "  --name NAME               the name standard input's file is decrypted under (without\n"
    "                            it: the name -o gives, less .velm; without -o, stdin)\n"
    "  --no-compress             encrypt without compressing\n"
    "\n"};
inline constexpr Phrase kEncryptExample{"例: quillseal encrypt -k alice -r bob 写真 報告書.docx\n",
                                        "Example: quillseal encrypt -k alice -r bob photos "
                                        "report.docx\n"};

inline constexpr Phrase kDecryptHelp{
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
    "\n",
    "Usage: quillseal decrypt -k SECRET -s PUBLIC [-C FOLDER] ARCHIVE...\n"
    "       quillseal decrypt -k SECRET -s PUBLIC -o FILE ARCHIVE\n"
    "\n"
    "Checks each archive's signature with the sender's public key, then decrypts it into the\n"
    "folder of the archive. An archive whose signature does not verify is not decrypted.\n"
    "\n"
    "  -k, --secret-key SECRET   your own secret key (a path or a user ID)\n"
    "  -s, --sender PUBLIC       the sender's public key (a path or a user ID)\n"
    "  -C, --directory FOLDER    decrypt into the folder given\n"
    "  -o, --output FILE         decrypt an archive that holds one file to this path (- is\n"
    "                            standard output, which gets nothing before the signature\n"
    "                            verifies)\n"
    "  --ignore-signature        decrypt after a warning when the signature does not verify\n"
    "\n"};
inline constexpr Phrase kDecryptExample{"例: quillseal decrypt -k bob -s alice 写真.velm\n",
                                        "Example: quillseal decrypt -k bob -s alice photos.velm\n"};

inline constexpr Phrase kListHelp{
    "使い方: quillseal list -k 秘密鍵 -s 公開鍵 暗号化ファイル...\n"
    "\n"
    "暗号化ファイルの署名を確認してから、中のフォルダとファイルを1行ずつ (種類、大きさ、"
    "更新日時、名前) 表示します。何も書き込みません。\n"
    "\n"
    "  -k, --secret-key 秘密鍵   自分の秘密鍵 (パスかユーザーID)\n"
    "  -s, --sender 公開鍵       送信者の公開鍵 (パスかユーザーID)\n"
    "  --ignore-signature        署名を確認できなくても、警告して表示します\n"
    "\n",
    "Usage: quillseal list -k SECRET -s PUBLIC ARCHIVE...\n"
    "\n"
    "Checks each archive's signature, then shows the folders and files in it, one a line\n"
    "(kind, size, time of the last change, name). Nothing is written.\n"
    "\n"
    "  -k, --secret-key SECRET   your own secret key (a path or a user ID)\n"
    "  -s, --sender PUBLIC       the sender's public key (a path or a user ID)\n"
    "  --ignore-signature        show after a warning when the signature does not verify\n"
    "\n"};
inline constexpr Phrase kListExample{"例: quillseal list -k bob -s alice 写真.velm\n",
                                     "Example: quillseal list -k bob -s alice photos.velm\n"};

inline constexpr Phrase kVerifyHelp{
    "使い方: quillseal verify -s 公開鍵 暗号化ファイル...\n"
    "\n"
    "暗号化ファイルの改竄の有無を送信者の公開鍵で確認し、1ファイル1行で結果を表示します。"
    "一つでも確認できなければ、終了コードは0以外です。\n"
    "\n"
    "  -s, --sender 公開鍵   送信者の公開鍵 (パスかユーザーID)\n"
    "\n",
    "Usage: quillseal verify -s PUBLIC ARCHIVE...\n"
    "\n"
    "Checks each archive for tampering with the sender's public key and shows the result, one\n"
    "line a file. The exit status is not 0 when any one does not verify.\n"
    "\n"
    "  -s, --sender PUBLIC   the sender's public key (a path or a user ID)\n"
    "\n"};
inline constexpr Phrase kVerifyExample{"例: quillseal verify -s alice 写真.velm\n",
                                       "Example: quillseal verify -s alice photos.velm\n"};

inline constexpr Phrase kSha256Help{
    "使い方: quillseal sha256 ファイル...\n"
    "\n"
    "ファイルのSHA-256値を16進数で表示し、続けてファイル名を表示します。\n"
    "\n",
    "Usage: quillseal sha256 FILE...\n"
    "\n"
    "Shows the SHA-256 value of each file in hexadecimal, followed by the file's name.\n"
    "\n"};
inline constexpr Phrase kSha256Example{"例: quillseal sha256 報告書.docx\n",
                                       "Example: quillseal sha256 report.docx\n"};

inline constexpr Phrase kFingerprintHelp{
    "使い方: quillseal fingerprint 公開鍵...\n"
    "\n"
    "公開鍵の指紋 (公開鍵ファイルのSHA-256値のBase64) を表示し、続けて鍵を表示します。\n"
    "\n",
    "Usage: quillseal fingerprint PUBLIC...\n"
    "\n"
    "Shows the fingerprint of each public key (the Base64 of the SHA-256 value of its key\n"
    "file), followed by the key.\n"
    "\n"};
inline constexpr Phrase kFingerprintExample{"例: quillseal fingerprint bob\n",
                                            "Example: quillseal fingerprint bob\n"};

inline constexpr Phrase kPasswordFromHelp{
    "使い方: quillseal password-from ファイル\n"
    "\n"
    "ファイルから43文字のパスワードを作成して表示します。同じファイルからは、いつも同じ"
    "パスワードが作成されます。\n"
    "\n",
    "Usage: quillseal password-from FILE\n"
    "\n"
    "Makes a password of 43 characters from a file and shows it. The same file always gives\n"
    "the same password.\n"
    "\n"};
inline constexpr Phrase kPasswordFromExample{"例: quillseal password-from 写真.jpg\n",
                                             "Example: quillseal password-from photo.jpg\n"};

inline constexpr Phrase kListKeysHelp{
    "使い方: quillseal list-keys\n"
    "\n"
    "鍵のフォルダにある秘密鍵と公開鍵のユーザーIDを表示します。公開鍵には指紋も表示します。\n"
    "\n",
    "Usage: quillseal list-keys\n"
    "\n"
    "Shows the user IDs of the secret and public keys in the key folders, each public key\n"
    "with its fingerprint.\n"
    "\n"};
inline constexpr Phrase kListKeysExample{"例: quillseal list-keys\n",
                                         "Example: quillseal list-keys\n"};

inline constexpr Phrase kImportHelp{
    "使い方: quillseal import [--as ユーザーID] [--overwrite | --skip] 公開鍵ファイル\n"
    "\n"
    "相手から受け取った公開鍵を鍵のフォルダ (koukai) にコピーし、ユーザーIDと指紋を表示します。"
    "ユーザーIDは、指定がなければファイル名から .velk を除いたものです。指紋は、相手に電話など"
    "別の方法で確かめて下さい。同名の公開鍵があれば、端末で尋ねます。\n"
    "\n"
    "  --as ユーザーID   このユーザーIDで取り込みます\n"
    "  --overwrite       同名の公開鍵を尋ねずに上書きします\n"
    "  --skip            同名の公開鍵があれば取り込みません\n"
    "\n",
    "Usage: quillseal import [--as USER-ID] [--overwrite | --skip] FILE\n"
    "\n"
    "Copies a public key received from the other party into the key folder (koukai) and shows\n"
    "its user ID and fingerprint. The user ID is the file's name without .velk unless --as is\n"
    "given. Check the fingerprint with the key's owner another way, by phone say. When a\n"
    "public key of the same name exists, you are asked on the terminal.\n"
    "\n"
    "  --as USER-ID   import the key under this user ID\n"
    "  --overwrite    overwrite a public key of the same name without asking\n"
    "  --skip         import nothing when a public key of the same name exists\n"
    "\n"};
inline constexpr Phrase kImportExample{"例: quillseal import hanako.velk\n",
                                       "Example: quillseal import bob.velk\n"};

inline constexpr Phrase kExportHelp{
    "使い方: quillseal export [-o ファイル] [ユーザーID]\n"
    "\n"
    "鍵のフォルダにある公開鍵を、相手に渡せるように書き出します。ユーザーIDは、秘密鍵が一つ"
    "だけなら省略できます。-o がなければ標準出力に出力します。\n"
    "\n"
    "  -o, --output ファイル   書き出す先のパス (- は標準出力)\n"
    "\n",
    "Usage: quillseal export [-o FILE] [USER-ID]\n"
    "\n"
    "Writes out a public key of the key folders, to hand to the other party. The user ID may\n"
    "be left out when there is only one secret key. Without -o the key goes to standard\n"
    "output.\n"
    "\n"
    "  -o, --output FILE   the path to write to (- is standard output)\n"
    "\n"};
inline constexpr Phrase kExportExample{"例: quillseal export -o taro.velk\n",
                                       "Example: quillseal export -o alice.velk\n"};

inline constexpr Phrase kCommonOptions{
    "  -q, --quiet     進行状況を表示しません\n"
    "  -V, --version   バージョンを表示します\n\n",
    "  -q, --quiet     show no progress\n"
    "  -V, --version   show the version\n\n"};

// The library's words (core/messages.h) in English. The library reports in
// Japanese, its records too; quillseal looks its words up here
// (library_words.h): a record's text and cause, the reason on each line of a
// list, the question about an existing name. Captions and the buttons of the
// library's own boxes never reach quillseal.
struct Translation {
    const char *japanese;
    const char *english;
};
namespace msg = quill::msg;
inline constexpr Translation kLibraryTexts[] = {
    // Encryption.
    {msg::kOpenFailed.text, "Cannot open the file"},
    {msg::kAbnormalFile.text, "Stopped: something is wrong with the file"},
    {msg::kTooLarge.text, "The file is 128 GByte or larger and cannot be processed."},
    {msg::kNothingToEncrypt.text, "No file or folder to encrypt was found."},
    {msg::kChanged.text, "Stopped: the file changed while it was read"},
    {msg::kCannotEncryptItems.text,
     "These files and folders cannot be encrypted, so no archive was made."},
    {msg::kCannotReadItems.text,
     "These files and folders cannot be read, so the decryption was stopped."},
    {msg::kItemUnreadable, "cannot be read"},
    {msg::kItemNameNotHeld, "the name holds a character that an archive cannot record"},
    {msg::kItemNameShared,
     "with its characters replaced, the name is that of another file or folder"},
    {msg::kItemTooLong, "the path is too long"},
    {msg::kItemTooDeep, "the folders are nested too deep"},
    {msg::kItemElsewhere, "not in the folder of the first item chosen"},
    {msg::kItemsIncomplete, "memory ran out, so the files and folders could not all be listed"},
    {msg::kNoticeItems.text,
     "These files and folders are not recorded in the archive as they are. The encryption "
     "goes on."},
    {msg::kItemLinkFollowed, "a link: the contents of the file it leads to are recorded"},
    {msg::kItemLinkToFolder, "a link to a folder: not recorded"},
    {msg::kItemLinkOutside, "a link out of the chosen folder: not recorded"},
    {msg::kItemLinkNowhere, "a link that leads nowhere: not recorded"},
    {msg::kItemLinkUnfollowed, "a link or junction: not recorded"},
    {msg::kItemNotFileOrFolder, "not a regular file or folder: not recorded"},
    {msg::kItemRespelled, "restored, its name is spelled differently"},
    // Decryption.
    {msg::kSignatureBad.text, "The public key is wrong, or the file has been tampered with"},
    {msg::kSameName.text,
     "The archive and a file it restores have the same name. Rename the "
     "archive."},
    {msg::kBadEntryName.text, "The archive holds an invalid name, so the decryption was stopped"},
    {msg::kPathTooLong.text, "The path is too long to process."},
    {msg::kSizeMismatch.text,
     "The size of the compressed data does not match the record, so the decryption was stopped"},
    {msg::kInflateFailed.text, "The compressed data is damaged, so the decryption was stopped"},
    {msg::kArchiveDamaged.text,
     "The archive is cut short or damaged, so the decryption was stopped"},
    {msg::kEntriesLost.text,
     "The archive is damaged partway, so nothing after this entry could be decrypted."},
    {msg::kNamesChanged.text,
     "These entries were restored under other names: their names cannot be used as they are, "
     "or they meet entries restored before them."},
    {msg::kReadFailed.text, "Reading the file failed"},
    {msg::kWriteFailed.text, "Writing the file failed"},
    {msg::kCreateFailed.text, "Cannot create the file"},
    {msg::kFolderFailed.text, "Cannot create the folder"},
    {msg::kPlaceFailed.text, "Cannot save the file under this name"},
    // Key pairs, and what stopped runs left.
    {msg::kKeyPairCompleted.text,
     "A key pair creation that was interrupted has been completed. The new key pair is used."},
    {msg::kKeyPairUndone.text,
     "The files of a key pair creation that was interrupted have been removed. The key pair is "
     "as it was before."},
    {msg::kLeftoversRemoved.text, "Removed the temporary files that a run ended by force left."},
    {msg::kLeftoversKept.text,
     "A run ended by force left the files it was overwriting under these names. Rename them to "
     "use them if need be."},
    {msg::kKeptAside.text,
     "The run failed and tried to put the file back, but this name is taken. The original file "
     "is kept under this name:"},
    // Causes.
    {msg::kCauseNoSpace, "The disk is full."},
    {msg::kCauseTooLarge, "This drive cannot hold a file this large."},
    {msg::kCauseReadOnly, "The drive is write-protected."},
    {msg::kCauseDenied, "Access is denied."},
    {msg::kCauseInUse, "Another program is using it."},
    {msg::kCauseMissing, "No such file or folder."},
    {msg::kCauseExists, "A file or folder of the same name exists already."},
    {msg::kCauseNotFile, "It is not a regular file."},
    {msg::kCauseIO, "The disk reported an error while reading or writing."},
    // What the calls of quill.h refuse.
    {msg::kNoArgument.text, "A required argument is missing"},
    {msg::kPathUnusable.text,
     "The path holds a character that this system cannot represent, or is too long"},
    {msg::kPasswordUnusable.text,
     "The password must be 8 to 159 bytes long in this system's code page"},
    {msg::kWrongPassword.text, "Wrong password"},
    {msg::kNotAKey.text, "Not a key file, or it cannot be read"},
    {msg::kKeyPairFailed.text, "Could not create the key pair"},
    {msg::kSigningFailed.text, "Could not sign"},
    {msg::kArchiveUnreadable.text, "Cannot read the archive"},
    // Existing names.
    {msg::kExistsReadOnly, "A read-only file of this name exists already. What shall be done?"},
    {msg::kExists, "A file of this name exists already. What shall be done?"},
    {msg::kFolderInTheWay,
     "A folder of this name exists already, so no file of this name can be made. What shall be "
     "done?"},
    {msg::kFileInTheWay,
     "A file of this name exists already, so no folder of this name can be made. What shall be "
     "done?"},
    {msg::kFolderNotReplaced.text, "A folder cannot be overwritten with a file."},
};

}  // namespace text

#endif
