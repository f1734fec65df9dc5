// list: the entries of each archive whose signature verifies, one line each
// (kind, size, last-write time, name), as the decryption's own reader
// accepts them; nothing is written.
#include <cstdio>
#include <string>
#include <vector>

#include "archives.h"
#include "commands.h"
#include "keys.h"
#include "output.h"
#include "password.h"
#include "progress_bar.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

// Windows file times count 100-nanosecond steps from 1601; 0 is no time.
std::string write_time(uint64_t file_time) {
    constexpr int64_t kUnixEpoch = 11644473600LL;  // seconds from 1601 to 1970
    std::tm local{};
    if (file_time == 0 || !sys::local_time(int64_t(file_time / 10000000) - kUnixEpoch, &local))
        return "-";
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

int32_t show_entry(void *, const quill_entry *entry) {
    interrupt_progress();
    char size[24];
    if (entry->folder)
        std::snprintf(size, sizeof size, "%15s", "-");
    else
        std::snprintf(size, sizeof size, "%15llu", static_cast<unsigned long long>(entry->size));
    const std::string name = entry->name;
    out() << (entry->folder ? text::kFolderKind : text::kFileKind) << " " << size << "  "
          << (entry->folder ? std::string("-") : write_time(entry->write)) << "  "
          << Untrusted{name};
    return 0;
}

}  // namespace

int run_list(const Options &o) {
    std::string secret, sender;
    if (!find_key(o.secret_key, rules::kSecretKey, &secret) ||
        !find_key(o.sender, rules::kPublicKey, &sender))
        return kExitFailure;
    std::vector<std::string> archives;
    if (!find_archives(o.operands, &archives)) return kExitFailure;
    Password password;
    if (const int status = unlock(o, secret, &password)) return status;

    int status = kExitOk;
    for (const std::string &archive : archives) {
        bool ignored = false;
        if (const int refused = signature_gate(o, archive, sender, &ignored)) {
            if (status == kExitOk) status = refused;
            continue;
        }
        if (archives.size() > 1) out() << Native{archive} << ":";
        int32_t result;
        {
            ProgressBar bar(text::kReading);
            result = naiyou_ichiran(secret.c_str(), password.block, archive.c_str(), show_entry,
                                    nullptr);
        }
        // An archive that is damaged and does not verify was tampered with:
        // the warning has said so, and it concerns that archive alone.
        if (result == 1 && ignored) {
            if (status == kExitOk) status = kExitBadSignature;
            continue;
        }
        if (const int failed = reader_status(result, archive)) return status ? status : failed;
    }
    return status;
}
