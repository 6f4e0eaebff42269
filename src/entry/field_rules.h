// The rules of the forms' fields as pure functions of the values they read. A form
// applies a rule to its buffer variables when the user leaves the field; the data
// check applies the same rule to a stored record. A rule names the fields it reads
// by their buffer variables ("Xmvktgter"); a record answers for its field of that
// name without the "X".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "shell/context.h"
#include "xbase/value.h"

namespace entry {

struct FieldSpec;
struct Form;

// What a rule reads: the values of one record, the program's constants ("KFOGYATEK"),
// and the kinds of public space.
class RuleValues {
 public:
  virtual ~RuleValues() = default;
  // The value of a field named by its buffer variable; an empty value when none.
  virtual xbase::Value value(std::string_view buffer_name) const = 0;
  virtual xbase::Value constant(std::string_view name) const = 0;
  // KOZTERELL: whether the public-space table has a kind beginning with `kind`;
  // `padded`: `kind` trimmed and padded to the width of the table's kinds first.
  virtual bool public_space_listed(std::string_view kind, bool padded) const = 0;

  // A number as whole forints (0 when it is none), a text ("" when none).
  int64_t amount(std::string_view buffer_name) const;
  std::string text(std::string_view buffer_name) const;
  // A constant's number, or `fallback` when it is none or 0.
  int64_t constant_amount(std::string_view name, int64_t fallback) const;
};

// Why a rule refused a value: the form's own message (CP852), and whether the form
// shows it in the question box; a rule the form applies silently still says what it
// wants, for the data check's findings.
struct Refusal {
  std::string message;
  bool shown = false;
};
using Verdict = std::optional<Refusal>;  // none: accepted

inline Verdict refused(std::string message, bool shown = false) {
  return Refusal{std::move(message), shown};
}

struct RuleInput {
  const RuleValues& values;
  const FieldSpec& spec;
  bool searching = false;  // the form takes search criteria (the data check never)
};
using ValueRule = Verdict (*)(const RuleInput&);
// An entry condition: the field is entered (and its rule applied) only when it holds.
using ValueCondition = bool (*)(const RuleValues&);

// The values of a form: the buffer variables and the program's variables.
class BufferValues final : public RuleValues {
 public:
  explicit BufferValues(shell::Context& ctx) : ctx_(ctx) {}
  xbase::Value value(std::string_view buffer_name) const override;
  xbase::Value constant(std::string_view name) const override;
  bool public_space_listed(std::string_view kind, bool padded) const override;

 private:
  shell::Context& ctx_;
};

// The rule of `spec` applied to the form's buffer: true when it accepts; otherwise
// the form's message in the question box when the form shows one, and false.
bool rule_accepts(Form& form, const FieldSpec& spec);
// The same verdict given to the user: true for none.
bool accepted(console::Console& con, const Verdict& v);

// --- Rules many fields share ---
// A one-character code among the field's `codes` (a blank there: blank allowed).
Verdict listed_code(const RuleInput& in);
// What `codes` allow, in words: "1, 2 vagy üres lehet" (CP852).
std::string codes_wanted(std::string_view codes);
// A tax identifier: "Hibás adóazonosító!"; the optional one may be empty.
Verdict tax_id(const RuleInput& in);
Verdict optional_tax_id(const RuleInput& in);
// The field's own value and the value it is compared with (`against`).
int64_t own_amount(const RuleInput& in);
int64_t other_amount(const RuleInput& in);
std::string own_text(const RuleInput& in);
// The field's amount against the one it is compared with: Rule(own, other).
template <bool (*Rule)(int64_t, int64_t)>
Verdict amount_against(const RuleInput& in, std::string_view message);
// Accepted when `ok`, else refused with `message` (CP852).
inline Verdict unless(bool ok, std::string_view message, bool shown = false) {
  if (ok) return {};
  return refused(std::string(message), shown);
}

template <bool (*Rule)(int64_t, int64_t)>
Verdict amount_against(const RuleInput& in, std::string_view message) {
  return unless(Rule(own_amount(in), other_amount(in)), message);
}

}  // namespace entry
