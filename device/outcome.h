#pragma once
// How an exchange or an operation ended. The device client gives one for
// every call; operations give one for their whole run. The window turns an
// outcome into the box of its Part, vmkctl into its exit code; neither
// compares message texts.

#include <utility>

namespace vmk {

enum class Outcome {
  Done,           // carried out; the data is there
  NoAnswer,       // the device was silent (or its reply stopped short)
  BadReply,       // an answer that is not a valid reply to the request
  DeviceRefused,  // an exception reply, a refusal byte, an unconfirmed command
  PortFailure,    // the port could not be opened, vanished or failed to write
  Cancelled,      // the user stopped it: a cancelled dialog, Esc, SIGINT
  WrongPassword,  // the password entered is not the device's
  InputRefused,   // a value, an option or a file the operation does not accept
};

// The device or the line let the operation down (the link-error box).
constexpr bool isLinkFailure(Outcome o) {
  return o == Outcome::NoAnswer || o == Outcome::BadReply || o == Outcome::PortFailure;
}

// Data of a call together with its outcome; `value` is meaningful when
// ok() (some calls also leave what they could decode otherwise, and say so).
template <class T>
struct Result {
  Outcome outcome = Outcome::Done;
  T value{};

  bool ok() const { return outcome == Outcome::Done; }
  explicit operator bool() const { return ok(); }

  static Result done(T v) { return {Outcome::Done, std::move(v)}; }
  static Result failed(Outcome o) { return {o, T{}}; }
};

}  // namespace vmk
