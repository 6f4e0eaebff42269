#include "xbase/error.h"

namespace xbase {

ErrorException::ErrorException(Error e) : error_(std::move(e)), what_(error_message(error_)) {}

std::string error_message(const Error& e) {
  std::string msg = "Error " + (e.subsystem.empty() ? std::string("BASE") : e.subsystem) + "/" +
                    std::to_string(e.sub_code);
  if (!e.description.empty()) msg += "  " + e.description;
  if (!e.filename.empty())
    msg += ": " + e.filename;
  else if (!e.operation.empty())
    msg += ": " + e.operation;
  return msg;
}

}  // namespace xbase
