#include "xbase/error.h"

namespace xbase {

ErrorException::ErrorException(Error e) : error_(std::move(e)), what_(error_message(error_)) {}

void throw_argument_error(std::string_view operation, int sub_code, std::vector<Value> args) {
  Error e;
  e.gen_code = gen::kArg;
  e.subsystem = "BASE";
  e.sub_code = sub_code;
  e.description = "Argument error";
  e.operation = std::string(operation);
  e.can_substitute = true;
  e.args = std::move(args);
  throw ErrorException(std::move(e));
}

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
