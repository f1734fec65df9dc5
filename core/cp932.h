// Code page 932, the encoding of every name inside an archive whatever the
// host's own encoding is: which bytes start a two-byte character, and which
// may follow one. A trail byte may be 0x5C, which is "\" only when it stands
// alone, so every scan over such a name steps over whole characters.
#ifndef QUILL_CP932_H
#define QUILL_CP932_H

namespace quill::cp932 {

inline bool is_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

inline bool is_trail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

}  // namespace quill::cp932

#endif
