#include "console/get_field.h"

#include "console/get_buffer.h"
#include "xbase/vars.h"

namespace console {

using xbase::Value;

GetVar bind_var(xbase::Variables& vars, std::string_view name) {
  std::string n = xbase::Variables::normalize(name);
  GetVar v;
  v.get = [&vars, n]() {
    const Value* p = vars.find(n);
    return p ? *p : Value();
  };
  v.set = [&vars, n](const Value& x) { vars.assign(n, x); };
  return v;
}

GetVar bind_value(Value& ref) {
  return GetVar{[&ref]() { return ref; }, [&ref](const Value& x) { ref = x; }};
}

GetVar bind_text(std::string& ref) {
  return GetVar{[&ref]() { return Value::str(ref); }, [&ref](const Value& x) { ref = x.as_str(); }};
}

GetVar bind_number(double& ref, int width, int decimals) {
  return GetVar{[&ref, width, decimals]() { return Value::num(ref, width, decimals); },
                [&ref](const Value& x) { ref = x.as_num(); }};
}

int GetField::width() const { return GetBuffer(value(), picture).shown_width(); }

namespace {
Attr colour_part(const std::string& colour, int part, Attr fallback) {
  if (colour.empty()) return fallback;
  std::size_t start = 0;
  for (int i = 0; i < part; ++i) {
    start = colour.find(',', start);
    if (start == std::string::npos) return fallback;
    ++start;
  }
  std::size_t end = colour.find(',', start);
  std::string slot = colour.substr(start, end == std::string::npos ? std::string::npos : end - start);
  Attr a = fallback;
  if (slot.empty() || !parse_slot(slot, a)) return fallback;
  return a;
}
}  // namespace

Attr GetField::unselected_attr(const Console& con) const {
  return colour_part(colour, 0, con.attr(kUnselected));
}

Attr GetField::enhanced_attr(const Console& con) const {
  return colour_part(colour, 1, con.attr(kEnhanced));
}

void GetField::show(Console& con) const {
  Value v = value();
  GetBuffer b(v, picture);
  con.screen().write(row, col, b.display(v), unselected_attr(con));
}

GetField& GetList::add(Console& con, int row, int col, std::string_view name, GetVar var,
                       std::string_view picture) {
  auto f = std::make_shared<GetField>();
  f->row = row;
  f->col = col;
  f->name = xbase::Variables::normalize(name);
  f->var = std::move(var);
  f->picture = std::string(picture);
  f->show(con);
  con.set_pos(row, col + f->width());
  fields_.push_back(f);
  return *f;
}

GetField& GetList::add(Console& con, xbase::Variables& vars, int row, int col, std::string_view name,
                       std::string_view picture) {
  return add(con, row, col, name, bind_var(vars, name), picture);
}

GetField* GetList::find(std::string_view name) const {
  std::string n = xbase::Variables::normalize(name);
  for (const auto& f : fields_)
    if (f->name == n) return f.get();
  return nullptr;
}

}  // namespace console
