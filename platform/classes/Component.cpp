// TComponent: ownership, naming, free notification and the streaming hooks.
#include "platform/classes/Component.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/classes/Streaming.h"
#include "platform/rtl/Strings.h"

namespace {
bool IsIdentStart(Char c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || (c >= 0x0410 && c <= 0x044F) ||
         c == 0x0401 || c == 0x0451;
}
bool IsIdentChar(Char c) { return IsIdentStart(c) || (c >= u'0' && c <= u'9'); }

std::atomic<TApplicationExceptionHandler> applicationExceptionHandler{nullptr};
}  // namespace

TApplicationExceptionHandler SetApplicationHandleException(TApplicationExceptionHandler handler) {
  return applicationExceptionHandler.exchange(handler);
}

void ApplicationHandleException(TObject* sender) noexcept {
  std::exception_ptr error = std::current_exception();
  if (!error) return;
  if (TApplicationExceptionHandler handler = applicationExceptionHandler) {
    handler(sender, error);
    return;
  }
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "Unknown exception\n");
  }
}

bool IsValidIdent(const String& ident, bool allowDots) {
  if (ident.empty() || !IsIdentStart(ident[0])) return false;
  for (size_t i = 1; i < ident.size(); ++i) {
    Char c = ident[i];
    if (allowDots && c == u'.') {
      if (i + 1 >= ident.size() || !IsIdentStart(ident[i + 1])) return false;
      continue;
    }
    if (!IsIdentChar(c)) return false;
  }
  return true;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& theirs = other->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Published(TPropBuilder<TComponent>& p) {
  p.Str(u"Name", &TComponent::GetName, &TComponent::SetName).Stored(false);
  p.Int(u"Tag", &TComponent::GetTag, &TComponent::SetTag).Default(0);
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    Remove(c);
    delete c;
  }
}

TComponent* TComponent::GetComponent(int index) const {
  if (index < 0 || index >= GetComponentCount()) RaiseListIndexError(index);
  return components_[index];
}

int TComponent::GetComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int index) {
  if (!owner_) return;
  auto& list = owner_->components_;
  int current = GetComponentIndex();
  if (current < 0) return;
  index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
  if (index == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::SetName(const String& newName) {
  if (name_ == newName) return;
  if (!newName.empty() && !IsValidIdent(newName))
    throw EComponentError(u"'" + newName + u"' is not a valid component name");
  if (owner_)
    owner_->ValidateRename(this, name_, newName);
  else
    ValidateRename(nullptr, name_, newName);
  ChangeName(newName);
}

void TComponent::ValidateRename(TComponent* component, const String& curName, const String& newName) {
  if (component && !SameText(curName, newName) && component->owner_ == this) {
    TComponent* other = FindComponent(newName);
    if (other && other != component)
      throw EComponentError(u"A component named " + newName + u" already exists");
  }
}

void TComponent::ValidateContainer(TComponent* component) { component->ValidateInsert(this); }

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it != components_.end()) components_.erase(it);
  component->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  component->ValidateContainer(this);
  // Checked whoever owns the component now: a component moving in must not bring a taken name.
  if (!component->name_.empty() && FindComponent(component->name_))
    throw EComponentError(u"A component named " + component->name_ + u" already exists");
  if (component->owner_) component->owner_->RemoveComponent(component);
  Insert(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
    component->FreeNotification(this);
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
  if (it == freeNotifies_.end()) return;
  freeNotifies_.erase(it);
  component->RemoveFreeNotification(this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Owned components hear about their siblings too; the list may shrink while they react.
  for (size_t i = components_.size(); i-- > 0;) {
    if (i >= components_.size()) continue;
    components_[i]->Notification(component, operation);
  }
}

void SendNotification(TComponent* target, TComponent* component, TOperation operation) {
  target->Notification(component, operation);
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::SetSubComponent(bool isSubComponent) {
  if (isSubComponent)
    style_.Include(csSubComponent);
  else
    style_.Exclude(csSubComponent);
}

void TComponent::ReadState(TReader* reader) { reader->ReadData(this); }

void TComponent::WriteState(TWriter* writer) { writer->WriteData(this); }

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::Updating() { state_.Include(csUpdating); }

void TComponent::Updated() { state_.Exclude(csUpdating); }

void TComponent::SetLoading(bool on) { on ? state_.Include(csLoading) : state_.Exclude(csLoading); }
void TComponent::SetReading(bool on) { on ? state_.Include(csReading) : state_.Exclude(csReading); }
void TComponent::SetWriting(bool on) { on ? state_.Include(csWriting) : state_.Exclude(csWriting); }
void TComponent::SetInline(bool on) { on ? state_.Include(csInline) : state_.Exclude(csInline); }

namespace {
Integer LowWord(Integer v) { return static_cast<SmallInt>(v & 0xFFFF); }
Integer HighWord(Integer v) { return static_cast<SmallInt>((static_cast<UInt64>(v) >> 16) & 0xFFFF); }
Integer MakeInfo(Integer lo, Integer hi) {
  return static_cast<Integer>((static_cast<Cardinal>(hi & 0xFFFF) << 16) |
                              static_cast<Cardinal>(lo & 0xFFFF));
}
}  // namespace

void TComponent::DefineProperties(TFiler* filer) {
  const auto* ancestor = dynamic_cast<const TComponent*>(filer->GetAncestor());
  Integer ancestorInfo = ancestor ? ancestor->designInfo_ : 0;
  filer->DefineProperty(u"Left", TReaderProc(this, &TComponent::ReadLeft),
                        TWriterProc(this, &TComponent::WriteLeft),
                        LowWord(designInfo_) != LowWord(ancestorInfo));
  filer->DefineProperty(u"Top", TReaderProc(this, &TComponent::ReadTop),
                        TWriterProc(this, &TComponent::WriteTop),
                        HighWord(designInfo_) != HighWord(ancestorInfo));
}

void TComponent::ReadLeft(TReader* reader) {
  designInfo_ = MakeInfo(reader->ReadInteger(), HighWord(designInfo_));
}
void TComponent::ReadTop(TReader* reader) {
  designInfo_ = MakeInfo(LowWord(designInfo_), reader->ReadInteger());
}
void TComponent::WriteLeft(TWriter* writer) { writer->WriteInteger(LowWord(designInfo_)); }
void TComponent::WriteTop(TWriter* writer) { writer->WriteInteger(HighWord(designInfo_)); }

String UniqueComponentName(const TComponent* owner, const String& base) {
  for (int n = 1;; ++n) {
    String candidate = base + IntToStr(n);
    if (!owner || !owner->FindComponent(candidate)) return candidate;
  }
}
