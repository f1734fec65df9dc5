// Archives laid out by hand from the library's own primitives, for entries
// that angouka never writes: hostile names, sizes that lie, streams that
// inflate to more than they should. The block stream starts as the drivers
// start it, and every block is enciphered before anything else draws from
// the library's generator. No trailer: a signature check of such an archive
// fails.
#ifndef QUILL_TEST_CRAFTER_H
#define QUILL_TEST_CRAFTER_H

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "format/stream.h"
#include "quillcore.h"

class Crafter {
  public:
    using Bytes = std::vector<unsigned char>;

    // An archive for the public key in the file public_key_file.
    explicit Crafter(const std::string &public_key_file) {
        uint32_t y[QUILL_LIMBS], ephemeral[QUILL_LIMBS];
        std::ifstream in(public_key_file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        unsigned char area[QUILL_NUM_BYTES + 4] = {};
        decode64(text.c_str(), area);
        quill::load_num(y, area);
        std::mt19937 rng(std::random_device{}());
        for (uint32_t &w : s_.exponent) w = uint32_t(rng());
        s_.exponent[QUILL_LIMBS - 1] &= 0x7FFFFFFF;
        x_enujyou(s_.exponent, ephemeral);
        fx_enujyou(y, s_.exponent, s_.shared);
        unsigned char image[QUILL_NUM_BYTES];
        quill::store_num(image, ephemeral);
        bytes.assign(image, image + sizeof image);
        quill::start_stream(&s_, image);
    }
    void folder(const std::string &name) {
        words({0, 0, uint32_t(name.size() + 1), 0, 0, 0, 0, 1});
        blocks(name_bytes(name));
    }
    // A file entry whose header states size and kind; data is what follows
    // the name blocks. name_length 0 stands for the name's own.
    void file(const std::string &name, const Bytes &data, uint64_t size, uint32_t name_length = 0,
              uint32_t kind = 0) {
        if (name_length == 0 && !name.empty()) name_length = uint32_t(name.size() + 1);
        words({uint32_t(size), uint32_t(size >> 32), name_length, 0, 0, 0, 0, kind});
        const uint32_t hi = 0x01D5C2A0, lo = 0x12345678;  // 2019
        words({hi, lo, hi, lo, hi, lo, 0x20, 0});
        blocks(name_length ? name_bytes(name) : Bytes());
        blocks(data);
    }
    void file(const std::string &name, const std::string &text) {
        file(name, Bytes(text.begin(), text.end()), text.size());
    }
    // A compressed file entry: the zlib stream of contents, under a header
    // that states size.
    void compressed(const std::string &name, const Bytes &contents, uint64_t size) {
        uLongf length = compressBound(uLong(contents.size()));
        Bytes stream(length);
        compress2(stream.data(), &length, contents.data(), uLong(contents.size()),
                  Z_DEFAULT_COMPRESSION);
        stream.resize(length);
        file(name, stream, size, 0, 2);
    }
    Bytes bytes;

  private:
    static Bytes name_bytes(const std::string &name) {
        Bytes b(name.begin(), name.end());
        b.push_back(0);
        return b;
    }
    void words(std::initializer_list<uint32_t> w) {
        Bytes b;
        for (uint32_t v : w) {
            b.resize(b.size() + 4);
            quill::store32_le(&b[b.size() - 4], v);
        }
        blocks(b);
    }
    void blocks(Bytes data) {
        data.resize((data.size() + 31) / 32 * 32);
        for (size_t i = 0; i < data.size(); i += 32) Rangou(&data[i], s_.chain, s_.key);
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    quill::Secrets s_;
};

#endif
