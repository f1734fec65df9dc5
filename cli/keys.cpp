// Finding key files.
#include "keys.h"

#include "output.h"
#include "system.h"
#include "texts.h"

namespace {

bool ends_with(const std::string &s, const char *tail) {
    const std::string t = tail;
    return s.size() > t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool is_path(const std::string &value) {
    for (char c : value)
        if (sys::is_separator(c)) return true;
    return ends_with(value, kSecretExt) || ends_with(value, kPublicExt);
}

}  // namespace

bool key_folders(KeyFolders *folders) {
    if (!sys::key_base_folder(&folders->base)) {
        err() << text::kNoKeyFolder;
        return false;
    }
    folders->secret = folders->base + "himitu" + sys::kSep;
    folders->public_keys = folders->base + "koukai" + sys::kSep;
    return true;
}

bool find_key(const std::string &value, KeyKind kind, std::string *path) {
    std::string candidate = value;
    if (is_path(value)) {
        sys::full_path(value, &candidate);
    } else {
        KeyFolders folders;
        if (!key_folders(&folders)) return false;
        candidate = (kind == kSecretKey ? folders.secret : folders.public_keys) + value +
                    (kind == kSecretKey ? kSecretExt : kPublicExt);
    }
    if (!value.empty() && candidate.size() < sys::kPathBytes &&
        sys::kind(candidate) == sys::kFile) {
        *path = candidate;
        return true;
    }
    err() << Native{candidate} << (kind == kSecretKey ? text::kNoSecretKey : text::kNoPublicKey);
    return false;
}
