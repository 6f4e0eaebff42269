#include "certs/writer.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "shell/fminber.h"
#include "support/helpers.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"

namespace certs::layout {
namespace {

using xbase::CompiledPicture;
using xbase::Value;

int field_position(const xbase::Structure* fields, std::string_view name) {
  if (fields) {
    const std::string u = xbase::hu852_upper(name);
    for (std::size_t i = 0; i < fields->size(); ++i)
      if ((*fields)[i].name == u) return static_cast<int>(i);
  }
  throw std::invalid_argument("certificate layout: no field " + std::string(name));
}

std::string text_of(const Value& v) {
  switch (v.type()) {
    case xbase::Type::Character: return v.as_str();
    case xbase::Type::Date: return xbase::dtoc(v.as_date());
    case xbase::Type::Numeric: return xbase::str(v);
    default: return {};
  }
}

int64_t whole(const Value& v) { return v.is_num() ? static_cast<int64_t>(std::llround(v.as_num())) : 0; }

// The template part of a picture: what follows the functions and their blank.
std::size_t template_start(std::string_view pic) {
  if (pic.empty() || pic[0] != '@') return 0;
  std::size_t blank = pic.find(' ');
  return blank == std::string_view::npos ? pic.size() : blank + 1;
}

// --- Bound contents ---

struct BNode {
  Node::Op op = Node::Op::Lit;
  Rec rec = Rec::Person;
  uint8_t value = 0;
  int n = 0;
  int pos = -1;
  bool constant = false;
  std::string lit;  // the text of a constant node
  std::shared_ptr<const CompiledPicture> pic;
  std::vector<BNode> kids;
};

struct BAmount {
  Amount::Kind kind = Amount::Kind::Field;
  int a = -1, b = -1;
  int64_t DerivedAmounts::*derived = nullptr;
  std::array<int, 12> months{};
};

struct BMask {
  // [0] the mask, then wider ones; the same for the alternative.
  std::vector<CompiledPicture> pics, alts;
  CompiledPicture nines, nines_alt;
  Mask::When when = Mask::When::Never;
  BAmount of;
  Overflow overflow = Overflow::Nines;
};

struct BColumn {
  Column::Kind kind = Column::Kind::At;
  int n = 0;
};

struct BRow {
  Advance adv;
  std::vector<BColumn> cols;
  std::vector<BNode> texts;
  std::vector<BAmount> amounts;
  BMask mask;
  bool each_month = false;
  bool eject = false;
  bool home = false;
};

// What a certificate's evaluation reads.
struct Env {
  const Certificate& c;
  int month = 0;  // 1..12 inside the section IV rows
};

constexpr int kMaxWiden = 8;  // digits a widened mask may add

}  // namespace

std::string widen_picture(std::string_view picture) {
  const std::size_t t = template_start(picture);
  std::string out(picture);
  std::string_view tmpl = picture.substr(t);
  std::size_t comma = tmpl.find(',');
  std::size_t lead = comma == std::string_view::npos ? tmpl.size() : comma;
  // A group of three digits gets a separator before the new digit.
  out.insert(t, comma != std::string_view::npos && lead >= 3 ? "9," : "9");
  return out;
}

std::string nines_picture(std::string_view picture) {
  return "@Z " + std::string(picture.size() - template_start(picture), '9');
}

struct Writer::Impl {
  const RunSettings settings;
  std::vector<BRow> rows;
  std::array<std::string, 12> month_names;

  Impl(const Layout& layout, const RunSettings& s) : settings(s) {
    for (int m = 1; m <= 12; ++m)
      month_names[static_cast<std::size_t>(m - 1)] =
          xbase::transform(Value::str(support::HONAPNEV(m)), "!XXXXXXXXXX");
    for (const Row& r : layout) {
      if (r.paper_only && !settings.paper) continue;
      rows.push_back(bind(r));
    }
  }

  // --- Binding ---

  const Value* var(std::string_view name) const {
    return settings.vars ? settings.vars->find(name) : nullptr;
  }

  std::string var_text(std::string_view name) const {
    const Value* v = var(name);
    return v && v->is_str() ? v->as_str() : std::string();
  }

  // A picture named by its variable ("PV9") or written out ("@Z 999").
  std::string picture_text(const std::string& pic) const {
    if (!pic.empty() && pic[0] == '@') return pic;
    const Value* v = var(pic);
    if (!v || !v->is_str()) throw std::invalid_argument("certificate layout: no picture " + pic);
    return v->as_str();
  }

  const xbase::Structure* fields_of(Rec r) const {
    return r == Rec::Person ? settings.person : settings.company;
  }

  std::string run_value(RunValue v) const {
    switch (v) {
      case RunValue::Year: return var_text("EV4");
      case RunValue::YY: return var_text("EV");
      case RunValue::Banben: return shell::BANBEN(var_text("EV4"));
      case RunValue::Mainap: {
        const Value* d = var("MAINAP");
        return d && d->is_date() ? xbase::dtoc(d->as_date()) : xbase::dtoc(xbase::Date());
      }
      case RunValue::Cegnev: return xbase::alltrim(var_text("CEGNEV"));
    }
    return {};
  }

  BNode bind(const Text& t) const {
    const Node& n = *t;
    BNode b;
    b.op = n.op;
    b.rec = n.rec;
    b.value = n.value;
    b.n = n.n;
    switch (n.op) {
      case Node::Op::Lit:
        b.lit = n.s;
        b.constant = true;
        break;
      case Node::Op::Ctl:
        b.lit = var_text(n.s);
        b.constant = true;
        break;
      case Node::Op::Run:
        b.lit = run_value(static_cast<RunValue>(n.value));
        b.constant = true;
        break;
      case Node::Op::Field:
      case Node::Op::DateField:
      case Node::Op::YesNo:
        b.pos = field_position(fields_of(n.rec), n.s);
        break;
      case Node::Op::TaxNumber:
        b.pos = field_position(fields_of(n.rec), n.s);
        b.pic = std::make_shared<const CompiledPicture>(picture_text("PADO"));
        break;
      case Node::Op::Masked:
        b.pos = field_position(fields_of(n.rec), n.s);
        b.pic = std::make_shared<const CompiledPicture>(picture_text(n.pic));
        break;
      case Node::Op::Cert:
        break;
      case Node::Op::OrIfBlank:
        b.kids.push_back(bind(n.kids[0]));
        b.lit = n.s;
        break;
      default: {
        b.constant = true;
        for (const Text& k : n.kids) {
          b.kids.push_back(bind(k));
          b.constant = b.constant && b.kids.back().constant;
        }
        if (b.constant) {
          Certificate none;
          b.lit = eval(b, Env{none});
          b.op = Node::Op::Lit;
          b.kids.clear();
        }
      }
    }
    return b;
  }

  BAmount bind(const Amount& a) const {
    BAmount b;
    b.kind = a.kind;
    b.derived = a.derived;
    switch (a.kind) {
      case Amount::Kind::Field: b.a = field_position(settings.person, a.a); break;
      case Amount::Kind::Diff:
        b.a = field_position(settings.person, a.a);
        b.b = field_position(settings.person, a.b);
        break;
      case Amount::Kind::Derived: break;
      case Amount::Kind::Month:
      case Amount::Kind::MonthSum:
        for (int m = 1; m <= 12; ++m)
          b.months[static_cast<std::size_t>(m - 1)] = field_position(
              settings.person, a.a + static_cast<char>('0' + m / 10) + static_cast<char>('0' + m % 10));
        break;
    }
    return b;
  }

  static std::vector<CompiledPicture> widened(std::string pic, Overflow o) {
    std::vector<CompiledPicture> out;
    out.emplace_back(pic);
    if (o == Overflow::Widen)
      for (int i = 0; i < kMaxWiden; ++i) out.emplace_back(pic = widen_picture(pic));
    return out;
  }

  BMask bind(const Mask& m) const {
    BMask b;
    b.overflow = m.overflow;
    b.when = m.when;
    const std::string pic = picture_text(m.pic);
    b.pics = widened(pic, m.overflow);
    b.nines = CompiledPicture(nines_picture(pic));
    if (m.when != Mask::When::Never) {
      const std::string alt = picture_text(m.alt);
      b.alts = widened(alt, m.overflow);
      b.nines_alt = CompiledPicture(nines_picture(alt));
      b.of = bind(m.of);
    }
    return b;
  }

  BColumn bind(const Column& c) const {
    BColumn b{c.kind, c.n};
    if (c.kind == Column::Kind::Centred || c.kind == Column::Kind::RightOf) {
      BNode t = bind(c.text);
      if (!t.constant) throw std::invalid_argument("certificate layout: a column from a field");
      const int len = static_cast<int>(t.lit.size());
      b.kind = Column::Kind::At;
      if (c.kind == Column::Kind::Centred) {
        b.n = (c.n - len) / 2;
      } else {
        // The whole expression's fraction is dropped, as the runtime truncates a column.
        b.n = static_cast<int>(std::floor((static_cast<double>(c.n) * c.den - len * c.num) / c.den));
      }
    }
    return b;
  }

  BRow bind(const Row& r) const {
    BRow b;
    b.adv = r.adv;
    b.each_month = r.each_month;
    b.eject = r.eject;
    b.home = r.home;
    for (const Column& c : r.cols) b.cols.push_back(bind(c));
    for (const Text& t : r.texts) b.texts.push_back(bind(t));
    for (const Amount& a : r.amounts) b.amounts.push_back(bind(a));
    if (!r.amounts.empty()) b.mask = bind(r.mask);
    return b;
  }

  // --- Evaluation ---

  static const xbase::WorkArea& area(const Env& e, Rec r) {
    return *(r == Rec::Person ? e.c.person : e.c.company);
  }

  std::string eval(const BNode& b, const Env& e) const {
    switch (b.op) {
      case Node::Op::Lit:
      case Node::Op::Ctl:
      case Node::Op::Run: return b.lit;
      case Node::Op::Field: return text_of(area(e, b.rec).get(b.pos));
      case Node::Op::DateField: {
        Value v = area(e, b.rec).get(b.pos);
        return xbase::dtoc(v.is_date() ? v.as_date() : xbase::Date());
      }
      case Node::Op::YesNo: {
        Value v = area(e, b.rec).get(b.pos);
        return v.is_str() && v.as_str().rfind('I', 0) == 0 ? "I" : "N";
      }
      case Node::Op::TaxNumber: {
        // A private payer's tax identifier has 10 characters: the mask of the
        // 11-digit company tax number would cut it into wrong groups.
        Value v = area(e, b.rec).get(b.pos);
        std::string t = xbase::alltrim(v.as_str());
        return t.size() == 10 ? t : b.pic->apply(v);
      }
      case Node::Op::Masked: return b.pic->apply(area(e, b.rec).get(b.pos));
      case Node::Op::Cert:
        switch (static_cast<CertValue>(b.value)) {
          case CertValue::Db: return xbase::str(e.c.db, 5);
          case CertValue::Month: return xbase::str(e.month, 2);
          case CertValue::MonthName: return month_names[static_cast<std::size_t>(e.month - 1)];
          case CertValue::Street: return b.rec == Rec::Person ? e.c.person_street : e.c.company_street;
        }
        return {};
      case Node::Op::Cat: {
        std::string s;
        for (const BNode& k : b.kids) s += eval(k, e);
        return s;
      }
      case Node::Op::PadR: return xbase::padr(eval(b.kids[0], e), b.n);
      case Node::Op::PadL: return xbase::padl(eval(b.kids[0], e), b.n);
      case Node::Op::PadC: return xbase::padc(eval(b.kids[0], e), b.n);
      case Node::Op::Trim: return xbase::alltrim(eval(b.kids[0], e));
      case Node::Op::Lower: return xbase::lower(eval(b.kids[0], e));
      case Node::Op::OrIfBlank: {
        std::string t = eval(b.kids[0], e);
        return xbase::empty(Value::str(t)) ? b.lit : t;
      }
    }
    return {};
  }

  int64_t amount(const BAmount& a, const Env& e) const {
    const xbase::WorkArea& p = *e.c.person;
    switch (a.kind) {
      case Amount::Kind::Field: return whole(p.get(a.a));
      case Amount::Kind::Diff: return whole(p.get(a.a)) - whole(p.get(a.b));
      case Amount::Kind::Derived: return e.c.derived.*a.derived;
      case Amount::Kind::Month: return whole(p.get(a.months[static_cast<std::size_t>(e.month - 1)]));
      case Amount::Kind::MonthSum: {
        int64_t sum = 0;
        for (int pos : a.months) sum += whole(p.get(pos));
        return sum;
      }
    }
    return 0;
  }

  // The amount's text and the column it starts in.
  std::pair<std::string, int> format(const BMask& m, int64_t v, int col, const Env& e) const {
    bool use_alt = false;
    if (m.when != Mask::When::Never) {
      const int64_t of = amount(m.of, e);
      use_alt = m.when == Mask::When::NonZero ? of != 0 : of >= 1000000000;
    }
    const std::vector<CompiledPicture>& pics = use_alt ? m.alts : m.pics;
    const double n = static_cast<double>(v);
    std::string s = pics[0].apply(n);
    if (s.find('*') == std::string::npos) return {s, col};
    if (m.overflow == Overflow::Nines) return {(use_alt ? m.nines_alt : m.nines).apply(n), col};
    for (std::size_t i = 1; i < pics.size(); ++i) {
      std::string w = pics[i].apply(n);
      if (w.find('*') == std::string::npos)
        return {w, col - (pics[i].template_width() - pics[0].template_width())};
    }
    return {s, col};
  }

  void out(console::Printer& p, int row, int col, const std::string& s) const {
    p.say(row, col, settings.convert ? settings.convert(s) : s);
  }

  void write_row(console::Printer& p, const BRow& r, const Env& e) const {
    if (r.eject) {
      p.eject();
      return;
    }
    const int row = r.adv.kind == Advance::Kind::Row ? r.adv.n : p.prow() + r.adv.n;
    for (std::size_t i = 0; i < r.cols.size(); ++i) {
      const BColumn& c = r.cols[i];
      int col = c.kind == Column::Kind::AfterText ? p.pcol() + 1
                : c.kind == Column::Kind::Current ? p.pcol()
                                                   : c.n;
      if (!r.amounts.empty()) {
        auto [s, start] = format(r.mask, amount(r.amounts[i], e), col, e);
        out(p, row, start, s);
      } else {
        out(p, row, col, eval(r.texts[i], e));
      }
    }
    if (r.home) p.setprc(0, 0);
  }

  void write(console::Printer& p, const Certificate& c) const {
    Env e{c};
    for (std::size_t i = 0; i < rows.size();) {
      if (!rows[i].each_month) {
        write_row(p, rows[i++], e);
        continue;
      }
      std::size_t end = i;
      while (end < rows.size() && rows[end].each_month) ++end;
      for (e.month = 1; e.month <= 12; ++e.month)
        for (std::size_t j = i; j < end; ++j) write_row(p, rows[j], e);
      e.month = 0;
      i = end;
    }
  }
};

Writer::Writer(const Layout& layout, const RunSettings& settings)
    : impl_(std::make_unique<Impl>(layout, settings)) {}
Writer::~Writer() = default;

void Writer::write(console::Printer& printer, const Certificate& c) const { impl_->write(printer, c); }

}  // namespace certs::layout
