// The texts that both programs show, the desktop program and quillseal, in
// one place: the key pair checks, the results of encryption and decryption
// and of the tamper check. The source is UTF-8; the Windows builds turn these
// literals into code page 932.
//
// Each text is written once, in Japanese and in English, with QUILL_TEXT:
// the desktop program, which is Japanese only, takes the Japanese as a char
// array; quillseal defines QUILL_TEXT before it includes this header and
// takes both (texts.h).
#ifndef QUILL_COMMON_TEXTS_H
#define QUILL_COMMON_TEXTS_H

#ifndef QUILL_TEXT
#define QUILL_TEXT(name, japanese, english) inline constexpr char name[] = japanese;
#endif

namespace text {

QUILL_TEXT(kEnterPassword, "パスワードを入力して下さい", "Enter the password")
QUILL_TEXT(kWrongPassword, "パスワードが間違っています", "Wrong password")
QUILL_TEXT(kEnterUserId, "ユーザーIDを入力して下さい", "Enter a user ID")
QUILL_TEXT(kConfirm, "確認", "Check")
QUILL_TEXT(kCaution, "注意", "Caution")
QUILL_TEXT(kPasswordTooShort, "8文字以上のパスワードを入力して下さい",
           "Enter a password of at least 8 characters")
QUILL_TEXT(kFirstPasswordCaption, "パスワード入力欄確認", "Password")
QUILL_TEXT(kSecondPasswordCaption, "パスワード再入力欄確認", "Password again")
QUILL_TEXT(kPasswordsDiffer, "２つのパスワードが異なっています。やり直して下さい",
           "The two passwords differ. Try again")
QUILL_TEXT(kForbiddenInUserId, "ユーザーIDに、次の文字は使えません。\n|  \\  /  :  *  ?  \"  <  > ",
           "A user ID cannot hold these characters:\n|  \\  /  :  *  ?  \"  <  > ")
QUILL_TEXT(kUserIdTooLong, "ユーザーIDが長すぎます。短くして下さい",
           "The user ID is too long. Shorten it")
QUILL_TEXT(kKeyExists, "同名の鍵が既に存在します。上書きしてよいですか。",
           "A key of this name exists already. Overwrite it?")
QUILL_TEXT(kErrorHappened, "エラーが発生しました", "An error occurred")
QUILL_TEXT(kErrorOccurred, "エラーが起きました", "An error occurred")
QUILL_TEXT(kKeysMayNotMatch, "暗号化の公開鍵と、復号化の秘密鍵が不一致の可能性があります",
           "The archive may have been encrypted for another public key than this secret key's")
QUILL_TEXT(kPathTooLong, "パスが長すぎるため処理できません。", "The path is too long to process.")
QUILL_TEXT(kNotOneFolder,
           "暗号化・復号化するファイルやフォルダは、最初のものと同じフォルダに置いて下さい",
           "Put the files and folders to encrypt or decrypt in the folder of the first one")
QUILL_TEXT(kTampered, "公開鍵が違うか、ファイルが改竄されています",
           "The public key is wrong, or the file has been tampered with")
QUILL_TEXT(kNotTampered, "ファイルの改竄はありません", "The file has not been tampered with")
QUILL_TEXT(kEncrypting, "暗号化中", "Encrypting")
QUILL_TEXT(kDecrypting, "復号化中", "Decrypting")

}  // namespace text

#undef QUILL_TEXT

#endif
