// Linux side of the platform seam.
#include "platform/platform.h"

#include <sys/random.h>
#include <cerrno>
#include <ctime>

namespace quill::plat {

int random_bytes(unsigned char *buf, int32_t length) {
    if (length < 0) return 1;
    size_t done = 0;
    const size_t want = size_t(length);
    // getrandom may return fewer bytes than asked (large requests, signals);
    // keep asking until every byte is filled.
    while (done < want) {
        ssize_t got = getrandom(buf + done, want - done, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        done += size_t(got);
    }
    return 0;
}

uint32_t tick_count() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

}  // namespace quill::plat
