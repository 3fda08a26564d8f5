#pragma once

#include <functional>
#include <utility>

#include "platform/controls/ExtCtrls.h"

// Runs fn from the event loop once a nested loop (a dialog's, a menu's, a modal form's) is running.
class TLater {
 public:
  explicit TLater(std::function<void()> fn, Cardinal ms = 20) : fn_(std::move(fn)), timer_(nullptr) {
    timer_.SetInterval(ms);
    timer_.OnTimer = TNotifyEvent([this](TObject*) {
      timer_.SetEnabled(false);
      fn_();
    });
    timer_.SetEnabled(true);
  }

 private:
  std::function<void()> fn_;
  TTimer timer_;
};
