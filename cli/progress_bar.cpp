// The bar is drawn over itself with a carriage return, at most ten times a
// second, within the terminal's width, and left on its line when the call
// ends.
#include "progress_bar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "output.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kQuietSeconds = 0.5;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr size_t kBarWidth = 14;  // cells of the bar at most
constexpr size_t kBarMin = 5;     // ... and at least, or no bar
constexpr size_t kBarFrame = 3;   // "[", "] "

bool enabled = false;
ProgressBar *active = nullptr;

std::string amount(uint64_t bytes) {
    static const char *const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    char text[32];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%u B", unsigned(bytes));
        return text;
    }
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        unit++;
    }
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string duration(double seconds) {
    const unsigned long total = (unsigned long)(seconds + 0.5);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lu:%02lu:%02lu", total / 3600, total / 60 % 60,
                      total % 60);
    else
        std::snprintf(text, sizeof text, "%lu:%02lu", total / 60, total % 60);
    return text;
}

}  // namespace

void enable_progress(bool on) {
    enabled = on;
}

void interrupt_progress() {
    if (active) active->interrupt();
}

ProgressBar::ProgressBar(const char *label) : label_(label), start_(Clock::now()), last_(start_) {
    if (!enabled) return;
    active = this;
    progress_set(report, this);
}

ProgressBar::~ProgressBar() {
    if (active != this) return;
    progress_set(nullptr, nullptr);
    active = nullptr;
    interrupt();
}

void ProgressBar::interrupt() {
    if (on_line_) partial() << "\n";
    on_line_ = false;
    shown_ = 0;
}

void ProgressBar::report(void *context, uint64_t done, uint64_t total) {
    ProgressBar &bar = *static_cast<ProgressBar *>(context);
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - bar.start_).count();
    const bool finished = done >= total;
    // A call that ends within half a second shows nothing at all.
    if (!bar.drawn_ && (seconds < kQuietSeconds || finished)) return;
    if (bar.drawn_ && !finished && now - bar.last_ < kRedrawEvery) return;
    bar.last_ = now;
    bar.draw(done, total, seconds);
}

void ProgressBar::draw(uint64_t done, uint64_t total, double seconds) {
    // The total of an encryption is an estimate until its archive is written.
    if (total < done) total = done;
    const double share = total ? double(done) / double(total) : 1.0;
    const double rate = seconds > 0 ? double(done) / seconds : 0;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", int(share * 100));
    // What the line holds beside the bar and the percentage, the most
    // wanted first: on a narrow terminal the rest is left out. The last
    // column stays empty, where some terminals wrap at once.
    const std::string wanted[] = {
        "  " + std::string(text::kTimeLeft) +
            (rate > 0 ? duration(double(total - done) / rate) : std::string("--:--")),
        "  " + amount(done) + " / " + amount(total),
        "  " + amount(uint64_t(rate)) + "/s",
    };
    const size_t width = std::max<size_t>(sys::terminal_columns(sys::kErr), 2) - 1;
    const std::string head = std::string(label_) + " ";
    size_t used = sys::text_columns(head) + std::strlen(percent);
    bool kept[3] = {};
    for (size_t i = 0; i < 3; i++) {
        const size_t more = sys::text_columns(wanted[i]);
        kept[i] = used + more + kBarFrame + kBarMin <= width;
        if (kept[i]) used += more;
    }
    std::string line = head;
    if (used + kBarFrame + kBarMin <= width) {
        const size_t cells = std::min<size_t>(kBarWidth, width - used - kBarFrame);
        const size_t filled = size_t(share * double(cells));
        line += "[" + std::string(filled, '#') + std::string(cells - filled, '-') + "] ";
    }
    line += percent;
    for (const size_t i : {1, 2, 0})
        if (kept[i]) line += wanted[i];
    size_t shown = sys::text_columns(line);
    if (shown > width) {
        line = percent;  // not even the label fits
        shown = std::strlen(percent);
    }
    // Blanks over what the last drawing left further right.
    if (shown < shown_) line += std::string(shown_ - shown, ' ');
    shown_ = shown;
    partial() << "\r" << line;
    drawn_ = true;
    on_line_ = true;
}
