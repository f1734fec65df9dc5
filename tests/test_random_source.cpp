// Fresh secrets when the system's random source misbehaves. This program
// links the generator with a stand-in for the platform seam whose random
// source can be made to fail part-way.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "quillcore.h"

namespace {
bool source_fails = false;
}

namespace quill::plat {

int random_bytes(unsigned char *buf, int32_t length) {
    // A failing source may already have written part of the buffer.
    std::memset(buf, 0xEE, size_t(length) / 2);
    if (source_fails) return 1;
    std::memset(buf, 0x5A, size_t(length));
    return 0;
}

uint32_t tick_count() {
    return 12345;
}

}  // namespace quill::plat

namespace {

TEST(FreshRandomSource, FailureIsReportedAndLeavesBufferAndGeneratorAlone) {
    const unsigned char abc[] = {'a', 'b', 'c'};
    initialize_array(abc, 3);
    source_fails = true;
    unsigned char buf[160];
    std::memset(buf, 0x11, sizeof buf);
    EXPECT_EQ(ransuu_tane(buf, 160), 1);
    for (unsigned char c : buf) ASSERT_EQ(c, 0x11);
    EXPECT_EQ(makeransuu(), 0xEE14CB00u) << "the generator must not be re-seeded";
}

TEST(FreshRandomSource, MixesOnlyWholeWordsIntoTheSourceBytes) {
    source_fails = false;
    unsigned char buf[7];
    ASSERT_EQ(ransuu_tane(buf, 7), 0);
    EXPECT_EQ(buf[4], 0x5A);
    EXPECT_EQ(buf[5], 0x5A);
    EXPECT_EQ(buf[6], 0x5A);
}

}  // namespace
