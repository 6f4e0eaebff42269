#include "takeover/takeover_run.h"

#include <cmath>
#include <memory>
#include <set>
#include <unordered_map>

#include "certs/ugyfelval.h"
#include "shell/record_buffer.h"
#include "shell/record_replace.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "shell/startup_files.h"
#include "shell/upgrade.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "takeover/company_check.h"
#include "takeover/conversions.h"
#include "takeover/new_records.h"
#include "takeover/payroll_layout.h"
#include "takeover/payroll_tables.h"
#include "takeover/record_findings.h"
#include "xbase/dbf_copy.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"

namespace takeover {

namespace {

namespace pf = support::platform;
using xbase::Value;

// The error handler's "give up the operation" during a run: back to the run's
// common ending.
struct BreakRun {};

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// The live records of each company in a table of the program.
using ByCompany = std::unordered_map<std::string, std::vector<uint32_t>>;

ByCompany records_by_company(xbase::WorkArea& a) {
  ByCompany out;
  int pos = a.field_pos("VKOD");
  a.clear_filter();
  for (a.go_top(); !a.eof(); a.skip())
    if (!a.deleted()) out[a.get(pos).as_str()].push_back(a.recno());
  return out;
}

class Run {
 public:
  Run(shell::Context& ctx, const Request& req, const Hooks& hooks, Outcome& out)
      : ctx_(ctx), req_(req), hooks_(hooks), out_(out), ev_(ctx.ev) {}

  void go() {
    payroll_ = payroll_path(req_.payroll_dir);
    if (!payroll_program_there()) return;
    if (!working_set()) return;
    replace_companies();
    if (!pick()) return;
    take_companies();
  }

 private:
  // Step 2: the payroll program is installed and nobody uses it.
  bool payroll_program_there() {
    std::string vallal = pf::find_nocase(pf::join(payroll_, "vallal.dbf"));
    if (!pf::exists(vallal)) {
      out_.status = Status::InputMissing;
      return false;
    }
    xbase::AreaSelection keep(ctx_.areas);
    ctx_.areas.select(0);
    if (!shell::NETUSE(ctx_, vallal, true, false, "KVADVALL", true)) {
      out_.status = Status::Busy;
      return false;
    }
    // The payroll companies, kept for the address groups of the picked ones.
    xbase::WorkArea& a = ctx_.areas.current();
    payroll_layout_ = std::make_unique<TableLayout>(a);
    for (a.go_top(); !a.eof(); a.skip()) {
      auto row = std::make_unique<RowRecord>(*payroll_layout_, a);
      payroll_companies_.emplace(row->text("VKOD"), std::move(row));
    }
    ctx_.areas.close_area();
    payroll_vallal_ = vallal;
    return true;
  }

  // The tables of the working set, open exclusively.
  bool working_set() {
    for (auto [name, alias] : {std::pair{std::string("vallal"), "VALLAL"},
                               {"eltar" + ev_, "ELTAR"}, {"virda" + ev_, "VIRDA"}}) {
      xbase::WorkArea* a = ctx_.areas.find(alias);
      if (!a) {
        xbase::AreaSelection keep(ctx_.areas);
        ctx_.areas.select(0);
        if (!shell::NETUSE(ctx_, name, true, false, alias)) {
          out_.status = Status::Busy;
          return false;
        }
        a = &ctx_.areas.current();
      }
      a->clear_orders();
      a->clear_filter();
    }
    vallal_ = ctx_.areas.find("VALLAL");
    eltar_ = ctx_.areas.find("ELTAR");
    virda_ = ctx_.areas.find("VIRDA");
    year_ = records_by_company(*virda_);
    dependants_ = records_by_company(*eltar_);
    return true;
  }

  std::string company_dir(const std::string& vkod) const {
    return pf::find_nocase(pf::join(payroll_, payroll::company_dir_name(xbase::rtrim(vkod), ev_)));
  }

  // Step 3: the company table holds the payroll program's companies that have a
  // wage table for the year; its old contents go.
  void replace_companies() {
    xbase::WorkArea& v = *vallal_;
    std::vector<uint32_t> old;
    for (v.go_top(); !v.eof(); v.skip()) old.push_back(v.recno());
    shell::RecordReplacement rep(ctx_);
    rep.drop(v, old);
    if (!rep.begin()) return;
    std::string wage = payroll::monthly_name("alktb", ev_) + ".dbf";
    xbase::append_from(v, payroll_vallal_, [&](xbase::WorkArea& src) {
      return pf::exists(pf::join(company_dir(src.get("VKOD").as_str()), wage));
    });
    rep.finish();
    xbase::AreaSelection keep(ctx_.areas);
    ctx_.areas.select(v.number());
    ctx_.areas.guarded([&] {
      v.add_order(xbase::NtxOrder::index_on(ctx_.areas, ctx_.path("vallal"), "vkod", false,
                                            &ctx_.vars));
    });
  }

  // Step 4: which companies.
  bool pick() {
    xbase::WorkArea& v = *vallal_;
    if (req_.pick) {
      if (req_.pick()) return true;
      out_.status = Status::Cancelled;
      return false;
    }
    certs::clear_marks(v);
    if (req_.all) certs::mark_all(v);
    for (const Request::Range& r : req_.ranges) certs::mark_between(v, r.from, r.to);
    std::set<std::string> chosen;
    for (const std::string& c : req_.companies) chosen.insert(xbase::rtrim(c));
    for (v.go_top(); !v.eof(); v.skip())
      if (chosen.count(xbase::rtrim(v.get("VKOD").as_str())) != 0)
        v.put("FLAG", Value::str(std::string(1, certs::kCompanyMark)));
    v.commit();
    return true;
  }

  // Step 5: the companies in code order.
  void take_companies() {
    xbase::WorkArea& v = *vallal_;
    std::vector<uint32_t> order;
    for (v.go_top(); !v.eof(); v.skip()) order.push_back(v.recno());
    for (size_t i = 0; i < order.size(); ++i) {
      v.go_to(order[i]);
      if (blank(v.get("FLAG").as_str())) continue;
      const std::string vkod = v.get("VKOD").as_str();
      const std::string dir = company_dir(vkod);
      if (!pf::exists(pf::join(dir, "*.dbf"))) continue;
      copy_address(v, vkod);
      if (!take_company(v, vkod, dir) && i + 1 == order.size()) out_.completed = false;
    }
    commit();
  }

  // Step 5b: the company's address groups from the payroll company.
  void copy_address(xbase::WorkArea& v, const std::string& vkod) {
    auto it = payroll_companies_.find(vkod);
    if (it == payroll_companies_.end()) return;
    const Record& p = *it->second;
    for (const auto& [from, to] : address_copies(p.code("VTIPUS"), p.code("VANLEVCIM")))
      CIMATVESZ(p, v, from, to);
    v.commit();
  }

  // One company; false only when its overwrite was declined.
  bool take_company(xbase::WorkArea& v, const std::string& vkod, const std::string& dir) {
    CompanyResult c;
    c.vkod = vkod;
    c.vnev = xbase::rtrim(v.get("VNEV").as_str());
    if (held(vkod)) commit();  // a company listed twice: its first records stand
    auto have = year_.find(vkod);
    if (have != year_.end() && !have->second.empty() && req_.overwrite) {
      commit();  // nothing computed waits while the user thinks
      if (!req_.overwrite(vkod)) {
        c.kind = CompanyResult::Kind::Declined;
        out_.companies.push_back(c);
        return false;
      }
    }
    CompanyInfo info;
    info.vkod = vkod;
    info.vtipus = v.get("VTIPUS").as_str().empty() ? ' ' : v.get("VTIPUS").as_str()[0];
    int tb = v.field_pos("TBKIFHELY");
    info.pays_benefits = tb >= 0 && v.get(tb).as_str().compare(0, 1, "I") == 0;

    CompanyCheck check = check_company(ctx_, payroll_, dir, ev_, info.vtipus != '2');
    if (!check.ok()) {
      keep(c, check.text());
      return true;
    }
    RunState st;
    st.elprg = req_.payroll_dir;
    st.kvkod = vkod;
    st.eldir = dir;
    st.start_year(2000 + std::stoi(ev_));
    st.ktgdb = check.counts.ktgdb;
    st.levdb = check.counts.levdb;
    st.nemrdb = check.counts.nemrdb;
    st.tbelldb = check.counts.tbelldb;

    PayrollCompany data(ctx_, payroll_, dir, ev_);
    Computed done;
    done.result = c;
    try {
      if (!data.open()) {
        keep(c, std::string(HU("a bérprogram táblái nem nyithatók meg")));
        return true;
      }
      if (hooks_.company_begun) hooks_.company_begun(c);
      compute(data, st, info, done);
    } catch (const MissingField& e) {
      data.close();
      keep(c, e.field() + std::string(HU(" mező hiányzik")));
      return true;
    } catch (const xbase::ErrorException& e) {
      data.close();
      keep(c, std::string(HU("hibás bérprogram tábla: ")) + e.error().filename);
      return true;
    }
    data.close();
    held_bytes_ += done.bytes();
    computed_.push_back(std::move(done));
    if (held_bytes_ > kHeldBytes) commit();
    return true;
  }

  // A company computed and waiting to replace its records.
  struct Computed {
    CompanyResult result;
    std::vector<std::string> year, deps;
    std::vector<Finding> findings;
    size_t bytes() const {
      size_t n = 0;
      for (const std::string& r : year) n += r.size();
      for (const std::string& r : deps) n += r.size();
      return n;
    }
  };
  // The computed companies held in memory at most, before they are written.
  static constexpr size_t kHeldBytes = 64u << 20;

  bool held(const std::string& vkod) const {
    for (const Computed& c : computed_)
      if (c.result.vkod == vkod) return true;
    return false;
  }

  // Step h for the companies computed so far, in one step: each company's old
  // records go and its new ones stand, all of them or none after a kill. Done before
  // the user is asked anything, and at the end.
  void commit() {
    if (computed_.empty()) return;
    std::vector<Computed> batch = std::move(computed_);
    computed_.clear();
    held_bytes_ = 0;
    std::vector<uint32_t> drop_year, drop_deps;
    for (const Computed& c : batch) {
      const std::vector<uint32_t>& y = year_[c.result.vkod];
      const std::vector<uint32_t>& d = dependants_[c.result.vkod];
      drop_year.insert(drop_year.end(), y.begin(), y.end());
      drop_deps.insert(drop_deps.end(), d.begin(), d.end());
    }
    shell::RecordReplacement rep(ctx_);
    rep.drop(*virda_, drop_year);
    rep.drop(*eltar_, drop_deps);
    bool ok = rep.begin();
    std::vector<std::vector<uint32_t>> new_year(batch.size()), new_deps(batch.size());
    for (size_t i = 0; ok && i < batch.size(); ++i) {
      for (const std::string& r : batch[i].year) new_year[i].push_back(rep.append(*virda_, r));
      for (const std::string& r : batch[i].deps) new_deps[i].push_back(rep.append(*eltar_, r));
    }
    ok = ok && rep.finish();
    for (size_t i = 0; i < batch.size(); ++i) {
      CompanyResult& c = batch[i].result;
      if (!ok) {
        keep(c, std::string(HU("a változás nem rögzíthető")));
        continue;
      }
      year_[c.vkod] = std::move(new_year[i]);
      dependants_[c.vkod] = std::move(new_deps[i]);
      out_.findings.insert(out_.findings.end(), batch[i].findings.begin(), batch[i].findings.end());
      c.persons = static_cast<int>(batch[i].year.size());
      c.dependants = static_cast<int>(batch[i].deps.size());
      out_.companies.push_back(c);
      if (hooks_.company_finished) hooks_.company_finished(c);
    }
  }

  void keep(CompanyResult& c, const std::string& missing) {
    if (hooks_.kept) commit();  // before the box waits for the user
    c.kind = CompanyResult::Kind::Kept;
    c.missing = missing;
    out_.companies.push_back(c);
    out_.findings.push_back(
        {c.vkod, "", c.vnev, std::string(HU("a cég adatai változatlanok: ")) + missing});
    if (hooks_.kept) hooks_.kept(c.vkod, missing);
  }

  // Steps 6 to 8 for every person of the company, in memory.
  void compute(PayrollCompany& data, RunState& st, const CompanyInfo& info, Computed& out) {
    const CompanyResult& c = out.result;
    std::vector<std::string>& year = out.year;
    std::vector<std::string>& deps = out.deps;
    std::vector<Finding>& findings = out.findings;
    YearRecords year_records(*virda_);
    RecordBuilder dep_records(*eltar_);
    RecordFindings checked(ctx_, *virda_, *eltar_);
    std::vector<PayrollCompany::Person> persons = data.persons();
    size_t total = 0, done = 0;
    for (const auto& p : persons) total += p.rows.size();
    for (const PayrollCompany::Person& p : persons) {
      std::vector<PersonRecord> recs;
      for (size_t i = 0; i < p.rows.size(); ++i) recs.push_back({p.recnos[i], p.rows[i].get()});
      PersonResult r = take_person(st, data, info, recs, [&](const Record& rel) {
        ++done;
        if (hooks_.progress)
          hooks_.progress(c.vkod, xbase::rtrim(rel.text("NEV")),
                          static_cast<int>(std::lround(100.0 * static_cast<double>(done) /
                                                       static_cast<double>(total))));
      });
      if (!r.written) continue;
      auto note = [&](const std::string& text) {
        findings.push_back({c.vkod, r.szemszam, r.nev, text});
      };
      auto refused = [&](const Refused& x) {
        if (hooks_.too_big) commit();  // before the message waits for a key
        if (hooks_.too_big)
          hooks_.too_big(shell::too_big_text(c.vkod, r.nev, x.field, Value::num(x.value)));
        note(std::string(HU("túl nagy szám: ")) + x.field + " " + amount_text(x.value) +
             std::string(HU(", a mező üres maradt")));
      };
      for (const std::string& n : r.notes) note(n);
      year.push_back(year_records.build(r, refused));
      std::vector<Finding> refusals;  // what the forms would refuse, after the rest
      checked.person(year.back(), refusals);
      for (const FieldValues& d : r.dependants) {
        deps.push_back(dependant_record(dep_records, d, refused));
        checked.dependant(deps.back(), refusals);
      }
      findings.insert(findings.end(), refusals.begin(), refusals.end());
    }
  }

  shell::Context& ctx_;
  const Request& req_;
  const Hooks& hooks_;
  Outcome& out_;
  std::string ev_;
  std::string payroll_, payroll_vallal_;
  std::unordered_map<std::string, std::unique_ptr<RowRecord>> payroll_companies_;
  std::unique_ptr<TableLayout> payroll_layout_;
  xbase::WorkArea* vallal_ = nullptr;
  xbase::WorkArea* eltar_ = nullptr;
  xbase::WorkArea* virda_ = nullptr;
  ByCompany year_, dependants_;
  std::vector<Computed> computed_;
  size_t held_bytes_ = 0;
};

}  // namespace

void common_ending(shell::Context& ctx) {
  ctx.areas.close_all();
  for (const std::string& table : {"virda" + ctx.ev, "eltar" + ctx.ev, std::string("vallal")})
    shell::pack_table(ctx, table);
  ctx.areas.close_all();
  shell::DELCSILL2(ctx.dir(), "*.ntx");
  ctx.areas.select(1);
  shell::INDEXELES(ctx);
  ctx.areas.close_all();
  ctx.areas.select(1);
}

std::vector<std::string> Outcome::kept() const {
  std::vector<std::string> out;
  for (const CompanyResult& c : companies)
    if (c.kind != CompanyResult::Kind::Taken) out.push_back(c.vkod);
  return out;
}

std::string payroll_path(std::string_view typed) { return pf::typed_path(xbase::alltrim(typed)); }

Outcome run_takeover(shell::Context& ctx, const Request& req, const Hooks& hooks) {
  support::Routine r(ctx.routines(), "ATVESZ", __LINE__);
  Outcome out;
  std::function<void()> saved;
  if (ctx.errors) {
    saved = ctx.errors->hooks().break_operation;
    ctx.errors->hooks().break_operation = [] { throw BreakRun{}; };
  }
  try {
    Run run(ctx, req, hooks, out);
    run.go();
  } catch (const BreakRun&) {
    out.status = Status::Cancelled;
    out.completed = false;
  }
  if (ctx.errors) ctx.errors->hooks().break_operation = saved;
  common_ending(ctx);
  write_report(ctx.path(kReportFile), out.findings);
  return out;
}

}  // namespace takeover
