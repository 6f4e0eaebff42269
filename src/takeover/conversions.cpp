#include "takeover/conversions.h"

#include <cmath>
#include <cstdlib>

#include "takeover/payroll_layout.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/workarea.h"

namespace takeover {

namespace {

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// The month of a monthly record (1..12), 0 when HONAP is not a month.
int month_of(const Record& m) {
  std::string h = m.text("HONAP");
  if (h.size() < 2 || h[0] < '0' || h[0] > '9' || h[1] < '0' || h[1] > '9') return 0;
  int n = (h[0] - '0') * 10 + (h[1] - '0');
  return n >= 1 && n <= 12 ? n : 0;
}

// A code that is not in its code table, with an amount that would have been placed.
void unknown_code(Work& w, std::string_view code, const char* table, double amount) {
  if (!w.notes || amount == 0 || !w.state.bhozhonap) return;
  std::string mm = w.monthly.text("HONAP");
  w.notes->push_back(std::string(HU("ismeretlen kód ")) + xbase::alltrim(code) + " (" + table +
                     "), " + xbase::rtrim(mm) + std::string(HU(". hó, összeg ")) +
                     amount_text(amount));
}

struct RowTarget {
  std::string_view row;
  Sum target;
};

// The income-type rows: the first group takes its first matching row only, the
// second group every matching row.
constexpr RowTarget kIncomeFirst[] = {
    {"1.", Sum::JOVEDELEM}, {"2.", Sum::MVKTGTER},  {"3.", Sum::KULSZOLG},
    {"4.", Sum::MASBERJOV}, {"5.", Sum::NEMONALLO}, {"6.", Sum::KTGTELJES},
    {"7.", Sum::ONALLOTEV}, {"18.", Sum::EGYEBJOGC}, {"20.", Sum::KULFEGYEZ},
    {"21.", Sum::KULFHIANY}};
constexpr RowTarget kIncomeSecond[] = {{"8.", Sum::INGBERBE},
                                       {"9.", Sum::EUPBEV},
                                       {"10.", Sum::HOKBEV},
                                       {"11.", Sum::VKVBEV},
                                       {"12.", Sum::DIJMVBEV}};

// A cost code's amounts: total, taxable part, tax withheld, relief tax.
struct CostAmounts {
  double t, b, f, r;
};
using CostAdd = void (*)(Work&, const CostAmounts&);
struct CostRow {
  std::string_view row;
  CostAdd add;
};

// Receipts and their costs (total minus the taxable part).
template <Sum receipts, Sum costs>
void receipts_and_costs(Work& w, const CostAmounts& a) {
  HZ(w, receipts, a.t);
  HZ(w, costs, a.t - a.b);
}

// A separately taxed income: amount, tax base, tax, tax deducted.
template <Sum amount, Sum base, Sum tax, Sum deducted>
void separately_taxed(Work& w, const CostAmounts& a, double amount_value, double deducted_value) {
  HZ(w, amount, amount_value);
  HZ(w, base, a.b);
  HZ(w, tax, a.f);
  HZ(w, deducted, deducted_value);
}

const CostRow kCostFirst[] = {
    {"1.", [](Work& w, const CostAmounts& a) { HZ(w, Sum::JOVEDELEM, a.b); }},
    {"2.", receipts_and_costs<Sum::MVKTGTER, Sum::MVKTGBIZN>},
    {"3.", receipts_and_costs<Sum::KULSZOLG, Sum::KULSZBIZN>},
    {"4.", [](Work& w, const CostAmounts& a) { HZ(w, Sum::MASBERJOV, a.b); }},
    {"5.", [](Work& w, const CostAmounts& a) { HZ(w, Sum::NEMONALLO, a.b); }},
    {"6.", receipts_and_costs<Sum::KTGTELJES, Sum::KTGBIZNEL>},
    {"7.", receipts_and_costs<Sum::ONALLOTEV, Sum::ONALLKTG>},
    {"18.", receipts_and_costs<Sum::EGYEBJOGC, Sum::EGYEBJKTG>},
    {"20.", receipts_and_costs<Sum::KULFEGYEZ, Sum::KULFEKTG>},
    {"21.", receipts_and_costs<Sum::KULFHIANY, Sum::KULFHKTG>},
    {"165.",
     [](Work& w, const CostAmounts& a) {
       separately_taxed<Sum::ARFNYER, Sum::ARFNYERP, Sum::ARFNYERA, Sum::ARFNYERL>(w, a, a.t, a.f);
     }},
    {"167.",
     [](Work& w, const CostAmounts& a) {
       separately_taxed<Sum::OSZT16, Sum::OSZT16P, Sum::OSZT16A, Sum::OSZT16L>(w, a, a.b,
                                                                              a.f - a.r);
     }},
    {"168.",
     [](Work& w, const CostAmounts& a) {
       separately_taxed<Sum::PRIVLIZ, Sum::PRIVLIZP, Sum::PRIVLIZA, Sum::PRIVLIZL>(w, a, a.b, a.f);
     }},
    {"173.",
     [](Work& w, const CostAmounts& a) {
       separately_taxed<Sum::KIVONT, Sum::KIVONTP, Sum::KIVONTA, Sum::KIVONTL>(w, a, a.b, a.f);
     }},
    {"175.",
     [](Work& w, const CostAmounts& a) {
       separately_taxed<Sum::EGYFORR, Sum::EGYFORRP, Sum::EGYFORRA, Sum::EGYFORRL>(w, a, a.b, a.f);
     }},
    {"56.",
     [](Work& w, const CostAmounts& a) {
       HZ(w, Sum::OSZTELO, a.b);
       HZ(w, Sum::OSZTELOA, a.f);
     }},
    {"57.", [](Work& w, const CostAmounts& a) { HZ(w, Sum::KULFDOLG, a.t); }},
};

const CostRow kCostSecond[] = {
    {"8.", receipts_and_costs<Sum::INGBERBE, Sum::INGBERKTG>},
    {"9.", receipts_and_costs<Sum::EUPBEV, Sum::EUPKTG>},
    {"10.", receipts_and_costs<Sum::HOKBEV, Sum::HOKKTG>},
    {"11.", receipts_and_costs<Sum::VKVBEV, Sum::VKVKTG>},
    {"12.", receipts_and_costs<Sum::DIJMVBEV, Sum::DIJMVKTG>},
};

// The EKHO sums of a cost code of the EKHO kind; not gated.
void ekho_payment(Work& w, double base) {
  const Record& m = w.monthly;
  YearRecord& rec = w.rec;
  if (w.table == Monthly::Member) return;
  double nyj = m.num("EKHONYJ"), tgd = m.num("EKHOTGD"), tbj = m.num("EKHOTBJ");
  double teb = m.num("EKHOTEB"), szja = m.num("EKHOSZJA");
  bool eea = w.relationship.code("EGTEKHO") == 'I';
  if (w.table == Monthly::Wage) {
    if (nyj + tgd + tbj != 0) {
      rec[Sum::EKHO1B15] += base;
    } else if (szja != 0 && tbj + teb == 0) {
      rec[eea ? Sum::EKHO1BEG : Sum::EKHO1B95] += base;
    }
    return;
  }
  if (nyj + tgd + tbj != 0) {
    rec[Sum::EKHO3B15] += base;
    rec[Sum::EKHO3_15] += szja + nyj + tgd + teb + tbj;
  } else if (szja != 0 && teb == 0) {
    if (eea) {
      rec[Sum::EKHO3BEG] += base;
      rec[Sum::EKHO3_EG] += szja;
    } else {
      rec[Sum::EKHO3B95] += base;
      rec[Sum::EKHO3_95] += szja;
    }
  }
  rec[Sum::EKHOS_95] += szja;
}

// The exact decimal value of a field amount as an integer count of 10^-scale.
long long scaled(double v, int* scale) {
  for (*scale = 0; *scale < 6; ++*scale) {
    double s = v * std::pow(10.0, *scale);
    if (std::fabs(s - std::round(s)) < 1e-6) return std::llround(s);
  }
  return std::llround(v * 1e6);
}

}  // namespace

void HZ(Work& w, Sum target, double amount) {
  if (w.state.bhozhonap) w.rec[target] += amount;
}

bool names_row(std::string_view list, std::string_view row) {
  size_t p = list.find(',');
  if (p == std::string_view::npos) p = list.find(';');
  if (p == std::string_view::npos) p = list.find(' ');
  std::string before, after;
  if (p == std::string_view::npos) {
    after = xbase::alltrim(list);
  } else {
    before = xbase::alltrim(list.substr(0, p));
    after = xbase::alltrim(list.substr(p + 1));
  }
  return before + "." == row || after + "." == row;
}

void NEMREND(Work& w) {
  const payroll::SlotFamily& fam = payroll::income_types();
  for (int n = 1; n <= w.state.nemrdb; ++n) {
    if (w.monthly.member_blank(fam, n)) continue;
    std::string code = w.monthly.text(payroll::member_field(fam.code, n));
    double a = w.monthly.num(payroll::member_field(fam.amounts[0], n));
    const IncomeType* t = w.codes.income_type(code);
    if (!t) {
      unknown_code(w, code, fam.code_table, a);
      continue;
    }
    if (blank(t->rows)) {
      HZ(w, t->kind == '6' ? Sum::NEMONALLO : Sum::JOVEDELEM, a);
      continue;
    }
    for (const RowTarget& r : kIncomeFirst) {
      if (!names_row(t->rows, r.row)) continue;
      HZ(w, r.target, a);
      break;
    }
    for (const RowTarget& r : kIncomeSecond)
      if (names_row(t->rows, r.row)) HZ(w, r.target, a);
  }
}

void TBELLAT(Work& w) {
  const payroll::SlotFamily& fam = payroll::benefits();
  double x = 0;
  for (int n = 1; n <= w.state.tbelldb; ++n) {
    if (w.monthly.member_blank(fam, n)) continue;
    std::string code = w.monthly.text(payroll::member_field(fam.code, n));
    double a = w.monthly.num(payroll::member_field(fam.amounts[0], n));
    const BenefitCode* b = w.codes.benefit(code);
    if (!b) {
      if (w.company_pays_benefits) unknown_code(w, code, fam.code_table, a);
      continue;
    }
    if (b->ellado == '1') x += a;
  }
  if (!w.company_pays_benefits) return;
  char kind = w.relationship.code("FOGJEL");
  HZ(w, kind == '1' ? Sum::MASBERJOV : kind == '4' ? Sum::NEMONALLO : Sum::JOVEDELEM, x);
}

int KTGTER(Work& w) {
  const payroll::SlotFamily& fam = payroll::cost_codes();
  for (int n = 1; n <= w.state.ktgdb; ++n) {
    if (w.monthly.member_blank(fam, n)) continue;
    std::string code = w.monthly.text(payroll::member_field(fam.code, n));
    const std::string& tax_field = payroll::member_field(fam.optional_amount, n);
    double tax = w.monthly.numeric(tax_field) ? w.monthly.num(tax_field) : 0;
    KTGBERAK(w, code, w.monthly.num(payroll::member_field(fam.amounts[0], n)),
             w.monthly.num(payroll::member_field(fam.amounts[1], n)), tax);
  }
  return 0;
}

bool KTGBERAK(Work& w, std::string_view code, double total, double base, double tax,
              double relief) {
  const CostCode* c = w.codes.cost_code(code);
  if (!c) {
    if (!blank(code)) unknown_code(w, code, "ktgter", total != 0 ? total : base);
    return true;
  }
  if (c->osszevon == '6') {
    ekho_payment(w, base);
    return true;
  }
  if (blank(c->rows)) return false;
  const CostAmounts a{total, base, tax, relief};
  for (const CostRow& r : kCostFirst) {
    if (!names_row(c->rows, r.row)) continue;
    r.add(w, a);
    break;
  }
  for (const CostRow& r : kCostSecond)
    if (names_row(c->rows, r.row)) r.add(w, a);
  return true;
}

int LEVON(Work& w) {
  const payroll::SlotFamily& fam = payroll::deductions();
  for (int n = 1; n <= w.state.levdb; ++n) {
    if (w.monthly.member_blank(fam, n)) continue;
    std::string code = w.monthly.text(payroll::member_field(fam.code, n));
    double ft = w.monthly.num(payroll::member_field(fam.amounts[0], n));
    double sz = w.monthly.num(payroll::member_field(fam.amounts[1], n));
    const DeductionCode* d = w.codes.deduction(code);
    if (!d) {
      unknown_code(w, code, fam.code_table, ft + sz);
      continue;
    }
    if (blank(d->rows) || d->rows.compare(0, 2, "55") != 0) continue;
    HZ(w, Sum::SZDIJ, ft + sz);
    HZ(w, Sum::JOVEDELEM, -ft - sz);
  }
  return 0;
}

void CSJKATVESZ(Work& w) {
  const Record& m = w.monthly;
  int month = month_of(m);
  if (month == 0 || m.text("HONAP") < w.state.hozhonap) return;
  double any = m.num("NYJALAP") + m.num("CSJKET") + m.num("CSJKEP") + m.num("CSJKNY") +
               m.num("UTBJALAP") + m.num("CSJKUTBJ") + m.num("UNYJALAP") + m.num("CSJKUNYJ");
  if (any == 0) return;
  YearRecord& rec = w.rec;
  if (w.table == Monthly::Member) {
    rec.csjk_of(Csjk::A, month) += m.num("SZJAALAP");
    rec.csjk_of(Csjk::J, month) +=
        std::min(m.num("UTBJAR"), times_sz_utbj(m.num("SZJAALAP"))) + m.num("UNYJAR");
  } else {
    double c1 = m.numeric("CUTBJALAP") ? m.num("CUTBJALAP") : 0;
    double c2 = m.numeric("CUTBJAR") ? m.num("CUTBJAR") : 0;
    double c3 = m.numeric("FELSZDIJ") ? times_sz_utbj(m.num("FELSZDIJ")) : 0;
    rec.csjk_of(Csjk::A, month) += m.num("UTBJALAP") - c1 + m.num("UNYJALAP");
    rec.csjk_of(Csjk::J, month) += m.num("UTBJAR") - c2 + m.num("UNYJAR") - c3;
  }
  rec.csjk_of(Csjk::K, month) += m.num("CSJKET") + m.num("CSJKEP") + m.num("CSJKNY") +
                                 m.num("CSJKUTBJ") + m.num("CSJKUNYJ");
  rec.csjk_of(Csjk::L, month) = rec.csjk_of(Csjk::J, month) - rec.csjk_of(Csjk::K, month);
}

double GYERKEDV(double children, double beneficiaries, double disabled, double given) {
  if (given != 0) return given;
  double monthly = children >= 3 ? 220000 : children == 2 ? 133330 : children == 1 ? 66670 : 0;
  return monthly * beneficiaries + disabled * 66670;
}

double times_sz_utbj(double amount) {
  int scale = 0;
  long long units = scaled(amount, &scale);  // amount = units / 10^scale
  long long divisor = 1000;
  for (int i = 0; i < scale; ++i) divisor *= 10;
  long long product = units * kSzUtbjThousandths;  // amount × 0.185 = product / divisor
  long long whole = product / divisor;
  long long rest = std::llabs(product % divisor);
  if (rest * 2 >= divisor) whole += product < 0 ? -1 : 1;
  return static_cast<double>(whole);
}

void allowance_block(Work& w, bool with_harmincke) {
  const Record& m = w.monthly;
  YearRecord& rec = w.rec;
  rec[Sum::NEGYGYKE] += m.num("NEGYGYKE");
  rec[Sum::HUSZON5KE] += m.num("HUSZON5KE");
  if (with_harmincke) rec[Sum::HARMINCKE] += m.num("HARMINCKE");
  rec[Sum::ELSOHAZKE] += m.num("ELSOHAZMX");
  rec[Sum::GYERKEDV] += GYERKEDV(m.num("GYEREK"), m.num("KEDVGYER"), m.num("FOGYGYER"), 0);
  rec[Sum::ROKKANT] += m.num("FOGYATEK");
  rec[Sum::ELSOHAZ30] += m.num("ELSOHAZKE");
  if (m.num("ELSOHAZKE") != 0) {
    // "1" when the claimed base is within 2 of half the monthly allowance.
    double ft = w.relationship.num("ELSOHAZFT");
    char flag = std::fabs(ft - kKelsohaz / 2) < 2 ? '1' : '2';
    rec.elsohnyil = flag;
    if (int month = month_of(m)) rec.elsohh[static_cast<size_t>(month - 1)] = flag;
  }
  rec[Sum::GYERK30] += m.num("GYERKEDV");
}

void take_member_record(Work& w) {
  const Record& m = w.monthly;
  w.state.bhozhonap = w.state.month_gate(m.text("HONAP"));
  w.state.vanneki = true;
  HZ(w, Sum::NEMONALLO, m.num("JOVED"));
  HZ(w, Sum::ELOLEG, m.num("SZJA") - m.num("FORRADO"));
  if (w.state.bhozhonap) allowance_block(w, true);
  HZ(w, Sum::SZCTV1_3, m.num("SZJAALAP"));
  TBELLAT(w);
  KTGTER(w);
  LEVON(w);
  CSJKATVESZ(w);
}

void take_wage_record(Work& w) {
  const Record& m = w.monthly;
  const Record& rel = w.relationship;
  YearRecord& rec = w.rec;
  w.state.bhozhonap = w.state.month_gate(m.text("HONAP"));
  w.state.vanneki = true;
  double munkaber = m.num("MUNKABER"), betegber = m.num("BETEGBER");
  double ekhomber = m.num("EKHOMBER"), osztondij = m.num("OSZTONDIJ");
  double wage = munkaber + betegber - ekhomber - osztondij;
  char kind = m.code("FOGJEL");
  if (kind == '3' || rel.code("OSZTFOGL") == 'I') {
    HZ(w, Sum::EGYEBJOGC, std::max(munkaber + betegber - osztondij, 0.0));
  } else if (kind == '4') {
    HZ(w, Sum::NEMONALLO, munkaber + betegber - ekhomber);
  } else if (kind == '2' && rel.code("KULFDOLG") == 'I') {
    HZ(w, Sum::KULFDOLG, osztondij);
    HZ(w, Sum::JOVEDELEM, wage);
  } else if (rel.code("NYENYALK") == '4' || rel.code("NYENYALK") == '0') {
    HZ(w, Sum::MASBERJOV, wage);
  } else {
    HZ(w, Sum::JOVEDELEM, wage);
  }
  HZ(w, Sum::ELOLEG, m.num("SZJA") - m.num("FORRADO"));
  HZ(w, Sum::SZCTV1_3, m.num("SZJAALAP") + (rel.code("FOGJEL") == '3' ? osztondij : 0));
  if (w.state.bhozhonap) allowance_block(w, true);
  NEMREND(w);
  TBELLAT(w);
  KTGTER(w);
  LEVON(w);
  CSJKATVESZ(w);

  double nyj = m.num("EKHONYJ"), tgd = m.num("EKHOTGD"), tbj = m.num("EKHOTBJ");
  double teb = m.num("EKHOTEB"), szja = m.num("EKHOSZJA");
  if (nyj + tgd + tbj != 0) {
    rec[Sum::EKHO1B15] += ekhomber;
    rec[Sum::EKHO1_15] += szja + nyj + tgd + teb + tbj;
  } else if (szja != 0 && tbj + teb == 0) {
    if (rel.code("EGTEKHO") == 'I') {
      rec[Sum::EKHO1BEG] += ekhomber;
      rec[Sum::EKHO1_EG] += szja;
    } else {
      rec[Sum::EKHO1B95] += ekhomber;
      rec[Sum::EKHO1_95] += szja;
    }
  }
  rec[Sum::EKHOS_95] += szja;
}

void take_other_payment(Work& w) {
  const Record& m = w.monthly;
  w.state.bhozhonap = w.state.month_gate(m.text("HONAP"));
  double joved = m.num("JOVED");
  double base = m.code("ALAPKEZI") == '3' ? joved : m.num("JOVEDALAP");
  std::string code = m.text("KTGKOD");
  if (!KTGBERAK(w, code, joved, base, m.num("FORRADO"), m.num("EOSZTELOA") - m.num("TOSZTELOA")))
    return;
  HZ(w, Sum::ELOLEG, m.num("SZJA") - m.num("FORRADO"));
  HZ(w, Sum::SZCTV1_3, m.num("SZJAALAP"));
  const CostCode* c = w.codes.cost_code(code);
  if (c && c->euh14kot == 'I') HZ(w, Sum::SZCTV5, joved);
  HZ(w, Sum::SZCTV5AL, m.num("EUH14ALAP"));
  HZ(w, Sum::SZCTV5AD, m.num("EUH14SZAZ"));
  w.rec[Sum::OSZTELO] -= m.num("TOSZTELO");
  w.rec[Sum::OSZTELOA] -= m.num("TOSZTELOA");
  w.state.vanneki = true;
  if (!w.state.bhozhonap) return;
  if (m.numeric("GYEREK")) allowance_block(w, false);
  CSJKATVESZ(w);
}

void take_brought_forward(RunState& st, YearRecord& rec, const Record& h) {
  struct Brought {
    Sum target;
    std::initializer_list<const char*> fields;
  };
  static const Brought kSums[] = {
      {Sum::JOVEDELEM, {"A014", "A264"}}, {Sum::MVKTGTER, {"A022"}},  {Sum::MVKTGBIZN, {"A023"}},
      {Sum::KULSZOLG, {"A032"}},  {Sum::KULSZBIZN, {"A033"}}, {Sum::MASBERJOV, {"A044"}},
      {Sum::NEMONALLO, {"A054"}}, {Sum::KTGTELJES, {"A062"}}, {Sum::KTGBIZNEL, {"A063"}},
      {Sum::ONALLOTEV, {"A072"}}, {Sum::ONALLKTG, {"A073"}},  {Sum::INGBERBE, {"A082"}},
      {Sum::INGBERKTG, {"A083"}}, {Sum::EUPBEV, {"A092"}},    {Sum::EUPKTG, {"A093"}},
      {Sum::HOKBEV, {"A102"}},    {Sum::HOKKTG, {"A103"}},    {Sum::VKVBEV, {"A112"}},
      {Sum::VKVKTG, {"A113"}},    {Sum::DIJMVBEV, {"A122"}},  {Sum::DIJMVKTG, {"A123"}},
      {Sum::EGYEBJOGC, {"A132"}}, {Sum::EGYEBJKTG, {"A133"}}, {Sum::KULFEGYEZ, {"A142"}},
      {Sum::KULFEKTG, {"A143"}},  {Sum::KULFHIANY, {"A152"}}, {Sum::KULFHKTG, {"A153"}},
      {Sum::ELOLEG, {"A175"}},    {Sum::ARFNYER, {"A182"}},   {Sum::ARFNYERP, {"A183"}},
      {Sum::ARFNYERA, {"A184"}},  {Sum::ARFNYERL, {"A185"}},  {Sum::OSZT16, {"A192"}},
      {Sum::OSZT16P, {"A193"}},   {Sum::OSZT16A, {"A194"}},   {Sum::OSZT16L, {"A195"}},
      {Sum::PRIVLIZ, {"A202"}},   {Sum::PRIVLIZP, {"A203"}},  {Sum::PRIVLIZA, {"A204"}},
      {Sum::PRIVLIZL, {"A205"}},  {Sum::KIVONT, {"A212"}},    {Sum::KIVONTP, {"A213"}},
      {Sum::KIVONTA, {"A214"}},   {Sum::KIVONTL, {"A215"}},   {Sum::EGYFORR, {"A222"}},
      {Sum::EGYFORRP, {"A223"}},  {Sum::EGYFORRA, {"A224"}},  {Sum::EGYFORRL, {"A225"}},
      {Sum::NEGYGYKE, {"A265"}},  {Sum::HUSZON5KE, {"A275"}}, {Sum::HARMINCKE, {"A285"}},
      {Sum::ROKKANT, {"A295"}},   {Sum::ELSOHAZKE, {"A315"}}, {Sum::ELSOHAZ30, {"A315"}},
      {Sum::GYERKEDV, {"A325"}},  {Sum::GYERK30, {"A325"}},   {Sum::SZDIJ, {"A335"}},
      {Sum::OSZTELO, {"A345"}},   {Sum::OSZTELOA, {"A354"}},  {Sum::KULFDOLG, {"A365"}},
      {Sum::SZCTV1_3, {"A515"}},  {Sum::SZCTV5, {"A525"}},    {Sum::SZCTV5AL, {"A534"}},
      {Sum::SZCTV5AD, {"A535"}},
  };
  rec.vanhozott = true;
  st.vanneki = true;
  for (const Brought& b : kSums)
    for (const char* f : b.fields) rec[b.target] += h.num(f);
  for (int m = 1; m <= 12; ++m) {
    std::string row = "A" + std::to_string(37 + m);
    for (int k = 0; k < 4; ++k)
      rec.csjk_of(static_cast<Csjk>(k), m) += h.num(row + std::to_string(k + 1));
  }
}

std::vector<std::pair<std::string, std::string>> address_copies(char vtipus, char vanlevcim) {
  bool kind25 = vtipus == '2' || vtipus == '5';
  bool mailing = vanlevcim != ' ';
  if (kind25 && mailing) return {{"2", ""}, {"", "2"}};
  if (kind25) return {{"", ""}, {"", "2"}};
  if (!mailing) return {{"", "2"}};
  return {};
}

void CIMATVESZ(const Record& payroll_company, xbase::WorkArea& company, std::string_view from,
               std::string_view to) {
  for (const char* base : {"IRSZAM", "HELYSEG", "UTCA", "KOZTER", "HAZSZAM", "EPULET", "LEPCSO",
                           "EMELET", "AJTO"}) {
    std::string source = std::string(base) + std::string(from);
    std::string target = std::string(base) + std::string(to);
    if (company.field_pos(target) < 0) continue;
    company.put(target, payroll_company.value(source));
  }
}

std::string amount_text(double v) {
  if (v == std::floor(v)) return xbase::format_fixed(v, 0);
  return xbase::format_fixed(v, 2);
}

}  // namespace takeover
