// The library's words, looked up in texts.h.
#include "library_words.h"

#include <cstring>
#include <string>
#include <vector>

#include "language.h"
#include "texts.h"

namespace {

// The English of one of the library's texts; words it does not have (a
// library newer than the program) are shown as they are.
std::string said(const char *japanese) {
    for (const text::Translation &t : text::kLibraryTexts)
        if (std::strcmp(t.japanese, japanese) == 0) return t.english;
    return japanese;
}

// The tail of a list's line after its reason: "。" and a cause when the
// system gave one, then the characters concerned in brackets.
std::string tail_said(const std::string &tail) {
    static const std::string kStop = "。";
    if (tail.compare(0, kStop.size(), kStop) != 0) return tail;
    for (const text::Translation &t : text::kLibraryTexts) {
        const size_t n = std::strlen(t.japanese);
        if (tail.compare(kStop.size(), n, t.japanese) == 0)
            return std::string(". ") + t.english + tail.substr(kStop.size() + n);
    }
    return tail;
}

// One line of a list: "name: reason" and its tail. The name comes from the
// file system and may hold ": " and any words; the reason is the last of the
// library's texts that follows ": " (none of them holds ": ", and the tail
// holds no words of the library), the longest where two begin there.
std::string line_said(const std::string &line) {
    // ": " and each text, made once for every line of every list.
    static const std::vector<std::string> reasons = [] {
        std::vector<std::string> r;
        for (const text::Translation &t : text::kLibraryTexts)
            r.push_back(std::string(": ") + t.japanese);
        return r;
    }();
    size_t at = std::string::npos, n = 0;
    const char *english = nullptr;
    for (size_t i = 0; i < reasons.size(); i++) {
        const size_t found = line.rfind(reasons[i]);
        const size_t length = reasons[i].size() - 2;
        if (found == std::string::npos) continue;
        if (at == std::string::npos || found > at || (found == at && length > n)) {
            at = found;
            n = length;
            english = text::kLibraryTexts[i].english;
        }
    }
    if (!english) return line;
    const size_t reason = at + 2;
    return line.substr(0, reason) + english + tail_said(line.substr(reason + n));
}

// The lists whose lines end in a reason: the items an encryption or
// decryption cannot take, or takes in another form.
bool lists_reasons(const char *text) {
    namespace msg = quill::msg;
    for (const msg::Message *m :
         {&msg::kCannotEncryptItems, &msg::kCannotReadItems, &msg::kNoticeItems})
        if (std::strcmp(text, m->text) == 0) return true;
    return false;
}

}  // namespace

Words words_of(const quill_report &r) {
    if (!text::english()) return {r.text, r.detail, r.cause_text};
    Words w{said(r.text), r.detail, *r.cause_text ? said(r.cause_text) : ""};
    if (!lists_reasons(r.text)) return w;
    w.detail.clear();
    const std::string detail = r.detail;
    for (size_t start = 0; start <= detail.size();) {
        size_t end = detail.find('\n', start);
        if (end == std::string::npos) end = detail.size();
        w.detail += (start ? "\n" : "") + line_said(detail.substr(start, end - start));
        start = end + 1;
    }
    return w;
}

std::string library_words(const char *japanese) {
    return text::english() ? said(japanese) : japanese;
}
