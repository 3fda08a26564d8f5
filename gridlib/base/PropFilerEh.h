// Storage property interceptors: objects that stand in for a component while its settings are stored
// or restored, with a process-wide registry by target class; the form interceptor keeps a form's
// normal placement, window state, active control and screen resolution.
#pragma once

#include "platform/controls/Forms.h"

class TStoragePropertyInterceptor : public TPersistent {
  KIV_CLASS(TStoragePropertyInterceptor, TPersistent)
 public:
  using TCreateArg = TObject*;
  explicit TStoragePropertyInterceptor(TObject* target) : target_(target) {}
  TObject* GetTarget() const { return target_; }
  virtual bool NeedIntercept() { return true; }
  // Called after the stored properties were written back into the interceptor.
  virtual void Readed() {}

 private:
  TObject* target_;
};

class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
  KIV_CLASS(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)
 public:
  explicit TFormStoragePropertyInterceptor(TObject* target);
  static void Published(TPropBuilder<TFormStoragePropertyInterceptor>& p);

  TWinControl* GetActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* value) { activeControl_ = value; }
  // Read live from the target's normal placement; written into the interceptor.
  Integer GetHeight() const;
  void SetHeight(Integer value) { height_ = value; }
  Integer GetLeft() const;
  void SetLeft(Integer value);
  Integer GetTop() const;
  void SetTop(Integer value);
  Integer GetWidth() const;
  void SetWidth(Integer value) { width_ = value; }
  Integer GetPixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer value) { pixelsPerInch_ = value; }
  TWindowState GetWindowState() const { return windowState_; }
  void SetWindowState(TWindowState value) { windowState_ = value; }
  // The name as the library has it.
  TRect GetNotmalFormPlacement() const { return TRect(); }

  void Readed() override;

 private:
  TCustomForm* Form() const { return dynamic_cast<TCustomForm*>(GetTarget()); }

  TWinControl* activeControl_ = nullptr;
  Integer height_ = 0;
  Integer left_ = 0;
  Integer pixelsPerInch_ = 96;
  bool posPresent_ = false;
  Integer top_ = 0;
  Integer width_ = 0;
  TWindowState windowState_ = wsNormal;
};

// Registers the interceptor class for a target class; the same pair registered again moves to the end.
void RegisterPropertyInterceptorEh(TClass targetClass, TClass interceptorClass);
// The interceptor class of the most recent registration whose target class the object's class is or
// descends from; nil when none fits.
TClass GetPropertyInterceptorClassEh(TClass objectClass);
