// The timer over a Qt timer: ticks on the main thread while enabled, with an interval and a handler.
#include "platform/controls/ExtCtrls.h"

#include <QTimer>

#include "platform/controls/private/ControlsQt.h"

class TTimerHost : public QObject {
 public:
  explicit TTimerHost(TTimer* owner) : owner_(owner) {
    QObject::connect(&timer_, &QTimer::timeout, this,
                     [this] { GuardedCall(owner_, [this] { owner_->Timer(); }); });
  }
  QTimer timer_;

 private:
  TTimer* owner_;
};

void TTimer::Published(TPropBuilder<TTimer>& p) {
  p.Bool(u"Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  p.Int(
       u"Interval", [](const TTimer* t) { return static_cast<Integer>(t->GetInterval()); },
       [](TTimer* t, Integer v) { t->SetInterval(static_cast<Cardinal>(v < 0 ? 0 : v)); })
      .Default(1000);
  p.Event(u"OnTimer", &TTimer::OnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal value) {
  if (interval_ == value) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  SetLoading(false);
  UpdateTimer();
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::UpdateTimer() {
  if (host_) host_->timer_.stop();
  // As in the class library, a zero interval or no handler keeps the timer from running.
  if (!enabled_ || interval_ == 0 || GetComponentState().Contains(csLoading)) return;
  EnsureQtApplication();
  if (!host_) host_ = std::make_unique<TTimerHost>(this);
  host_->timer_.start(static_cast<int>(std::min<Cardinal>(interval_, 0x7FFFFFFF)));
}
