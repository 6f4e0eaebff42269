// Operators on values with the runtime's semantics. Type mismatches throw
// ErrorException with genCode kArg (subsystem "BASE"); division by zero raises
// genCode kZeroDiv through the same path.
#pragma once

#include "xbase/value.h"

namespace xbase {

// "=" on texts with SET EXACT off: the right side is compared over its own length
// after trailing blanks are kept ("ABC" = "AB" true, "AB" = "ABC" false, x = "" true).
// With exact on, trailing blanks are ignored on both sides and the lengths must agree.
bool equal(const Value& a, const Value& b, bool exact = false);
// "==": texts must match byte for byte (trailing blanks count); others as "=".
bool exactly_equal(const Value& a, const Value& b);
// Ordering for < <= > >= with the same non-exact rule for texts; -1, 0, 1.
int compare(const Value& a, const Value& b, bool exact = false);
// "$": a contained in b (texts only).
bool contains(const Value& a, const Value& b);

Value add(const Value& a, const Value& b);       // numbers, texts, date + number
Value subtract(const Value& a, const Value& b);  // numbers, "-" concatenation, date − number, date − date
Value multiply(const Value& a, const Value& b);
Value divide(const Value& a, const Value& b);
Value modulo(const Value& a, const Value& b);
Value negate(const Value& a);

}  // namespace xbase
