// A service that must be given: a function wrapper with no empty state. A struct
// of services whose members are Required cannot be made with one left out (the
// build says which), and a caller never has to ask whether a service is there.
#pragma once

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

namespace support {

template <typename Signature>
class Required;

template <typename R, typename... Args>
class Required<R(Args...)> {
 public:
  Required() = delete;
  // Any callable of this signature; a null pointer or an empty std::function is no
  // service and is refused by the build where it can be told, else at the call.
  template <typename F>
    requires(!std::same_as<std::remove_cvref_t<F>, Required> && !std::is_null_pointer_v<F> &&
             std::is_invocable_r_v<R, F&, Args...>)
  Required(F f) : f_(std::move(f)) {}

  R operator()(Args... args) const { return f_(std::forward<Args>(args)...); }

 private:
  std::function<R(Args...)> f_;
};

}  // namespace support
