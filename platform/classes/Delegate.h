// Event delegates: a callable bound to an object and a member function, or a free callable, that can
// be tested for being assigned, copied to save and restore a handler, and compared.
#pragma once

#include <cstring>
#include <functional>
#include <memory>
#include <typeinfo>
#include <utility>

#include "platform/rtl/Exception.h"

class TObject;

template <class Signature>
class TDelegate;

template <class R, class... A>
class TDelegate<R(A...)> {
 public:
  TDelegate() = default;
  TDelegate(std::nullptr_t) {}

  // Bound to an object and one of its member functions; two such delegates are equal when both the
  // object and the member function are the same, which code that saves and compares handlers needs.
  template <class C, class M>
  TDelegate(C* object, R (M::*method)(A...)) {
    BindMember(object, method);
  }
  template <class C, class M>
  TDelegate(C* object, R (M::*method)(A...) const) {
    BindMember(object, method);
  }

  // A free callable (lambda, function); copies of it compare equal to each other only.
  template <class F>
  requires(!std::is_same_v<std::decay_t<F>, TDelegate> && !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
           std::is_invocable_r_v<R, F&, A...>) TDelegate(F callable) {
    if constexpr (std::is_pointer_v<F>) {
      if (callable == nullptr) return;
      identity_.object = reinterpret_cast<const void*>(callable);
    } else {
      identity_.token = std::make_shared<char>();
    }
    fn_ = std::move(callable);
  }

  explicit operator bool() const { return static_cast<bool>(fn_); }
  bool Assigned() const { return static_cast<bool>(fn_); }

  // Raising an unassigned event is a programming error: callers test Assigned() first.
  R operator()(A... args) const {
    if (!fn_) throw EInvalidOperation(u"Event handler is not assigned");
    return fn_(std::forward<A>(args)...);
  }

  // The object a bound delegate calls (the class library's TMethod.Data); null for free callables.
  TObject* Object() const { return object_; }

  friend bool operator==(const TDelegate& a, const TDelegate& b) {
    if (!a.fn_ || !b.fn_) return !a.fn_ && !b.fn_;
    return a.identity_ == b.identity_;
  }
  friend bool operator==(const TDelegate& a, std::nullptr_t) { return !a.fn_; }

 private:
  struct Identity {
    const void* object = nullptr;
    const std::type_info* methodType = nullptr;
    unsigned char method[2 * sizeof(void*)] = {};
    std::shared_ptr<char> token;
    bool operator==(const Identity& o) const {
      if (token || o.token) return token == o.token;
      if (object != o.object) return false;
      if (!methodType || !o.methodType) return methodType == o.methodType;
      return *methodType == *o.methodType && std::memcmp(method, o.method, sizeof method) == 0;
    }
  };

  template <class C, class Method>
  void BindMember(C* object, Method method) {
    if (!object || !method) return;
    static_assert(sizeof(Method) <= sizeof(Identity::method));
    identity_.object = object;
    identity_.methodType = &typeid(Method);
    std::memcpy(identity_.method, &method, sizeof method);
    if constexpr (std::is_convertible_v<C*, TObject*>) object_ = object;
    fn_ = [object, method](A... args) -> R { return (object->*method)(std::forward<A>(args)...); };
  }

  std::function<R(A...)> fn_;
  Identity identity_;
  TObject* object_ = nullptr;
};

template <class Signature>
bool Assigned(const TDelegate<Signature>& d) {
  return d.Assigned();
}

using TNotifyEvent = TDelegate<void(TObject* Sender)>;
