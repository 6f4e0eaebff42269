// A page of a record form described as data: its labels (row, column, text, colour)
// and its fields (row, column, buffer variable, picture, entry condition, check, help
// box, reader). One routine draws a page and places its fields; the tests walk the
// same tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/get_read.h"
#include "entry/field_rules.h"
#include "entry/form.h"
#include "entry/help_box.h"

namespace entry {

struct FieldSpec;

// What a field's entry condition, check or reader works with.
struct FieldEnv {
  Form& form;
  HelpBox& box;
  const FieldSpec& spec;
  console::ReadSession& session;
  console::GetField& field;
};
using FieldRule = bool (*)(FieldEnv&);
using FieldReader = void (*)(FieldEnv&);

struct PageLabel {
  PageLabel(int r, int c, std::string t, std::string colour_ = {})
      : row(r), col(c), text(std::move(t)), colour(std::move(colour_)) {}
  int row = 0;
  int col = 0;
  std::string text;    // CP852
  std::string colour;  // "" for the page's standard colour
};

// The help box a field shows while the cursor is in it.
struct FieldHelp {
  std::vector<std::string> lines;  // the title first ("" for none); none: no box
  int row = 0;
  int col = 0;
};

// A field placed `n` columns after the end of the one placed before it.
constexpr int after(int n) { return -n; }

struct FieldSpec {
  int row = 0;
  int col = 0;                // negative: after(n)
  std::string name;           // the buffer variable, "Xvkod"
  std::string picture;        // "" for the variable's own width
  FieldRule when = nullptr;   // the entry condition (before the help box is shown)
  ValueCondition enters = nullptr;  // the entry condition over values alone
  ValueRule rule = nullptr;   // the field's rule (field_rules.h), also the data check's
  FieldRule check = nullptr;  // what the form does besides, after the rule accepted;
                              // the help box goes when both pass
  FieldHelp help;
  std::string other;             // the variable a check compares with ("XMVKTGTER")
  std::string codes;             // the codes a code check allows (a blank when blank is allowed)
  FieldReader reader = nullptr;  // its own reader (the composed fields, the button)
  bool plain_in_search = false;  // search criteria: the standard reader, no check
  std::string colour;            // the field's own "unselected,enhanced" colours

  template <class T>
  FieldSpec& set(T& member, T value) {
    member = value;
    return *this;
  }

  FieldSpec& on_enter(FieldRule r) {
    when = r;
    return *this;
  }
  FieldSpec& on_leave(FieldRule r) {
    check = r;
    return *this;
  }
  FieldSpec& ruled_by(ValueRule r) { return set(rule, r); }
  FieldSpec& entered_only_if(ValueCondition c) { return set(enters, c); }
  FieldSpec& with_help(FieldHelp h) {
    help = std::move(h);
    return *this;
  }
  FieldSpec& with_help(std::vector<std::string> lines, int r, int c) {
    return with_help(FieldHelp{std::move(lines), r, c});
  }
  FieldSpec& against(std::string variable) {
    other = std::move(variable);
    return *this;
  }
  FieldSpec& allowing(std::string c) {
    codes = std::move(c);
    return *this;
  }
  FieldSpec& read_by(FieldReader r) {
    reader = r;
    return *this;
  }
  FieldSpec& plain_when_searching() {
    plain_in_search = true;
    return *this;
  }
  FieldSpec& coloured(std::string c) {
    colour = std::move(c);
    return *this;
  }
};

// A field at row, column (or after(n)) editing buffer variable `name`.
inline FieldSpec field(int row, int col, std::string name, std::string picture = {}) {
  FieldSpec f;
  f.row = row;
  f.col = col;
  f.name = std::move(name);
  f.picture = std::move(picture);
  return f;
}

struct PageSpec {
  std::vector<PageLabel> labels;
  std::vector<FieldSpec> fields;
};

// Draws the labels of `page` and places its fields, in table order, on `fields`
// (each shows its value). The specs and `box` must outlive the read of the fields.
void build_page(Form& form, HelpBox& box, const PageSpec& page, console::GetList& fields);

// The columns a field takes on the screen: from its picture, else its variable's
// width (a date 10).
int field_width(const shell::Context& ctx, const FieldSpec& spec);

// The number in a buffer variable (0 when it is none), as whole forints.
int64_t amount_of(const shell::Context& ctx, std::string_view name);
// The value of the field's variable as text ("" when it is no text).
std::string text_of(FieldEnv& e);

}  // namespace entry
