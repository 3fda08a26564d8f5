// Extra controls of the class library; here the timer, which calls its OnTimer from the event loop.
#pragma once

#include <memory>

#include "platform/controls/Controls.h"

class TTimerHost;

class TTimer : public TComponent {
  KIV_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  static void Published(TPropBuilder<TTimer>& p);

  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Milliseconds; 0 stops the timer as the class library does, other values below 1 are clamped to 1.
  Cardinal GetInterval() const { return interval_; }
  void SetInterval(Cardinal value);

  // Runs on the main thread; an exception goes to Application->HandleException.
  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();
  void Loaded() override;

 private:
  friend class TTimerHost;
  void UpdateTimer();

  std::unique_ptr<TTimerHost> host_;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
};
