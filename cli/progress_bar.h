// The progress bar on standard error for one call into the library: bytes
// done and in all, rate and time left, shown only on a terminal, only when
// the call runs longer than half a second, and not with -q.
#ifndef QUILLSEAL_PROGRESS_BAR_H
#define QUILLSEAL_PROGRESS_BAR_H

#include <chrono>
#include <cstddef>
#include <cstdint>

// Whether bars are shown at all (standard error a terminal, no -q).
void enable_progress(bool on);

// Ends the line of the bar being shown, if any, so that a message can stand
// on a line of its own; the bar goes on below it.
void interrupt_progress();

class ProgressBar {
  public:
    explicit ProgressBar(const char *label);
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    void interrupt();
    // The library's report (progress_set).
    static void report(void *context, uint64_t done, uint64_t total);

  private:
    void draw(uint64_t done, uint64_t total, double seconds);

    const char *label_;
    std::chrono::steady_clock::time_point start_, last_;
    bool drawn_ = false;    // a bar has been shown for this call
    bool on_line_ = false;  // the cursor stands at the end of the bar
    size_t shown_ = 0;      // the columns the last drawing took
};

#endif
