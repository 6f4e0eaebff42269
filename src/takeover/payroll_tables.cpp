#include "takeover/payroll_tables.h"

#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "takeover/payroll_layout.h"
#include "xbase/dbf_table.h"
#include "xbase/fileio.h"
#include "xbase/functions.h"

namespace takeover {

namespace {

namespace pf = support::platform;

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace

RowRecord::RowRecord(const TableLayout& layout, xbase::WorkArea& area)
    : layout_(&layout),
      bytes_(area.record_bytes(), area.table() ? area.table()->record_length() : 0) {}

char RowRecord::type(std::string_view field) const {
  int p = layout_->pos(field);
  return p < 0 ? 0 : layout_->field(p).type;
}

xbase::Value RowRecord::value(std::string_view field) const {
  int p = layout_->pos(field);
  if (p < 0) throw MissingField(xbase::upper(field));
  return xbase::decode_field(layout_->field(p), bytes_.data() + layout_->offset(p));
}

std::vector<std::string> RowRecord::names() const {
  std::vector<std::string> out;
  for (const xbase::FieldDef& f : layout_->fields()) out.push_back(f.name);
  return out;
}

bool RowRecord::blank_at(int p) const {
  if (p < 0) return true;
  std::string_view raw(bytes_.data() + layout_->offset(p), static_cast<size_t>(layout_->field(p).width));
  return raw.find_first_not_of(' ') == std::string_view::npos;
}

bool RowRecord::blank(std::string_view field) const { return blank_at(layout_->pos(field)); }

bool RowRecord::member_blank(const payroll::SlotFamily& family, int n) const {
  return blank_at(layout_->member_code_pos(family, n));
}

void EZREGIFILT(xbase::WorkArea& area) {
  int pos = area.field_pos("EZREGI");
  if (pos < 0 || area.field(pos).type != 'C') return;
  area.set_filter([&area, pos] { return blank(area.get(pos).as_str()); });
  area.go_top();
}

PayrollCompany::PayrollCompany(shell::Context& ctx, std::string payroll_dir,
                               std::string company_dir, std::string ev)
    : ctx_(ctx), payroll_dir_(std::move(payroll_dir)), dir_(std::move(company_dir)),
      ev_(std::move(ev)) {}

PayrollCompany::~PayrollCompany() { close(); }

bool PayrollCompany::open_table(Open& t, const std::string& dir, const std::string& file,
                                const char* alias, const std::vector<std::string>& indexes,
                                bool old_filter) {
  ctx_.areas.select(0);
  std::string path = pf::find_nocase(pf::join(dir, file + ".dbf"));
  if (!ctx_.areas.use(path, alias, xbase::OpenMode::Exclusive, true)) return false;
  t.area = &ctx_.areas.current();
  for (const std::string& index : indexes) {
    std::string ipath = pf::find_nocase(pf::join(dir, index + ".ntx"));
    if (!shell::attach_index(ctx_, *t.area, ipath)) return false;
  }
  t.layout = std::make_unique<TableLayout>(*t.area);
  if (old_filter) EZREGIFILT(*t.area);
  return true;
}

bool PayrollCompany::open() {
  return open_table(orszag_, payroll_dir_, "orszag", "allampolg", {}, false) &&
         open_table(nemrend_, dir_, "nemrend", "nemrend", {"nemrend"}, false) &&
         open_table(ktgter_, dir_, "ktgter", "ktgter", {"ktgter"}, false) &&
         open_table(levonas_, dir_, "levonas", "levonas", {"levonas"}, false) &&
         open_table(tbell_, dir_, "tbell", "tbell", {"tbell"}, false) &&
         open_table(alktb_, dir_, payroll::monthly_name("alktb", ev_), "alktb",
                    {payroll::monthly_name("alktb", ev_)}, true) &&
         open_table(tagtb_, dir_, payroll::monthly_name("tagtb", ev_), "tagtb",
                    {payroll::monthly_name("tagtb", ev_)}, true) &&
         open_table(egyeb_, dir_, payroll::monthly_name("egyeb", ev_), "egyeb",
                    {payroll::monthly_name("egyeb", ev_)}, true) &&
         open_table(hozott_, dir_, payroll::monthly_name("hozot", ev_), "hozott",
                    {payroll::monthly_name("hozot", ev_)}, false) &&
         open_table(ekartya_, dir_, "ekartya", "ekartya", {"ekartya"}, false) &&
         open_table(tagalk_, dir_, "tagalk", "tagalk", {"tagalk2"}, false);
}

void PayrollCompany::close() {
  for (Open* t : {&nemrend_, &ktgter_, &levonas_, &tbell_, &alktb_, &tagtb_, &egyeb_, &hozott_,
                  &ekartya_, &tagalk_, &orszag_}) {
    if (t->area && t->area->used()) t->area->close();
    t->area = nullptr;
    t->layout.reset();
  }
}

std::vector<PayrollCompany::Person> PayrollCompany::persons() {
  std::vector<Person> out;
  xbase::WorkArea& a = *tagalk_.area;
  std::string last;
  for (a.go_top(); !a.eof(); a.skip()) {
    auto row = std::make_unique<RowRecord>(*tagalk_.layout, a);
    std::string who = xbase::padr(row->text("SZEMSZAM"), 10);
    if (out.empty() || who != last) out.emplace_back();
    last = who;
    out.back().rows.push_back(std::move(row));
    out.back().recnos.push_back(a.recno());
  }
  return out;
}

bool PayrollCompany::seek(Open& t, const std::string& key) {
  return t.area->seek(xbase::Value::str(key));
}

void PayrollCompany::run_of(Open& t, const std::string& pofa, const Each& each) {
  xbase::WorkArea& a = *t.area;
  const TableLayout& l = *t.layout;
  int szemszam = l.pos("SZEMSZAM"), fogjel = l.pos("FOGJEL"), fomeny = l.pos("FOMENY");
  for (; !a.eof(); a.skip()) {
    std::string key =
        a.get(szemszam).as_str() + a.get(fogjel).as_str() + a.get(fomeny).as_str();
    if (key != pofa) break;
    RowRecord r(l, a);
    each(r);
  }
}

void PayrollCompany::monthly(Monthly table, const std::string& pofa, const Each& each) {
  Open& t = table == Monthly::Member ? tagtb_ : table == Monthly::Wage ? alktb_ : egyeb_;
  if (seek(t, pofa)) run_of(t, pofa, each);
}

void PayrollCompany::brought_forward(const std::string& pofa, const Each& each) {
  if (seek(hozott_, pofa)) run_of(hozott_, pofa, each);
}

std::string PayrollCompany::brought_forward_month(const std::string& qpofa) {
  std::string month = "00";
  xbase::WorkArea& a = *hozott_.area;
  if (!seek(hozott_, qpofa)) return month;
  int szemszam = hozott_.layout->pos("SZEMSZAM"), honap = hozott_.layout->pos("HONAP");
  for (; !a.eof(); a.skip()) {
    if (xbase::padr(a.get(szemszam).as_str(), 10) != qpofa) break;
    std::string h = a.get(honap).as_str();
    if (h > month) month = h;
  }
  return month;
}

void PayrollCompany::dependants(const std::string& taj, const Each& each) {
  xbase::WorkArea& a = *ekartya_.area;
  if (!seek(ekartya_, taj)) return;
  int pos = ekartya_.layout->pos("TAJ");
  for (; !a.eof() && a.get(pos).as_str() == taj; a.skip()) {
    RowRecord r(*ekartya_.layout, a);
    each(r);
  }
}

bool PayrollCompany::blank_taj_dependants() {
  if (!blank_taj_) {
    int pos = ekartya_.layout->pos("TAJ");
    blank_taj_ = seek(ekartya_, std::string(static_cast<size_t>(ekartya_.layout->field(pos).width), ' '));
  }
  return *blank_taj_;
}

const Country* PayrollCompany::country(const std::string& code) {
  if (countries_.empty()) {
    // The table has no index: read once, the first record of a code counts.
    xbase::WorkArea& a = *orszag_.area;
    for (a.go_top(); !a.eof(); a.skip()) {
      RowRecord r(*orszag_.layout, a);
      countries_.emplace(xbase::alltrim(r.text("ALLAMPOLG")),
                         Country{xbase::rtrim(r.text("ALLAMMEGN")), r.text("ISO3166")});
    }
  }
  auto it = countries_.find(xbase::alltrim(code));
  return it == countries_.end() ? nullptr : &it->second;
}

template <class T, class Make>
const T* PayrollCompany::cached(std::unordered_map<std::string, std::optional<T>>& cache,
                                Open& t, std::string_view code, Make make) {
  auto it = cache.find(std::string(code));
  if (it == cache.end()) {
    std::optional<T> found;
    if (seek(t, std::string(code))) {
      RowRecord r(*t.layout, *t.area);
      found = make(r);
    }
    it = cache.emplace(std::string(code), std::move(found)).first;
  }
  return it->second ? &*it->second : nullptr;
}

const IncomeType* PayrollCompany::income_type(std::string_view code) {
  return cached(income_, nemrend_, code, [](const Record& r) {
    return IncomeType{r.text("ADLAPSOR3"), r.code("NEMRJELL")};
  });
}

const CostCode* PayrollCompany::cost_code(std::string_view code) {
  return cached(cost_, ktgter_, code, [](const Record& r) {
    return CostCode{r.code("OSSZEVON"), r.text("ADLAPSOR"), r.code("EUH14KOT")};
  });
}

const DeductionCode* PayrollCompany::deduction(std::string_view code) {
  return cached(deduction_, levonas_, code,
                [](const Record& r) { return DeductionCode{r.text("ADLAPSOR2")}; });
}

const BenefitCode* PayrollCompany::benefit(std::string_view code) {
  return cached(benefit_, tbell_, code, [](const Record& r) { return BenefitCode{r.code("ELLADO")}; });
}

}  // namespace takeover
