#include "certs/layout.h"

#include <utility>

namespace certs::layout {
namespace {

Text make(Node n) { return std::make_shared<const Node>(std::move(n)); }

Text leaf(Node::Op op, std::string_view s, Rec rec = Rec::Person) {
  Node n;
  n.op = op;
  n.s = std::string(s);
  n.rec = rec;
  return make(std::move(n));
}

Text wrap(Node::Op op, Text t, int width = 0) {
  Node n;
  n.op = op;
  n.n = width;
  n.kids.push_back(std::move(t));
  return make(std::move(n));
}

}  // namespace

Text lit(std::string_view cp852) { return leaf(Node::Op::Lit, cp852); }
Text ctl(std::string_view name) { return leaf(Node::Op::Ctl, name); }
Text field(std::string_view name, Rec rec) { return leaf(Node::Op::Field, name, rec); }
Text company(std::string_view name) { return field(name, Rec::Company); }
Text date_field(std::string_view name) { return leaf(Node::Op::DateField, name); }
Text yes_no(std::string_view name) { return leaf(Node::Op::YesNo, name); }
Text tax_number(std::string_view name) { return leaf(Node::Op::TaxNumber, name, Rec::Company); }

Text masked(std::string_view name, std::string_view pic_var) {
  Node n;
  n.op = Node::Op::Masked;
  n.s = std::string(name);
  n.pic = std::string(pic_var);
  return make(std::move(n));
}

Text run(RunValue v) {
  Node n;
  n.op = Node::Op::Run;
  n.value = static_cast<uint8_t>(v);
  return make(std::move(n));
}

Text cert(CertValue v, Rec rec) {
  Node n;
  n.op = Node::Op::Cert;
  n.value = static_cast<uint8_t>(v);
  n.rec = rec;
  return make(std::move(n));
}

Text padr(Text t, int n) { return wrap(Node::Op::PadR, std::move(t), n); }
Text padl(Text t, int n) { return wrap(Node::Op::PadL, std::move(t), n); }
Text padc(Text t, int n) { return wrap(Node::Op::PadC, std::move(t), n); }
Text trim(Text t) { return wrap(Node::Op::Trim, std::move(t)); }
Text lower(Text t) { return wrap(Node::Op::Lower, std::move(t)); }
Text or_if_blank(Text t, std::string_view cp852) {
  Node n;
  n.op = Node::Op::OrIfBlank;
  n.s = std::string(cp852);
  n.kids.push_back(std::move(t));
  return make(std::move(n));
}

Text operator+(Text a, Text b) {
  Node n;
  n.op = Node::Op::Cat;
  // Flatten chains of joins: a + b + c is one node with three parts.
  for (Text* t : {&a, &b}) {
    if ((*t)->op == Node::Op::Cat)
      n.kids.insert(n.kids.end(), (*t)->kids.begin(), (*t)->kids.end());
    else
      n.kids.push_back(std::move(*t));
  }
  return make(std::move(n));
}
Text operator+(Text a, std::string_view cp852) { return std::move(a) + lit(cp852); }
Text operator+(std::string_view cp852, Text b) { return lit(cp852) + std::move(b); }

Amount num(std::string_view name) { return {Amount::Kind::Field, std::string(name), {}, nullptr}; }
Amount diff(std::string_view revenue, std::string_view cost) {
  return {Amount::Kind::Diff, std::string(revenue), std::string(cost), nullptr};
}
Amount derived(int64_t DerivedAmounts::*member) { return {Amount::Kind::Derived, {}, {}, member}; }
Amount month(std::string_view prefix) { return {Amount::Kind::Month, std::string(prefix), {}, nullptr}; }
Amount month_sum(std::string_view prefix) {
  return {Amount::Kind::MonthSum, std::string(prefix), {}, nullptr};
}

Mask mask(std::string_view pic, Overflow o) { return {std::string(pic), {}, Mask::When::Never, {}, o}; }
Mask mask_nonzero(std::string_view pic, std::string_view alt, Amount of, Overflow o) {
  return {std::string(pic), std::string(alt), Mask::When::NonZero, std::move(of), o};
}
Mask mask_billion(std::string_view pic, std::string_view alt, Amount of, Overflow o) {
  return {std::string(pic), std::string(alt), Mask::When::AtLeastBillion, std::move(of), o};
}

Row text_row(Advance a, Column c, Text t) {
  Row r;
  r.adv = a;
  r.cols.push_back(std::move(c));
  r.texts.push_back(std::move(t));
  return r;
}

Row texts_row(Advance a, std::vector<Column> cs, std::vector<Text> ts) {
  Row r;
  r.adv = a;
  r.cols = std::move(cs);
  r.texts = std::move(ts);
  return r;
}

Row amount_row(Advance a, std::vector<int> cols, std::vector<Amount> amounts, Mask m) {
  Row r;
  r.adv = a;
  for (int c : cols) r.cols.push_back(at(c));
  r.amounts = std::move(amounts);
  r.mask = std::move(m);
  return r;
}

Row eject_row() {
  Row r;
  r.eject = true;
  return r;
}

Row home(Row r) {
  r.home = true;
  return r;
}

Row paper_only(Row r) {
  r.paper_only = true;
  return r;
}

Row each_month(Row r) {
  r.each_month = true;
  return r;
}

}  // namespace certs::layout
