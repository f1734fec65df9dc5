// The texts that both programs show, the desktop program and quillseal, in
// one place: the key pair checks, the results of encryption and decryption
// and of the tamper check. The source is UTF-8; the Windows builds turn these
// literals into code page 932.
#ifndef QUILL_COMMON_TEXTS_H
#define QUILL_COMMON_TEXTS_H

namespace text {

inline constexpr char kEnterPassword[] = "パスワードを入力して下さい";
inline constexpr char kWrongPassword[] = "パスワードが間違っています";
inline constexpr char kEnterUserId[] = "ユーザーIDを入力して下さい";
inline constexpr char kConfirm[] = "確認";
inline constexpr char kCaution[] = "注意";
inline constexpr char kPasswordTooShort[] = "8文字以上のパスワードを入力して下さい";
inline constexpr char kFirstPasswordCaption[] = "パスワード入力欄確認";
inline constexpr char kSecondPasswordCaption[] = "パスワード再入力欄確認";
inline constexpr char kPasswordsDiffer[] = "２つのパスワードが異なっています。やり直して下さい";
inline constexpr char kForbiddenInUserId[] =
    "ユーザーIDに、次の文字は使えません。\n|  \\  /  :  *  ?  \"  <  > ";
inline constexpr char kUserIdTooLong[] = "ユーザーIDが長すぎます。短くして下さい";
inline constexpr char kKeyExists[] = "同名の鍵が既に存在します。上書きしてよいですか。";
inline constexpr char kErrorHappened[] = "エラーが発生しました";
inline constexpr char kErrorOccurred[] = "エラーが起きました";
inline constexpr char kKeysMayNotMatch[] =
    "暗号化の公開鍵と、復号化の秘密鍵が不一致の可能性があります";
inline constexpr char kPathTooLong[] = "パスが長すぎるため処理できません。";
inline constexpr char kNotOneFolder[] =
    "暗号化・復号化するファイルやフォルダは、最初のものと同じフォルダに置いて下さい";
inline constexpr char kTampered[] = "公開鍵が違うか、ファイルが改竄されています";
inline constexpr char kNotTampered[] = "ファイルの改竄はありません";
inline constexpr char kEncrypting[] = "暗号化中";
inline constexpr char kDecrypting[] = "復号化中";

}  // namespace text

#endif
