// Every text the library shows, in one place. The source is UTF-8; the
// Windows build turns these literals into code page 932.
#ifndef QUILL_MESSAGES_H
#define QUILL_MESSAGES_H

namespace quill::msg {

// Encryption.
inline constexpr const char kOpenFailed[] = "ファイルオープンに失敗";
inline constexpr const char kAbnormalFile[] = "ファイルに異常があるため中止します";
inline constexpr const char kTooLarge[] = "ファイルの大きさが128GByte以上のため\n処理できません。";
inline constexpr const char kWalkTooDeep[] =
    "フォルダの階層が深すぎるか、パスが長すぎるため処理できません。";
inline constexpr const char kNothingToEncrypt[] =
    "暗号化するファイルやフォルダが見つからないため処理できません。";
inline constexpr const char kNameNotConvertible[] =
    "ファイル名に使えない文字が含まれているため処理できません。";

// Decryption.
inline constexpr const char kSignatureBad[] = "公開鍵が違うか、ファイルが改竄されています";
inline constexpr const char kCannotDecrypt[] = "復号化できません";
inline constexpr const char kSameName[] =
    "ファイル名と復号ファイル名が一致しています。\nファイル名を変更して下さい。";
inline constexpr const char kBadEntryName[] =
    "不正なファイル名が含まれているため、復号化を中止しました";
inline constexpr const char kPathTooLong[] = "パスが長すぎるため処理できません。";
inline constexpr const char kSizeMismatch[] =
    "圧縮データの大きさが記録と一致しないため、復号化を中止しました";

// Output name conflicts.
inline constexpr const char kExistsReadOnly[] =
    "同名の読み込み専用ファイルが既に存在します。どう処理しますか。";
inline constexpr const char kExists[] = "同名のファイルが既に存在します。どう処理しますか。";
inline constexpr const char kOverwrite[] = "上書き";
inline constexpr const char kSaveAs[] = "別名保存";
inline constexpr const char kStop[] = "処理中止";

}  // namespace quill::msg

#endif
