#include "xbase/error.h"

namespace xbase {

ErrorException::ErrorException(Error e) : error_(std::move(e)), what_(error_message(error_)) {}

std::string error_message(const Error& e) {
  std::string msg = "Error ";
  msg += e.subsystem.empty() ? std::string("BASE") : e.subsystem;
  msg += '/';
  msg += std::to_string(e.sub_code);
  if (!e.description.empty()) msg.append("  ").append(e.description);
  if (!e.filename.empty())
    msg.append(": ").append(e.filename);
  else if (!e.operation.empty())
    msg.append(": ").append(e.operation);
  return msg;
}

}  // namespace xbase
