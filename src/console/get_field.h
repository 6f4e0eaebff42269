// Entry fields (@ row, col GET var PICTURE … VALID … WHEN …) and the field list of
// a screen.
//
// A field is bound to a variable through a getter and a setter: a named variable of
// the variable store (so expression texts and forms see the same value) or a C++
// object. Its check ("valid") runs when the cursor leaves the field and keeps the
// cursor there when it answers false; its entry condition ("when") skips the field
// when false. A field may have its own reader, which then does the whole work of
// the field (see ReadSession).
//
// The field list is a plain value: copy it to keep it, clear it to start a new one,
// assign it back (a browse run from inside a form's read does exactly that).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "xbase/value.h"

namespace xbase {
class Variables;
}

namespace console {

class ReadSession;

// Where a field's value lives.
struct GetVar {
  std::function<xbase::Value()> get;
  std::function<void(const xbase::Value&)> set;
};

// A variable of the store, looked up by name at every access (a private declared
// later hides the public, as the runtime's fields see it).
GetVar bind_var(xbase::Variables& vars, std::string_view name);
GetVar bind_value(xbase::Value& v);
GetVar bind_text(std::string& s);
GetVar bind_number(double& n, int width = 10, int decimals = 0);

struct GetField {
  int row = 0;
  int col = 0;
  std::string name;  // upper case, as READVAR() gives it
  GetVar var;
  std::string picture;
  std::function<bool(ReadSession&)> valid;  // the check when the field is left
  std::function<bool(ReadSession&)> when;   // the entry condition
  // Its own reader: shows the field, reads keys and runs the field's check as it
  // sees fit, and tells the read which way to leave (ReadSession::set_exit).
  std::function<void(ReadSession&, GetField&)> reader;
  // "unselected,enhanced" colours of this field; empty: the console's slots.
  std::string colour;

  xbase::Value value() const { return var.get ? var.get() : xbase::Value(); }
  // The width on the screen, from the value and the picture.
  int width() const;
  // Shows the value as the field does when it is not being edited, in the
  // unselected colour (or `attr` when given).
  void show(Console& con) const;
  Attr unselected_attr(const Console& con) const;
  Attr enhanced_attr(const Console& con) const;
};

class GetList {
 public:
  using Fields = std::vector<std::shared_ptr<GetField>>;

  // @ row, col GET name: places the field, shows its value and leaves the cursor
  // just after it (so the next field can be placed relative to it).
  GetField& add(Console& con, int row, int col, std::string_view name, GetVar var,
                std::string_view picture = "");
  // The same for a variable of the store.
  GetField& add(Console& con, xbase::Variables& vars, int row, int col, std::string_view name,
                std::string_view picture = "");

  const Fields& fields() const { return fields_; }
  std::size_t size() const { return fields_.size(); }
  bool empty() const { return fields_.empty(); }
  GetField& operator[](std::size_t i) const { return *fields_[i]; }
  GetField* find(std::string_view name) const;  // by name, any case
  void clear() { fields_.clear(); }

 private:
  Fields fields_;
};

}  // namespace console
