// Code page 932, the encoding of every name inside an archive whatever the
// host's own encoding is: which bytes start a two-byte character, and which
// may follow one. A trail byte may be 0x5C, which is "\" only when it stands
// alone, so every scan over such a name steps over whole characters.
//
// It also holds the two tables that let a name spelled in Unicode another
// way than the code page's converter spells it be stored as the code page's
// character: the mapping variants, and the compositions.
#ifndef QUILL_CP932_H
#define QUILL_CP932_H

namespace quill::cp932 {

inline bool is_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

inline bool is_trail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The codes whose character the JIS-based mappings (iconv's SHIFT_JIS and
// EUC-JP, and the Linux input methods that follow them) and the code page's
// own mapping (iconv's CP932, Windows) give differently: jis is the first's,
// own the second's. These six are every double-byte code on which those
// tables of iconv disagree. 0x815C is kin without a disagreement: all of
// them give U+2015 for it, and iconv's CP932 also takes U+2014 for it one
// way. An entry name stores either spelling as the code; on Linux the code
// comes back as jis, which is what a name typed there holds (〜 U+301C from
// the input method), so that such a name restores byte for byte; for 0x815C
// it comes back as U+2015. The single bytes on which the tables disagree
// (0x5C ¥ or "\", 0x7E ‾ or "~") are no variants: 0x5C separates
// components, and a name holding ¥ or ‾ is refused.
struct Variant {
    unsigned short code;
    char32_t jis, own;
    bool jis_restored;  // on Linux the code comes back as jis
};
inline constexpr Variant kVariants[] = {
    {0x8160, 0x301C, 0xFF5E, true},   // 〜 ～
    {0x8161, 0x2016, 0x2225, true},   // ‖ ∥
    {0x817C, 0x2212, 0xFF0D, true},   // − －
    {0x8191, 0x00A2, 0xFFE0, true},   // ¢ ￠
    {0x8192, 0x00A3, 0xFFE1, true},   // £ ￡
    {0x81CA, 0x00AC, 0xFFE2, true},   // ¬ ￢
    {0x815C, 0x2014, 0x2015, false},  // — ―
};

// The character as the code page's converter takes it: a JIS-based
// spelling becomes the code page's own.
inline char32_t own_spelling(char32_t c) {
    for (const Variant &v : kVariants)
        if (c == v.jis) return v.own;
    return c;
}

// A character the code page's converter gave, as a name typed on Linux
// holds it.
inline char32_t linux_spelling(char32_t c) {
    for (const Variant &v : kVariants)
        if (c == v.own && v.jis_restored) return v.jis;
    return c;
}

// The characters of the code page that Unicode also spells as a base and a
// combining mark (the decomposed form in which macOS gives names): kana with
// the voiced or semi-voiced mark, four Cyrillic letters, the Angstrom sign
// and ≠. No other character of the code page has a two-character
// decomposition; none of its Latin letters carries an accent.
inline constexpr char32_t kVoicedMark = 0x3099, kSemiVoicedMark = 0x309A;
inline constexpr char32_t kVoiced[][2] = {
    {U'か', U'が'}, {U'き', U'ぎ'}, {U'く', U'ぐ'}, {U'け', U'げ'}, {U'こ', U'ご'}, {U'さ', U'ざ'},
    {U'し', U'じ'}, {U'す', U'ず'}, {U'せ', U'ぜ'}, {U'そ', U'ぞ'}, {U'た', U'だ'}, {U'ち', U'ぢ'},
    {U'つ', U'づ'}, {U'て', U'で'}, {U'と', U'ど'}, {U'は', U'ば'}, {U'ひ', U'び'}, {U'ふ', U'ぶ'},
    {U'へ', U'べ'}, {U'ほ', U'ぼ'}, {U'ゝ', U'ゞ'}, {U'カ', U'ガ'}, {U'キ', U'ギ'}, {U'ク', U'グ'},
    {U'ケ', U'ゲ'}, {U'コ', U'ゴ'}, {U'サ', U'ザ'}, {U'シ', U'ジ'}, {U'ス', U'ズ'}, {U'セ', U'ゼ'},
    {U'ソ', U'ゾ'}, {U'タ', U'ダ'}, {U'チ', U'ヂ'}, {U'ツ', U'ヅ'}, {U'テ', U'デ'}, {U'ト', U'ド'},
    {U'ハ', U'バ'}, {U'ヒ', U'ビ'}, {U'フ', U'ブ'}, {U'ヘ', U'ベ'}, {U'ホ', U'ボ'}, {U'ウ', U'ヴ'},
    {U'ヽ', U'ヾ'},
};
inline constexpr char32_t kSemiVoiced[][2] = {
    {U'は', U'ぱ'}, {U'ひ', U'ぴ'}, {U'ふ', U'ぷ'}, {U'へ', U'ぺ'}, {U'ほ', U'ぽ'},
    {U'ハ', U'パ'}, {U'ヒ', U'ピ'}, {U'フ', U'プ'}, {U'ヘ', U'ペ'}, {U'ホ', U'ポ'},
};
struct Composition {
    char32_t base, mark, composed;
};
inline constexpr Composition kOtherCompositions[] = {
    {0x0415, 0x0308, 0x0401},  // Cyrillic Е and diaeresis: Ё
    {0x0435, 0x0308, 0x0451},  // е: ё
    {0x0418, 0x0306, 0x0419},  // И and breve: Й
    {0x0438, 0x0306, 0x0439},  // и: й
    {0x0041, 0x030A, 0x212B},  // A and ring above: the Angstrom sign Å
    {0x003D, 0x0338, 0x2260},  // = and long solidus overlay: ≠
};

// The character of the code page that base followed by mark spells, or 0.
inline char32_t composed(char32_t base, char32_t mark) {
    if (mark == kVoicedMark) {
        for (const auto &pair : kVoiced)
            if (pair[0] == base) return pair[1];
        return 0;
    }
    if (mark == kSemiVoicedMark) {
        for (const auto &pair : kSemiVoiced)
            if (pair[0] == base) return pair[1];
        return 0;
    }
    for (const Composition &c : kOtherCompositions)
        if (c.base == base && c.mark == mark) return c.composed;
    return 0;
}

}  // namespace quill::cp932

#endif
