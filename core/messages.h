// Every text the library shows, in one place. The source is UTF-8; the
// Windows build turns these literals into code page 932.
#ifndef QUILL_MESSAGES_H
#define QUILL_MESSAGES_H

#include "quill.h"

namespace quill::msg {

// A text that the library reports, with what it reports: the kind of
// failure it names (QUILL_FAIL_NONE for a notice, after which the call goes
// on), the caption of its box where that is not the file's path, and
// whether the box is plain (no exclamation icon).
struct Message {
    quill_failure_kind kind;
    const char *text;
    const char *caption = nullptr;
    bool plain = false;
};

// Encryption.
inline constexpr Message kOpenFailed{QUILL_FAIL_OPEN, "ファイルオープンに失敗"};
inline constexpr Message kAbnormalFile{QUILL_FAIL_READ, "ファイルに異常があるため中止します"};
inline constexpr Message kTooLarge{QUILL_FAIL_ITEMS,
                                   "ファイルの大きさが128GByte以上のため\n処理できません。"};
inline constexpr Message kNothingToEncrypt{
    QUILL_FAIL_ITEMS, "暗号化するファイルやフォルダが見つからないため処理できません。"};
inline constexpr Message kChanged{QUILL_FAIL_READ,
                                  "読み込み中にファイルが変更されたため中止します"};

// What the folder walk found, one line a name after the first line.
inline constexpr Message kCannotEncryptItems{
    QUILL_FAIL_ITEMS,
    "次のファイルやフォルダは暗号化できないため、暗号化ファイルを作成しませんでした。"};
inline constexpr Message kCannotReadItems{
    QUILL_FAIL_ITEMS, "次のファイルやフォルダを読み込めないため、復号化を中止しました。"};
inline constexpr const char kItemUnreadable[] = "読み込めません";
inline constexpr const char kItemNameNotHeld[] =
    "暗号化ファイルに記録できない文字が名前に含まれています";
inline constexpr const char kItemNameShared[] =
    "文字を置き換えると、ほかのファイルやフォルダと同じ名前になります";
inline constexpr const char kItemTooLong[] = "パスが長すぎます";
inline constexpr const char kItemTooDeep[] = "フォルダの階層が深すぎます";
inline constexpr const char kItemElsewhere[] = "最初に選んだ項目と別のフォルダにあります";
inline constexpr const char kItemsIncomplete[] =
    "メモリが足りないため、ファイルやフォルダを一覧にできませんでした";
// What an encryption leaves out or holds in another form, one line a name
// after the first line; the encryption goes on.
inline constexpr Message kNoticeItems{
    QUILL_FAIL_NONE,
    "次のファイルやフォルダは、そのままの形では暗号化ファイルに記録されません。暗号化は続けます。"};
inline constexpr const char kItemLinkFollowed[] =
    "リンクのため、リンク先のファイルの内容を記録します";
inline constexpr const char kItemLinkToFolder[] = "フォルダへのリンクのため記録しません";
inline constexpr const char kItemLinkOutside[] = "選んだフォルダの外へのリンクのため記録しません";
inline constexpr const char kItemLinkNowhere[] = "リンク先が見つからないため記録しません";
inline constexpr const char kItemLinkUnfollowed[] = "リンクまたはジャンクションのため記録しません";
inline constexpr const char kItemNotFileOrFolder[] =
    "通常のファイルやフォルダではないため記録しません";
inline constexpr const char kItemRespelled[] = "復元すると名前の文字が変わります";
// A box too tall for the screen ends here.
inline constexpr const char kMore[] = "…";

// Decryption.
inline constexpr Message kSignatureBad{QUILL_FAIL_NONE,
                                       "公開鍵が違うか、ファイルが改竄されています", nullptr, true};
inline constexpr const char kCannotDecrypt[] = "復号化できません";
inline constexpr Message kSameName{
    QUILL_FAIL_CONFLICT,
    "ファイル名と復号ファイル名が一致しています。\nファイル名を変更して下さい。", kCannotDecrypt};
inline constexpr Message kBadEntryName{QUILL_FAIL_NAME,
                                       "不正なファイル名が含まれているため、復号化を中止しました"};
inline constexpr Message kPathTooLong{QUILL_FAIL_PATH, "パスが長すぎるため処理できません。"};
inline constexpr Message kSizeMismatch{
    QUILL_FAIL_DAMAGED, "圧縮データの大きさが記録と一致しないため、復号化を中止しました"};
inline constexpr Message kInflateFailed{QUILL_FAIL_DAMAGED,
                                        "圧縮データが壊れているため、復号化を中止しました"};
inline constexpr Message kArchiveDamaged{
    QUILL_FAIL_DAMAGED, "暗号化ファイルが途中で切れているか壊れているため、復号化を中止しました"};
// The name of the entry read last follows on a second line.
inline constexpr Message kEntriesLost{
    QUILL_FAIL_DAMAGED,
    "暗号化ファイルが途中から壊れているため、次の項目より後は復号化できませんでした。"};
inline constexpr Message kNamesChanged{
    QUILL_FAIL_NONE,
    "次の項目は、名前がそのままでは使えないか、先に復元した項目と重なるため、"
    "別の名前で復元しました。",
    nullptr, true};

// Files and folders that could not be made, read or written; the cause
// follows on a second line.
inline constexpr Message kReadFailed{QUILL_FAIL_READ, "ファイルの読み込みに失敗しました"};
inline constexpr Message kWriteFailed{QUILL_FAIL_WRITE, "ファイルの書き込みに失敗しました"};
inline constexpr Message kCreateFailed{QUILL_FAIL_CREATE, "ファイルを作成できません"};
inline constexpr Message kFolderFailed{QUILL_FAIL_FOLDER, "フォルダを作成できません"};
inline constexpr Message kPlaceFailed{QUILL_FAIL_PLACE, "ファイルをこの名前で保存できません"};

// A key pair creation that a stopped run left unfinished, settled.
inline constexpr Message kKeyPairCompleted{
    QUILL_FAIL_NONE, "中断されていた鍵ペアの作成を完了しました。新しい鍵ペアを使います。"};
inline constexpr Message kKeyPairUndone{
    QUILL_FAIL_NONE,
    "中断されていた鍵ペアの作成の途中のファイルを削除しました。鍵ペアは作成前のままです。"};

// What a run that was stopped outright left, found by the next run; what a
// failed run could not put back. The names follow, one a line.
inline constexpr Message kLeftoversRemoved{QUILL_FAIL_NONE,
                                           "強制終了した処理が残した一時ファイルを削除しました。"};
inline constexpr Message kLeftoversKept{
    QUILL_FAIL_NONE,
    "強制終了した処理が、上書きする前のファイルを次の名前で残しています。"
    "必要なら名前を変えて使ってください。"};
inline constexpr Message kKeptAside{
    QUILL_FAIL_NONE,
    "処理に失敗したため元に戻そうとしましたが、この名前が使われています。"
    "元のファイルは次の名前で残しました。"};

// Why, as the operating system said.
inline constexpr const char kCauseNoSpace[] = "ディスクの空き容量が足りません。";
inline constexpr const char kCauseTooLarge[] =
    "このドライブには、この大きさのファイルを保存できません。";
inline constexpr const char kCauseReadOnly[] = "書き込みが禁止されたドライブです。";
inline constexpr const char kCauseDenied[] = "アクセスが拒否されました。";
inline constexpr const char kCauseInUse[] = "ほかのプログラムが使用中です。";
inline constexpr const char kCauseMissing[] = "ファイルまたはフォルダが見つかりません。";
inline constexpr const char kCauseExists[] = "同じ名前のファイルまたはフォルダが既にあります。";
inline constexpr const char kCauseNotFile[] = "通常のファイルではありません。";
inline constexpr const char kCauseIO[] = "ディスクの読み書きでエラーが起きました。";

// What a program of its own gave a call of quill.h that the call cannot
// take, and what a call found that the library's drivers report as a
// result alone.
inline constexpr Message kNoArgument{QUILL_FAIL_ARGUMENT, "必要な引数がありません"};
inline constexpr Message kPathUnusable{QUILL_FAIL_PATH,
                                       "このシステムで表せない文字を含むか、長すぎるパスです"};
inline constexpr Message kPasswordUnusable{
    QUILL_FAIL_ARGUMENT,
    "パスワードは、このシステムの文字コードで8バイト以上159バイト以下にして下さい"};
inline constexpr Message kWrongPassword{QUILL_FAIL_PASSWORD, "パスワードが間違っています"};
inline constexpr Message kNotAKey{QUILL_FAIL_KEY, "鍵のファイルではないか、読み込めません"};
inline constexpr Message kKeyPairFailed{QUILL_FAIL_RANDOM, "鍵ペアを作成できませんでした"};
inline constexpr Message kSigningFailed{QUILL_FAIL_KEY, "署名できませんでした"};
inline constexpr Message kArchiveUnreadable{QUILL_FAIL_READ, "暗号化ファイルを読み込めません"};

// Output name conflicts.
inline constexpr const char kExistsReadOnly[] =
    "同名の読み込み専用ファイルが既に存在します。どう処理しますか。";
inline constexpr const char kExists[] = "同名のファイルが既に存在します。どう処理しますか。";
inline constexpr const char kFolderInTheWay[] =
    "同名のフォルダが既に存在するため、この名前のファイルを作成できません。どう処理しますか。";
inline constexpr const char kFileInTheWay[] =
    "同名のファイルが既に存在するため、この名前のフォルダを作成できません。どう処理しますか。";
inline constexpr Message kFolderNotReplaced{QUILL_FAIL_CONFLICT,
                                            "フォルダはファイルで上書きできません。"};
inline constexpr const char kOverwrite[] = "上書き";
inline constexpr const char kSaveAs[] = "別名保存";
inline constexpr const char kStop[] = "処理中止";

}  // namespace quill::msg

#endif
