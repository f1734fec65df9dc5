// Windows side of the platform seam.
#include "platform/platform.h"

#include <windows.h>

#include <wincrypt.h>  // needs the types of windows.h

namespace quill::plat {

int random_bytes(unsigned char *buf, int32_t length) {
    if (length < 0) return 1;
    HCRYPTPROV prov = 0;
    const char *name = "Microsoft Enhanced Cryptographic Provider v1.0";
    if (!CryptAcquireContextA(&prov, nullptr, name, PROV_RSA_FULL, 0) &&
        !CryptAcquireContextA(&prov, nullptr, name, PROV_RSA_FULL, CRYPT_NEWKEYSET))
        return 1;
    // A failed fill must not pass for random bytes: the caller would hand out
    // predictable secrets.
    BOOL filled = CryptGenRandom(prov, DWORD(length), buf);
    CryptReleaseContext(prov, 0);
    return filled ? 0 : 1;
}

uint32_t tick_count() {
    return GetTickCount();
}

}  // namespace quill::plat
