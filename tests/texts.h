// Every Japanese text the unit tests expect, written once. The source is
// UTF-8; the Windows test programs are compiled with code page 932 as their
// execution character set, as the library is, so each literal has the bytes
// the library shows there. These are the tests' own copies, not the
// library's, so that a changed message fails a test.
#ifndef QUILL_TEST_TEXTS_H
#define QUILL_TEST_TEXTS_H

// Encryption.
inline constexpr char kOpenFailed[] = "ファイルオープンに失敗";
inline constexpr char kTooLarge[] = "ファイルの大きさが128GByte以上のため\n処理できません。";
inline constexpr char kCannotEncryptItems[] =
    "次のファイルやフォルダは暗号化できないため、暗号化ファイルを作成しませんでした。";
inline constexpr char kItemNameNotHeld[] = "暗号化ファイルに記録できない文字が名前に含まれています";
inline constexpr char kItemNameShared[] =
    "文字を置き換えると、ほかのファイルやフォルダと同じ名前になります";
inline constexpr char kNoticeItems[] =
    "次のファイルやフォルダは、そのままの形では暗号化ファイルに記録されません。暗号化は続けます。";
inline constexpr char kItemRespelled[] = "復元すると名前の文字が変わります";
inline constexpr char kItemLinkFollowed[] = "リンクのため、リンク先のファイルの内容を記録します";
inline constexpr char kItemLinkToFolder[] = "フォルダへのリンクのため記録しません";
inline constexpr char kItemLinkOutside[] = "選んだフォルダの外へのリンクのため記録しません";
inline constexpr char kItemNotFileOrFolder[] = "通常のファイルやフォルダではないため記録しません";
inline constexpr char kItemTooLong[] = "パスが長すぎます";
inline constexpr char kItemUnreadable[] = "読み込めません";

// A failed file operation, then on a second line why.
inline constexpr char kCreateFailed[] = "ファイルを作成できません";
inline constexpr char kCauseMissing[] = "ファイルまたはフォルダが見つかりません。";
inline constexpr char kCauseInUse[] = "ほかのプログラムが使用中です。";

// Decryption.
inline constexpr char kSignatureBad[] = "公開鍵が違うか、ファイルが改竄されています";
inline constexpr char kCannotDecrypt[] = "復号化できません";
inline constexpr char kSameName[] =
    "ファイル名と復号ファイル名が一致しています。\nファイル名を変更して下さい。";
inline constexpr char kBadEntryName[] = "不正なファイル名が含まれているため、復号化を中止しました";
inline constexpr char kPathTooLong[] = "パスが長すぎるため処理できません。";
inline constexpr char kArchiveDamaged[] =
    "暗号化ファイルが途中で切れているか壊れているため、復号化を中止しました";
inline constexpr char kEntriesLost[] =
    "暗号化ファイルが途中から壊れているため、次の項目より後は復号化できませんでした。";

// The question about an existing output name and its three buttons.
inline constexpr char kExists[] = "同名のファイルが既に存在します。どう処理しますか。";
inline constexpr char kExistsReadOnly[] =
    "同名の読み込み専用ファイルが既に存在します。どう処理しますか。";
inline constexpr char kOverwrite[] = "上書き";
inline constexpr char kSaveAs[] = "別名保存";
inline constexpr char kStop[] = "処理中止";
inline constexpr char kFolderInTheWay[] =
    "同名のフォルダが既に存在するため、この名前のファイルを作成できません。どう処理しますか。";
inline constexpr char kFileInTheWay[] =
    "同名のファイルが既に存在するため、この名前のフォルダを作成できません。どう処理しますか。";
inline constexpr char kFolderNotReplaced[] = "フォルダはファイルで上書きできません。";
inline constexpr char kKeptAside[] =
    "処理に失敗したため元に戻そうとしましたが、この名前が使われています。"
    "元のファイルは次の名前で残しました。";
inline constexpr char kNamesChanged[] =
    "次の項目は、名前がそのままでは使えないか、先に復元した項目と重なるため、"
    "別の名前で復元しました。";

// Names. In code page 932 the second byte of ソ (83 5C) and of 表 (95 5C) is
// the byte of '\', which a walk over the name must step over.
inline constexpr char kPhotos[] = "写真";
inline constexpr char kTable[] = "表.txt";
inline constexpr char kPhotoTable[] = "写真表.txt";
inline constexpr char kSoTable[] = "ソ表";
inline constexpr char kTableDots[] = "表..";
// The same names as an archive holds them: code page 932 on every build.
inline constexpr char kSoTableInArchive[] = "\x83\x5c\x95\x5c";
inline constexpr char kTableDotsInArchive[] = "\x95\x5c..";

#endif
