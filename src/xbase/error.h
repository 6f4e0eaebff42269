// The runtime's error object and the replaceable handler that answers it.
// Every failure of the table engine and the evaluator is described by an Error and
// handed to the handler; the engine obeys the answer (retry, default, substitute).
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/value.h"

namespace xbase {

// Generic error codes (genCode) of the runtime's error model.
namespace gen {
inline constexpr int kArg = 1;           // argument error
inline constexpr int kBound = 2;         // bound error
inline constexpr int kStrOverflow = 3;   // string overflow
inline constexpr int kNumOverflow = 4;   // numeric overflow
inline constexpr int kZeroDiv = 5;       // zero divisor
inline constexpr int kNumErr = 6;        // numeric error
inline constexpr int kSyntax = 7;        // syntax error
inline constexpr int kComplexity = 8;    // operation too complex
inline constexpr int kMem = 11;          // memory low
inline constexpr int kNoFunc = 12;       // undefined function
inline constexpr int kNoMethod = 13;     // no exported method
inline constexpr int kNoVar = 14;        // variable does not exist
inline constexpr int kNoAlias = 15;      // alias does not exist
inline constexpr int kNoVarMethod = 16;  // no exported variable
inline constexpr int kBadAlias = 17;     // illegal characters in alias
inline constexpr int kDupAlias = 18;     // alias already in use
inline constexpr int kCreate = 20;       // create error
inline constexpr int kOpen = 21;         // open error
inline constexpr int kClose = 22;        // close error
inline constexpr int kRead = 23;         // read error
inline constexpr int kWrite = 24;        // write error
inline constexpr int kPrint = 25;        // print error
inline constexpr int kUnsupported = 30;  // operation not supported
inline constexpr int kLimit = 31;        // limit exceeded
inline constexpr int kCorruption = 32;   // corruption detected
inline constexpr int kDataType = 33;     // data type error
inline constexpr int kDataWidth = 34;    // data width error
inline constexpr int kNoTable = 35;      // workarea not in use
inline constexpr int kNoOrder = 36;      // workarea not indexed
inline constexpr int kShared = 37;       // exclusive required
inline constexpr int kUnlocked = 38;     // lock required
inline constexpr int kReadOnly = 39;     // write not allowed
inline constexpr int kAppendLock = 40;   // append lock failed
inline constexpr int kLock = 41;         // lock failure
}  // namespace gen

enum class Severity { Warning = 1, Error = 2, Catastrophic = 3 };

struct Error {
  int gen_code = 0;
  std::string subsystem;    // "DBFNTX", "BASE", "TERM" …
  int sub_code = 0;         // subsystem's own code ("DBFNTX/1001")
  int os_code = 0;          // operating-system error (32 sharing violation)
  std::string description;  // "Open error"
  std::string filename;     // file the error concerns, if any
  std::string operation;    // operation or name that failed
  Severity severity = Severity::Error;
  bool can_retry = false;
  bool can_default = false;
  bool can_substitute = false;
  int tries = 0;            // how many times the operation was retried
  std::vector<Value> args;  // the operation's arguments, where the runtime gives them
};

// The handler's answer: try again, take the operation's default, use a value instead,
// or fail (the error is thrown as ErrorException).
struct ErrorAnswer {
  enum class Kind { Retry, Default, Substitute, Fail } kind = Kind::Fail;
  Value value;
  static ErrorAnswer retry() { return {Kind::Retry, {}}; }
  static ErrorAnswer fallback() { return {Kind::Default, {}}; }
  static ErrorAnswer substitute(Value v) { return {Kind::Substitute, std::move(v)}; }
  static ErrorAnswer fail() { return {Kind::Fail, {}}; }
};

using ErrorHandler = std::function<ErrorAnswer(Error&)>;

class ErrorException : public std::exception {
 public:
  explicit ErrorException(Error e);
  const char* what() const noexcept override { return what_.c_str(); }
  const Error& error() const { return error_; }

 private:
  Error error_;
  std::string what_;
};

// The runtime's "Argument error" (subsystem BASE, genCode kArg) of an operator or a
// function, with the arguments it was given; the handler may substitute a value.
[[noreturn]] void throw_argument_error(std::string_view operation, int sub_code,
                                       std::vector<Value> args);

// "Error DBFNTX/1001  Open error: vallal.dbf" — the runtime's one-line form of an error.
std::string error_message(const Error& e);

}  // namespace xbase
