// The window timers of a form.
#include <algorithm>

#include "platform/win32/controls.h"
#include "platform/win32/form_window.h"
#include "platform/win32/guard.h"
#include "platform/win32/win32_toolkit.h"

namespace quorvel::win32 {

using layouts::ControlSpec;

namespace {

class Win32Timer : public FormTimer {
public:
    Win32Timer(FormWindow& form, const ControlSpec& row)
        : form_(form), id_(form.NextTimerId()), interval_(row.interval) {
        form.RegisterTimer(id_, this);
    }
    ~Win32Timer() override { SetEnabled(false); }
    int Interval() const override { return interval_; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        if (enabled && enabled_ && running_) return;  // enabling a running timer changes nothing
        enabled_ = enabled;
        if (enabled) {
            Start();
            return;
        }
        const HWND hwnd = reinterpret_cast<HWND>(form_.Handle());
        if (running_ && hwnd) KillTimer(hwnd, id_);
        running_ = false;
    }
    void Retry() override {
        if (enabled_ && !running_) Start();
    }

private:
    // A timer that could not start (the system out of timers, say) stays
    // enabled but not running, and is tried again.
    void Start() {
        const HWND hwnd = reinterpret_cast<HWND>(form_.Handle());
        running_ = form_.toolkit().setTimer(hwnd, id_, static_cast<UINT>(std::max(interval_, 1)), nullptr) != 0;
        if (!running_) ReportFailure("SetTimer");
    }

    FormWindow& form_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
    bool running_ = false;
};

}  // namespace

std::unique_ptr<FormTimer> MakeTimer(FormWindow& form, const ControlSpec& row) {
    return std::make_unique<Win32Timer>(form, row);
}

}  // namespace quorvel::win32
