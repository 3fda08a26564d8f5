// Storage property interceptors: the registry by target class and the form interceptor that restores
// a form's placement scaled to the current screen.
#include "gridlib/base/PropFilerEh.h"

#include <utility>
#include <vector>

#include "platform/rtl/RtlMath.h"

namespace {

std::vector<std::pair<TClass, TClass>>& InterceptorRegistry() {
  static std::vector<std::pair<TClass, TClass>> registry;
  return registry;
}

const bool formInterceptorRegistered = [] {
  RegisterPropertyInterceptorEh(TCustomForm::StaticClass(), TFormStoragePropertyInterceptor::StaticClass());
  return true;
}();

// The bounds the form has, or returns to, in the normal window state.
TRect NormalPlacement(const TCustomForm* form) {
  return TRect(form->GetLeft(), form->GetTop(), form->GetLeft() + form->GetWidth(),
               form->GetTop() + form->GetHeight());
}

}  // namespace

void RegisterPropertyInterceptorEh(TClass targetClass, TClass interceptorClass) {
  auto& registry = InterceptorRegistry();
  std::erase(registry, std::make_pair(targetClass, interceptorClass));
  registry.emplace_back(targetClass, interceptorClass);
}

TClass GetPropertyInterceptorClassEh(TClass objectClass) {
  const auto& registry = InterceptorRegistry();
  for (auto it = registry.rbegin(); it != registry.rend(); ++it)
    if (objectClass->InheritsFrom(it->first)) return it->second;
  return nullptr;
}

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TObject* target)
    : TStoragePropertyInterceptor(target) {
  if (TCustomForm* form = Form()) {
    const TRect placement = NormalPlacement(form);
    left_ = placement.Left;
    top_ = placement.Top;
    width_ = placement.Width();
    height_ = placement.Height();
    windowState_ = form->GetWindowState();
    activeControl_ = form->GetActiveControl();
  }
  pixelsPerInch_ = Screen ? Screen->GetPixelsPerInch() : 96;
}

void TFormStoragePropertyInterceptor::Published(TPropBuilder<TFormStoragePropertyInterceptor>& p) {
  using I = TFormStoragePropertyInterceptor;
  p.Object(u"ActiveControl", &I::GetActiveControl, &I::SetActiveControl);
  p.Int(u"Height", &I::GetHeight, &I::SetHeight);
  p.Int(u"Left", &I::GetLeft, &I::SetLeft);
  p.Int(u"PixelsPerInch", &I::GetPixelsPerInch, &I::SetPixelsPerInch);
  p.Int(u"Top", &I::GetTop, &I::SetTop);
  p.Int(u"Width", &I::GetWidth, &I::SetWidth);
  // The form's own enumeration type, so stored names read the same as the form's.
  p.Enum(u"WindowState", GetPropInfo(TCustomForm::StaticClass(), u"WindowState")->PropType,
         &I::GetWindowState, &I::SetWindowState);
}

Integer TFormStoragePropertyInterceptor::GetHeight() const {
  const TCustomForm* form = Form();
  return form ? NormalPlacement(form).Height() : height_;
}

Integer TFormStoragePropertyInterceptor::GetLeft() const {
  const TCustomForm* form = Form();
  return form ? NormalPlacement(form).Left : left_;
}

void TFormStoragePropertyInterceptor::SetLeft(Integer value) {
  left_ = value;
  posPresent_ = true;
}

Integer TFormStoragePropertyInterceptor::GetTop() const {
  const TCustomForm* form = Form();
  return form ? NormalPlacement(form).Top : top_;
}

void TFormStoragePropertyInterceptor::SetTop(Integer value) {
  top_ = value;
  posPresent_ = true;
}

Integer TFormStoragePropertyInterceptor::GetWidth() const {
  const TCustomForm* form = Form();
  return form ? NormalPlacement(form).Width() : width_;
}

void TFormStoragePropertyInterceptor::Readed() {
  const Integer current = Screen ? Screen->GetPixelsPerInch() : 96;
  if (pixelsPerInch_ > 0 && pixelsPerInch_ != current) {
    height_ = MulDiv(height_, current, pixelsPerInch_);
    left_ = MulDiv(left_, current, pixelsPerInch_);
    top_ = MulDiv(top_, current, pixelsPerInch_);
    width_ = MulDiv(width_, current, pixelsPerInch_);
  }
  TCustomForm* form = Form();
  if (!form) return;
  // The normal bounds first, then the state: a maximised form restores to the stored bounds.
  if (windowState_ != wsNormal) form->SetWindowState(wsNormal);
  form->SetBounds(left_, top_, width_, height_);
  form->SetWindowState(windowState_);
  if (activeControl_) form->SetActiveControl(activeControl_);
  const TPosition position = form->GetPosition();
  if ((position == poScreenCenter || position == poDesktopCenter) && posPresent_ &&
      !form->GetComponentState().Contains(csDesigning))
    form->SetPosition(poDesigned);
}
