#include "store/tools/demo_data.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "store/record_writer.h"
#include "store/template_dir.h"
#include "store/tools/demo_names.h"
#include "store/tools/demo_random.h"
#include "xbase/cp852.h"
#include "xbase/dbf_table.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"

namespace store::demo {
namespace {

namespace fs = std::filesystem;
using xbase::Date;

void set_address(RecordWriter& w, const Address& a, std::string_view sfx, bool composed) {
  auto n = [&](std::string_view base) { return std::string(base) + std::string(sfx); };
  w.set(n("irszam"), a.irszam);
  w.set(n("helyseg"), a.helyseg);
  if (composed) {
    w.set("koztnev", a.koztnev);
    w.set("utca", street_line(a));
  } else {
    w.set(n("utca"), a.koztnev);
  }
  w.set(n("kozter"), a.kozter);
  w.set(n("hazszam"), a.hazszam);
  w.set(n("epulet"), a.epulet);
  w.set(n("lepcso"), a.lepcso);
  w.set(n("emelet"), a.emelet);
  w.set(n("ajto"), a.ajto);
}

std::string pad(std::string s, size_t width) {
  s.resize(width, ' ');
  return s;
}

std::string two(int n) { return num_text(n, 2); }

// An index file being collected while the records are written.
struct PendingIndex {
  std::string file;
  std::string key_expr;
  xbase::NtxBuildInput input;
};

struct Person {
  std::string vkod, szemszam, veznev;
  Date birth;
  Address address;
  bool female = false;
};

constexpr double kMonthlyDisabilityUnit = 77300;
constexpr double kFirstMarriageMonthly = 33335;

class Generator {
 public:
  Generator(const Options& o, std::string dir) : o_(o), dir_(std::move(dir)), r_(o.seed), ids_(r_) {}

  Summary run() {
    Summary s;
    s.program_dir = dir_;
    fs::create_directories(dir_);
    write_template_dir((fs::path(dir_) / std::string(kTemplateDirName)).string(), o_.ev);
    create_template_table(dir_, public_space_table());
    create_template_table(dir_, settings_table());

    const int persons = std::max(0, o_.persons);
    int companies = o_.companies > 0 ? o_.companies : std::clamp(persons / 100, 1, 999);
    companies = std::min(companies, 999);
    const int dependants = o_.dependants >= 0 ? o_.dependants : persons * 3 / 4;

    s.companies = write_companies(companies);
    s.persons = write_persons(persons, companies);
    s.dependants = write_dependants(dependants);
    if (o_.indexes) {
      for (PendingIndex& p : indexes_) {
        const std::string path = (fs::path(dir_) / (p.file + ".ntx")).string();
        const size_t size = p.input.key_size();
        auto f = xbase::NtxFile::create(path, p.key_expr, size, 0, std::move(p.input));
        f->flush();
        ++s.indexes;
      }
    }
    return s;
  }

 private:
  PendingIndex& index(const TableDef& t, size_t i, size_t key_size) {
    indexes_.push_back({t.indexes[i].file, t.indexes[i].key, xbase::NtxBuildInput(key_size)});
    return indexes_.back();
  }

  std::unique_ptr<xbase::DbfTable> create(const TableDef& t) {
    return xbase::DbfTable::create((fs::path(dir_) / (t.file + ".dbf")).string(), t.fields);
  }

  int write_companies(int n) {
    const TableDef t = company_table();
    auto table = create(t);
    RecordWriter w(*table);
    PendingIndex& idx = index(t, 0, 3);
    static constexpr std::string_view kForms[] = {"Kft.", "Bt.", "Zrt."};
    for (int i = 1; i <= n; ++i) {
      const std::string vkod = num_text(i, 3);
      w.set("vkod", vkod);
      std::string name = join_name({r_.pick(company_words()), r_.pick(company_trades()),
                                    kForms[r_.below(3)]});
      w.set("vnev", name);
      const bool female = r_.chance(0.5);
      w.set("vkepv", join_name({r_.pick(surnames()),
                                female ? r_.pick(female_given_names()) : r_.pick(male_given_names())}));
      const Address seat = make_address(r_);
      set_address(w, seat, "", false);
      set_address(w, r_.chance(0.2) ? make_address(r_) : seat, "2", false);
      w.set("adoszam", ids_.tax_number());
      if (r_.chance(0.1)) w.set("jogelasz", ids_.tax_number());
      w.set("telefon", "+36 " + std::to_string(r_.range(20, 70)) + " " + digits(r_, 3) + " " +
                           digits(r_, 4));
      w.set("ugyint", join_name({r_.pick(surnames()), r_.pick(female_given_names())}));
      w.set("flag", " ");
      w.set("tbkifhely", r_.chance(0.3) ? "I" : "N");
      idx.input.add(vkod, w.append());
      company_codes_.push_back(vkod);
    }
    table->close();
    return n;
  }

  int write_persons(int n, int companies) {
    const TableDef t = year_table(o_.ev);
    const int nev_width = find_field(t, "nev")->width;
    auto table = create(t);
    RecordWriter w(*table);
    PendingIndex& by_name = index(t, 0, 3 + static_cast<size_t>(nev_width));
    PendingIndex& by_key = index(t, 1, 3 + 10 + 1);
    for (int i = 0; i < n;) {
      Person p;
      p.vkod = company_codes_[static_cast<size_t>(r_.below(companies))];
      p.female = r_.chance(0.5);
      p.birth = Date::from_ymd(r_.range(1953, 2004), r_.range(1, 12), r_.range(1, 28));
      p.szemszam = ids_.tax_id(p.birth);
      p.veznev = std::string(r_.pick(surnames()));
      p.address = make_address(r_);
      // The personal data come from a seed of their own, so that a person with a
      // second certificate (an employee who was also paid as a contractor) has the
      // same data on both records.
      const uint64_t identity_seed = r_.next();
      std::vector<std::string> kinds{r_.chance(0.85) ? "M" : (r_.chance(0.6) ? "K" : "E")};
      if (kinds[0] == "M" && r_.chance(0.04)) kinds.push_back("K");
      for (const std::string& nyilat : kinds) {
        if (i == n) break;
        Rng identity(identity_seed);
        write_identity(w, p, nyilat, identity);
        write_amounts(w, i, nyilat);
        const uint32_t recno = w.append();
        by_name.input.add(p.vkod + xbase::hu852_upper(pad(last_nev_, static_cast<size_t>(nev_width))),
                          recno);
        by_key.input.add(p.vkod + p.szemszam + nyilat, recno);
        ++i;
      }
      persons_.push_back(std::move(p));
    }
    table->close();
    return n;
  }

  static std::string given_name(Rng& r, bool female, size_t max_width) {
    std::string g(female ? r.pick(female_given_names()) : r.pick(male_given_names()));
    if (r.chance(0.2)) {
      std::string second(female ? r.pick(female_given_names()) : r.pick(male_given_names()));
      if (second != g && g.size() + 1 + second.size() <= max_width) g += " " + second;
    }
    return g;
  }

  void write_identity(RecordWriter& w, const Person& p, const std::string& nyilat, Rng& r) {
    w.set("vkod", p.vkod);
    w.set("szemszam", p.szemszam);
    w.set("nyilat", nyilat);
    w.set("aszjell", "E");
    w.set("vanhozott", r.chance(0.1) ? "I" : "N");
    std::string grof;
    if (r.chance(0.05)) grof = std::string(r.pick(std::span<const std::string_view>(name_titles())));
    const std::string utonev = given_name(r, p.female, 15);
    last_nev_ = join_name({grof, p.veznev, utonev});
    w.set("nev", last_nev_);
    w.set("grof", grof);
    w.set("veznev", p.veznev);
    w.set("utonev", utonev);
    std::string lvez = p.veznev, luto = utonev;
    if (p.female && r.chance(0.5)) lvez = std::string(r.pick(surnames()));
    w.set("leanynev", join_name({lvez, luto}));
    w.set("lveznev", lvez);
    w.set("lutonev", luto);
    w.set("neme", p.female ? "2" : "1");
    w.set("szulido", p.birth);
    w.set("szulhely", r.chance(0.7) ? std::string(r.pick(towns()).name) : p.address.helyseg);
    set_address(w, p.address, "", true);
    w.set("allampolg", "magyar");
    w.set("allamkod", "HU");
    const std::string anyja_vez(r.pick(surnames()));
    const std::string anyja_uto = given_name(r, true, 15);
    w.set("anyja", join_name({anyja_vez, anyja_uto}));
    w.set("aveznev", anyja_vez);
    w.set("autonev", anyja_uto);
    if (r.chance(0.05)) {
      w.set("ostermig", digits(r, 10));
      w.set("csalgazd", digits(r, 8));
      w.set("regszam", digits(r, 9));
    }
  }

  // Amounts of the certificate rows. Every group of rows is filled for a share of the
  // persons and for every person whose number falls on it, so that each row carries
  // amounts somewhere; the amounts keep the forms' rules (costs not above revenues,
  // allowances within their limits, EKHO at its rates).
  void write_amounts(RecordWriter& w, int i, const std::string& nyilat) {
    constexpr int kGroups = 8;
    auto on = [&](int g) { return i % kGroups == g || r_.chance(0.2); };
    auto pair = [&](const char* rev, const char* cost, int lo, int hi) {
      const double b = r_.amount(lo, hi);
      w.set(rev, b);
      w.set(cost, std::round(b * r_.range(0, 60) / 100.0));
    };
    double tax_base = 0;
    if (nyilat == "M" || on(0)) {
      const double wage = r_.amount(2'400'000, 14'000'000);
      w.set("jovedelem", wage);
      tax_base += wage;
      if (r_.chance(0.3)) w.set("szdij", std::round(wage * 0.01));
    }
    if (on(1)) {
      pair("mvktgter", "mvktgbizn", 20'000, 600'000);
      pair("kulszolg", "kulszbizn", 50'000, 900'000);
      w.set("masberjov", r_.amount(10'000, 800'000));
      w.set("nemonallo", r_.amount(10'000, 500'000));
      pair("ktgteljes", "ktgbiznel", 10'000, 300'000);
    }
    if (on(2)) {
      const double own = r_.amount(1'000'000, 9'000'000);
      w.set("onallotev", own);
      w.set("onallktg", std::round(own * r_.range(0, 50) / 100.0));
      for (auto [rev, cost] : {std::pair{"ingberbe", "ingberktg"}, {"eupbev", "eupktg"},
                               {"hokbev", "hokktg"}, {"vkvbev", "vkvktg"}, {"dijmvbev", "dijmvktg"}}) {
        const double b = std::round(own * r_.range(1, 20) / 100.0);
        w.set(rev, b);
        w.set(cost, std::round(b * r_.range(0, 50) / 100.0));
      }
      tax_base += own;
      pair("egyebjogc", "egyebjktg", 10'000, 2'000'000);
      pair("kulfegyez", "kulfektg", 100'000, 3'000'000);
      pair("kulfhiany", "kulfhktg", 100'000, 3'000'000);
    }
    w.set("eloleg", std::round(tax_base * 0.15));
    if (on(3)) {
      auto separate = [&](const char* stem, double rate, int lo, int hi) {
        const std::string s(stem);
        const double amount = r_.amount(lo, hi);
        const double tax = std::round(amount * rate);
        w.set(s, amount);
        w.set(s + "p", amount);
        w.set(s + "a", tax);
        w.set(s + "l", tax);
      };
      separate("arfnyer", 0.15, 10'000, 5'000'000);
      separate("oszt16", 0.15, 100'000, 1'500'000'000);  // ten digits: the widened field
      separate("privliz", 0.15, 10'000, 1'000'000);
      separate("kivont", 0.15, 10'000, 3'000'000);
      separate("egyforr", 0.15, 10'000, 1'000'000);
      w.set("egyfornev", r_.pick(other_income_names()));
      w.set("szctv1_3", r_.amount(10'000, 2'000'000));
      const double s5 = r_.amount(10'000, 2'000'000);
      w.set("szctv5", s5);
      w.set("szctv5al", s5);
      w.set("szctv5ad", std::round(s5 * 0.13));
    }
    if (on(4)) {
      w.set("negygyke", r_.amount(100'000, 6'000'000));
      w.set("huszon5ke", r_.amount(100'000, 6'000'000));
      w.set("harmincke", r_.amount(100'000, 6'000'000));
      w.set("rokkant", kMonthlyDisabilityUnit * r_.range(1, 12));
      w.set("elsohnyil", r_.chance(0.5) ? "1" : "2");
      const int months = r_.range(1, 12);
      w.set("elsohazke", kFirstMarriageMonthly * months);
      w.set("elsohaz30", kFirstMarriageMonthly * months);
      w.set("gyerkedv", 66'670.0 * r_.range(1, 12));
      w.set("gyerk30", 66'670.0 * r_.range(1, 12));
      const Date spouse_birth = Date::from_ymd(r_.range(1980, 2000), r_.range(1, 12), r_.range(1, 28));
      w.set("elsohnev", join_name({r_.pick(surnames()), r_.pick(male_given_names())}));
      w.set("elsohadoa", ids_.tax_id(spouse_birth));
      for (int m = 1; m <= 12; ++m) w.set("elsohh" + two(m), m <= months ? "1" : "0");
      const double adv = r_.amount(100'000, 3'000'000);
      w.set("osztelo", adv);
      w.set("oszteloa", std::round(adv * 0.15));
      w.set("kulfdolg", r_.amount(100'000, 3'000'000));
      w.set("oeelsz", r_.amount(10'000, 300'000));
    }
    if (on(5)) {
      for (int m = 1; m <= 12; ++m) {
        const double base = r_.amount(266'800, 1'200'000);
        const double assessed = std::floor(base * 0.185);
        const double allowance = std::floor(assessed * r_.range(0, 100) / 100.0);
        w.set("csjka" + two(m), base);
        w.set("csjkj" + two(m), assessed);
        w.set("csjkk" + two(m), allowance);
        w.set("csjkl" + two(m), assessed - allowance);
      }
    }
    if (on(6)) {
      w.set("ok71_1", std::to_string(r_.range(1, 6)));
      w.set("ok71_2", "1");
      w.set("isin71", "HU" + digits(r_, 10));
      static constexpr const char* kKinds[] = {"10", "11", "12", "13", "14", "20", "22"};
      w.set("fajta71", std::to_string(r_.range(1, 3)) + kKinds[r_.below(7)]);
      w.set("nevert71", r_.amount(10'000, 50'000'000));
    }
    if (on(7)) {
      w.set("ekhofeor", std::to_string(r_.range(1000, 9999)));
      // A person who took the row 4.2 EKHO over pays it per quarter (K91); its bases
      // then stay out of the 9.5 % total.
      const bool took_over = r_.chance(0.3);
      double bases95 = 0;
      for (int row = 1; row <= 3; ++row) {
        const std::string s = "ekho" + std::to_string(row);
        const double b15 = r_.amount(100'000, 5'000'000);
        const double b95 = r_.amount(100'000, 5'000'000);
        const double beg = r_.amount(10'000, 1'000'000);
        w.set(s + "b15", b15);
        w.set(s + "_15", std::round(b15 * 0.15));
        w.set(s + "b95", b95);
        w.set(s + "_95", std::round(b95 * 0.095));
        w.set(s + "beg", beg);
        w.set(s + "_eg", std::round(beg * 0.095));
        if (row != 2 || !took_over) bases95 += b15 + b95 + beg;
      }
      w.set("ekhos_95", std::round(bases95 * 0.095));
      w.set("ekhohat", std::to_string(r_.range(1, 3)));
      if (took_over) {
        w.set("ekho_av2", "X");
        for (int q = 1; q <= 4; ++q) w.set("ekho" + std::to_string(q) + "n", r_.amount(10'000, 400'000));
      }
    }
  }

  int write_dependants(int n) {
    const TableDef t = dependants_table(o_.ev);
    auto table = create(t);
    RecordWriter w(*table);
    PendingIndex& idx = index(t, 0, 3 + 10);
    if (persons_.empty()) n = 0;
    // Who supports whom: up to four dependants per person, in the persons' order.
    std::vector<int> count(persons_.size(), 0);
    for (int k = 0; k < n;) {
      const size_t who = static_cast<size_t>(r_.below(static_cast<int>(persons_.size())));
      if (count[who] < 4 || persons_.size() * 4 < static_cast<size_t>(n)) {
        ++count[who];
        ++k;
      }
    }
    const size_t surname_w = static_cast<size_t>(find_field(t, "csnev")->width);
    const size_t given1_w = static_cast<size_t>(find_field(t, "utonev1")->width);
    const size_t given2_w = static_cast<size_t>(find_field(t, "utonev2")->width);
    auto fitting = [&](bool female, size_t width) {
      for (;;) {
        std::string g(female ? r_.pick(female_given_names()) : r_.pick(male_given_names()));
        if (g.size() <= width) return g;
      }
    };
    for (size_t pi = 0; pi < persons_.size(); ++pi) {
      const Person& p = persons_[pi];
      for (int c = 0; c < count[pi]; ++c) {
        const bool female = r_.chance(0.5);
        const Date birth = Date::from_ymd(r_.range(2005, 2023), r_.range(1, 12), r_.range(1, 28));
        const std::string csnev = p.veznev.size() <= surname_w ? p.veznev : p.veznev.substr(0, surname_w);
        const std::string u1 = fitting(female, given1_w);
        const std::string u2 = r_.chance(0.3) ? fitting(female, given2_w) : std::string();
        w.set("vkod", p.vkod);
        w.set("szemszam", p.szemszam);
        w.set("kedvtipus", "1");
        w.set("nev", join_name({csnev, u1, u2}));
        w.set("csnev", csnev);
        w.set("utonev1", u1);
        w.set("utonev2", u2);
        w.set("adoazon", ids_.tax_id(birth));
        w.set("taj2", ids_.taj());
        w.set("eszulhely", r_.pick(towns()).name);
        w.set("eszulido", birth);
        w.set("acsnev", r_.pick(surnames()));
        w.set("autonev1", fitting(true, given1_w));
        w.set("eltjogc", "a");
        w.set("eirszam", p.address.irszam);
        w.set("ehelyseg", p.address.helyseg);
        w.set("ekozter", p.address.koztnev);
        w.set("ekoztjell", p.address.kozter);
        w.set("ehazszam", p.address.hazszam);
        w.set("eepulet", p.address.epulet);
        w.set("elepcso", p.address.lepcso);
        w.set("eemelet", p.address.emelet);
        w.set("eajto", p.address.ajto);
        const std::string code = r_.chance(0.8) ? "1" : "2";
        for (int m = 1; m <= 12; ++m) w.set("eltkod" + two(m), code);
        idx.input.add(p.vkod + p.szemszam, w.append());
      }
    }
    table->close();
    return n;
  }

  Options o_;
  std::string dir_;
  Rng r_;
  Identifiers ids_;
  std::vector<std::string> company_codes_;
  std::vector<Person> persons_;
  std::deque<PendingIndex> indexes_;  // references to its elements stay valid
  std::string last_nev_;
};

}  // namespace

Summary generate_installation(const std::string& dir, const Options& opts) {
  const std::string program_dir = (fs::path(dir) / ("VIRDA" + opts.ev)).string();
  Generator g(opts, program_dir);
  return g.run();
}

}  // namespace store::demo
