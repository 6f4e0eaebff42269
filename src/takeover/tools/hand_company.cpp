// The hand-made company "001": every person is made to exercise one rule of the
// takeover, and the comment says which. The expected year-table and dependants
// records of this company are written down by hand in tests/takeover/golden/.
//
// The company is of kind "1" with a mailing address, pays benefits itself
// (TBKIFHELY "I"), has code-slot families of 9/9/9/48 members with KTGSZJA on the
// first three cost members only, a text EZREGI in its wage and other-payment tables,
// a numeric GYEREK in its other payments and the corrections of the contribution
// allowance in its wage table.
#include "takeover/tools/company_out.h"
#include "xbase/hutext.h"

namespace takeover::gen {

namespace {

using xbase::Date;

Date d(int y, int m, int day) { return Date::from_ymd(y, m, day); }

struct Person {
  Person(std::string_view s, std::string_view t, std::string_view v, std::string_view u,
         std::string_view n)
      : szemszam(s), taj(t), vez(v), uto(u), neme(n) {}
  std::string szemszam, taj, vez, uto, neme;
};

void append(Fields& to, const Fields& more) { to.insert(to.end(), more.begin(), more.end()); }

void rel(CompanyOut& c, const Person& p, const char* fogjel, const char* fomeny, Date from,
         Date to = Date(), const Fields& extra = {}, bool deleted = false) {
  Fields f = {{"SZEMSZAM", p.szemszam}, {"FOGJEL", fogjel},      {"FOMENY", fomeny},
              {"BELEPES", from},         {"KILEPES", to},        {"NEV", p.vez + " " + p.uto},
              {"VEZNEV", p.vez},         {"UTONEV", p.uto},      {"NEME", p.neme},
              {"ALLAMPOLG", "348"},      {"TAJ", p.taj}};
  append(f, extra);
  c.row(T::Tagalk, f, deleted);
}

void monthly(CompanyOut& c, T table, const Person& p, const char* fogjel, const char* fomeny,
             const char* honap, const Fields& amounts, bool deleted = false) {
  Fields f = monthly_key(p.szemszam, fogjel, fomeny, honap);
  append(f, amounts);
  c.row(table, f, deleted);
}

void child(CompanyOut& c, const std::string& taj, const Fields& f, bool deleted = false) {
  Fields all = {{"TAJ", taj}};
  append(all, f);
  c.row(T::Ekartya, all, deleted);
}

}  // namespace

void write_hand_company(CompanyOut& c) {
  // H01: an employee in force all year with two dependants. An old version of a wage
  // record (EZREGI "X"), a deleted wage record and a deleted dependant are not taken;
  // the dependants' street kind "u." becomes "utca", "út" stays.
  Person h01{"8350001003", "100000010", "Alma", HU("Ádám"), "1"};
  rel(c, h01, "1", "01", d(2019, 3, 1));
  monthly(c, T::Alktb, h01, "1", "01", "01", {{"MUNKABER", 300000}, {"SZJA", 45000}, {"SZJAALAP", 300000}});
  monthly(c, T::Alktb, h01, "1", "01", "01", {{"MUNKABER", 111111}, {"EZREGI", "X"}});
  monthly(c, T::Alktb, h01, "1", "01", "02", {{"MUNKABER", 300000}, {"SZJA", 45000}, {"SZJAALAP", 300000}});
  monthly(c, T::Alktb, h01, "1", "01", "03", {{"MUNKABER", 222222}}, true);
  child(c, h01.taj, {{"NEV", "Alma Bence"}, {"CSNEV", "Alma"}, {"UTONEV1", "Bence"},
                     {"SZULIDO", d(2015, 5, 5)}, {"ADOAZON", "8350002409"}, {"TAJ2", "100000209"},
                     {"ESZULHELY", HU("Pécs")}, {"KEDVTIPUS", "1"}, {"ELTJOGC", "a"},
                     {"EKOZTJELL", "u."}, {"SORSZAM", 1}, {"ELTKOD01", "1"}, {"ELTKOD12", "1"}});
  child(c, h01.taj, {{"NEV", HU("Alma Cili Rózsa")}, {"CSNEV", "Alma"}, {"UTONEV1", "Cili"},
                     {"UTONEV2", HU("Rózsa")}, {"SZULIDO", d(2018, 9, 9)}, {"TAJ2", "100000216"},
                     {"EKOZTJELL", HU("út")}, {"SORSZAM", 2}});
  child(c, h01.taj, {{"NEV", HU("Alma Dóra")}, {"CSNEV", "Alma"}, {"UTONEV1", HU("Dóra")}}, true);

  // H02: two jobs of kind 1, the second starting the day after the first ended:
  // both are read.
  Person h02{"8350001070", "100000027", "Bodza", HU("Béla"), "1"};
  rel(c, h02, "1", "01", d(2020, 1, 1), d(2023, 3, 31));
  rel(c, h02, "1", "02", d(2023, 4, 1));
  monthly(c, T::Alktb, h02, "1", "01", "03", {{"MUNKABER", 100000}});
  monthly(c, T::Alktb, h02, "1", "02", "04", {{"MUNKABER", 200000}, {"SZJA", 30000}, {"SZJAALAP", 200000}});

  // H03: the same with a gap of three days: the first job's income is left out.
  Person h03{"8350001143", "100000034", "Cser", HU("Cecília"), "2"};
  rel(c, h03, "1", "01", d(2020, 1, 1), d(2023, 3, 31));
  rel(c, h03, "1", "02", d(2023, 4, 5));
  monthly(c, T::Alktb, h03, "1", "01", "03", {{"MUNKABER", 100000}, {"SZJA", 15000}, {"SZJAALAP", 100000}});
  monthly(c, T::Alktb, h03, "1", "02", "04", {{"MUNKABER", 200000}, {"SZJA", 30000}, {"SZJAALAP", 200000}});

  // H04: a leaver with two contiguous jobs, 1 January-30 April and 1 May-30
  // September: both are counted (the earlier one is not the "next" of the later one
  // in latest-end order). A leaver gets no dependants.
  Person h04{"8350001216", "100000041", HU("Dió"), HU("Dénes"), "1"};
  rel(c, h04, "1", "01", d(2023, 1, 1), d(2023, 4, 30));
  rel(c, h04, "1", "02", d(2023, 5, 1), d(2023, 9, 30));
  monthly(c, T::Alktb, h04, "1", "01", "04", {{"MUNKABER", 100000}});
  monthly(c, T::Alktb, h04, "1", "02", "05", {{"MUNKABER", 150000}});
  child(c, h04.taj, {{"NEV", HU("Dió Dalma")}, {"CSNEV", HU("Dió")}, {"UTONEV1", "Dalma"}});

  // H05: a job of kind 2 from January to June, then the chosen job of kind 1 from
  // 1 July, which comes first in key order: the kind 2 job is counted.
  Person h05{"8350001283", "100000058", "Eper", "Erika", "2"};
  rel(c, h05, "1", "01", d(2023, 7, 1));
  rel(c, h05, "2", "01", d(2023, 1, 1), d(2023, 6, 30));
  monthly(c, T::Alktb, h05, "2", "01", "06", {{"MUNKABER", 50000}});
  monthly(c, T::Alktb, h05, "1", "01", "07", {{"MUNKABER", 60000}});

  // H06: the only relationship, of kind 2, ended on 30 June: certificate "E", no
  // dependants.
  Person h06{"8350001356", "100000065", HU("Fenyő"), "Ferenc", "1"};
  rel(c, h06, "2", "01", d(2020, 1, 1), d(2023, 6, 30));
  monthly(c, T::Alktb, h06, "2", "01", "03", {{"MUNKABER", 80000}});
  child(c, h06.taj, {{"NEV", HU("Fenyő Fanni")}, {"CSNEV", HU("Fenyő")}, {"UTONEV1", "Fanni"}});

  // H07: starts only in 2024: no record, no dependants.
  Person h07{"8350001429", "100000072", HU("Gyöngy"), HU("Gábor"), "1"};
  rel(c, h07, "1", "01", d(2024, 1, 2));
  monthly(c, T::Alktb, h07, "1", "01", "01", {{"MUNKABER", 90000}});
  child(c, h07.taj, {{"NEV", HU("Gyöngy Gréta")}, {"CSNEV", HU("Gyöngy")}, {"UTONEV1", HU("Gréta")}});

  // H08: brought-forward data up to May. Only May's brought-forward record is summed
  // (the deleted June one does not move the month); the other relationship, of kind
  // 4, counts only from June, but its May contribution figures are taken and
  // recompute May's deducted contributions over the brought-forward ones.
  Person h08{"8350001496", "100000089", HU("Hárs"), "Hajnalka", "2"};
  rel(c, h08, "1", "02", d(2023, 6, 1));
  rel(c, h08, "4", "01", d(2023, 1, 1), d(2023, 5, 31));
  monthly(c, T::Hozott, h08, "1", "02", "03", {{"A014", 999}});
  monthly(c, T::Hozott, h08, "1", "02", "05",
          {{"A014", 500000}, {"A175", 75000}, {"A421", 5000}, {"A422", 925}, {"A423", 100}, {"A424", 825}});
  monthly(c, T::Hozott, h08, "1", "02", "06", {{"A014", 888}}, true);
  monthly(c, T::Alktb, h08, "1", "02", "06", {{"MUNKABER", 400000}, {"SZJA", 60000}, {"SZJAALAP", 400000}});
  monthly(c, T::Alktb, h08, "4", "01", "04", {{"MUNKABER", 100}, {"UTBJALAP", 300}, {"UTBJAR", 55}, {"CSJKET", 5}});
  monthly(c, T::Alktb, h08, "4", "01", "05", {{"MUNKABER", 200}, {"UTBJALAP", 200}, {"UTBJAR", 37}, {"CSJKET", 10}});
  monthly(c, T::Alktb, h08, "4", "01", "06", {{"MUNKABER", 300}});

  // H09: a German citizen; the birth surname is empty and falls back to the surname
  // alone; an EKHO wage from the European Economic Area carries the EKHO fields.
  Person h09{"8350001569", "100000096", "Ibolya", "Ilona", "2"};
  rel(c, h09, "1", "01", d(2021, 1, 1), Date(),
      {{"ALLAMPOLG", "276"}, {"LEANYNEV", HU("Szabó Ilona")}, {"LUTONEV", "Ilona"},
       {"EGTEKHO", "I"}, {"EKHOHAT", "2"}, {"FEOR", "2511"}});
  monthly(c, T::Alktb, h09, "1", "01", "01", {{"MUNKABER", 100000}, {"EKHOMBER", 100000}, {"EKHOSZJA", 9500}});

  // H10: a citizenship code that the country table holds only as a deleted record:
  // the code stays, no country code, a report line. First marriage in February and
  // March, claimed base 16667 (half the monthly amount): flag "1"; the spouse's
  // surname is empty.
  Person h10{"8350001631", "100000106", "Juhar", HU("János"), "1"};
  rel(c, h10, "1", "01", d(2022, 6, 1), Date(),
      {{"ALLAMPOLG", "777"}, {"ELSOHAZFT", 16667}, {"ELSOHUNEV", HU("Béla")},
       {"ELSOHADOA", "8350002263"}});
  monthly(c, T::Alktb, h10, "1", "01", "02", {{"MUNKABER", 250000}, {"ELSOHAZKE", 16668}, {"ELSOHAZMX", 33335}});
  monthly(c, T::Alktb, h10, "1", "01", "03", {{"MUNKABER", 250000}, {"ELSOHAZKE", 16668}, {"ELSOHAZMX", 33335}});

  // H11: no TAJ number, and a dependant recorded without one: not taken, reported.
  Person h11{"8350001704", "         ", HU("Kökény"), "Kata", "2"};
  rel(c, h11, "1", "01", d(2021, 1, 1));
  monthly(c, T::Alktb, h11, "1", "01", "01", {{"MUNKABER", 120000}});
  child(c, "         ", {{"NEV", HU("Kökény Kis")}, {"CSNEV", HU("Kökény")}, {"UTONEV1", "Kis"}});

  // H12: the code-slot families of a wage record: income types of rows 2 and 8 and
  // of rows 1 and 18 (only row 1), an unknown and a deleted income type, cost codes
  // of rows 18 and 167 (with its tax), an unknown cost code in member 9, the
  // trade-union fee in members 1 and 48, a deduction of another row, and benefits
  // counted (ELLADO "1") and not counted.
  Person h12{"8350001771", "100000113", "Len", "Lajos", "1"};
  rel(c, h12, "1", "01", d(2018, 1, 1));
  monthly(c, T::Alktb, h12, "1", "01", "05",
          {{"MUNKABER", 200000}, {"NEMRKOD1", "102"}, {"NEMREND1", 100}, {"NEMRKOD2", "110"},
           {"NEMREND2", 200},    {"NEMRKOD3", "999"}, {"NEMREND3", 300}, {"NEMRKOD4", "105"},
           {"NEMREND4", 400},    {"KTGKOD1", "201"},  {"KTGOSSZ1", 1000}, {"KTGALAP1", 600},
           {"KTGKOD2", "203"},   {"KTGOSSZ2", 500},   {"KTGALAP2", 500}, {"KTGSZJA2", 75},
           {"KTGKOD9", "888"},   {"KTGOSSZ9", 50},    {"KTGALAP9", 50},  {"LEVKOD1", "301"},
           {"LEVFT1", 300},      {"LEVSZ1", 200},     {"LEVKOD48", "301"}, {"LEVFT48", 10},
           {"LEVKOD2", "302"},   {"LEVFT2", 999},     {"ELLKOD1", "401"}, {"ELLATAS1", 7000},
           {"ELLKOD2", "402"},   {"ELLATAS2", 3000}});

  // H13: member records of a relationship of kind 4: the family allowance base of
  // two children for two beneficiaries and one disabled child, and a contribution
  // base whose 18.5 % is an exact half (300100 gives 55518.5, taken as 55519). A
  // deleted member record is not taken. One dependant.
  Person h13{"8350001844", "100000120", HU("Mák"), HU("Márta"), "2"};
  rel(c, h13, "4", "01", d(2020, 1, 1));
  monthly(c, T::Tagtb, h13, "4", "01", "03",
          {{"JOVED", 50000}, {"SZJA", 7500}, {"FORRADO", 500}, {"SZJAALAP", 50000}, {"GYEREK", 2},
           {"KEDVGYER", 2}, {"FOGYGYER", 1}, {"GYERKEDV", 10000}, {"NEGYGYKE", 1000}});
  monthly(c, T::Tagtb, h13, "4", "01", "04",
          {{"SZJAALAP", 300100}, {"UTBJAR", 60000}, {"CSJKET", 100}, {"KTGKOD1", "201"},
           {"KTGOSSZ1", 100}, {"KTGALAP1", 100}});
  monthly(c, T::Tagtb, h13, "4", "01", "05", {{"JOVED", 99999}}, true);
  child(c, h13.taj, {{"NEV", HU("Mák Mimi")}, {"CSNEV", HU("Mák")}, {"UTONEV1", "Mimi"},
                     {"SZULIDO", d(2020, 2, 29)}, {"EKOZTJELL", "u "}, {"EHELYSEG", "Szeged"}});

  // H14: other payments only: a code of rows 7 and 8 that also counts in the
  // separately taxed income, with a numeric GYEREK (its allowance block, without
  // HARMINCKE) and contribution figures; a code without rows (the record is
  // skipped); an EKHO payment at 9.5 %; an exchange-rate gain; an old record.
  Person h14{"8350001917", "100000137", HU("Nyár"), HU("Noémi"), "2"};
  rel(c, h14, "1", "01", d(2022, 1, 1), Date(), {{"EKHOHAT", "1"}, {"FEOR", "9111"}});
  monthly(c, T::Egyeb, h14, "1", "01", "06",
          {{"KTGKOD", "207"}, {"JOVED", 10000}, {"JOVEDALAP", 8000}, {"FORRADO", 1200},
           {"SZJA", 1500}, {"SZJAALAP", 8000}, {"EUH14ALAP", 3000}, {"EUH14SZAZ", 390},
           {"GYEREK", 1}, {"KEDVGYER", 1}, {"GYERKEDV", 5000}, {"UTBJALAP", 400000},
           {"UTBJAR", 74000}, {"CSJKNY", 50}});
  monthly(c, T::Egyeb, h14, "1", "01", "07", {{"KTGKOD", "206"}, {"JOVED", 999}, {"SZJA", 100}});
  monthly(c, T::Egyeb, h14, "1", "01", "08",
          {{"KTGKOD", "204"}, {"JOVED", 10000}, {"JOVEDALAP", 10000}, {"EKHOSZJA", 950}});
  monthly(c, T::Egyeb, h14, "1", "01", "09",
          {{"KTGKOD", "202"}, {"JOVED", 2000}, {"JOVEDALAP", 2000}, {"FORRADO", 300}, {"SZJA", 300}});
  monthly(c, T::Egyeb, h14, "1", "01", "10", {{"KTGKOD", "201"}, {"JOVED", 77777}, {"EZREGI", "X"}});

  // H15: a trade-union fee too big for its field (110000000 in eight digits) and
  // the income it leaves negative beyond its nine positions: both fields stay empty,
  // both are reported.
  Person h15{"8350001984", "100000144", "Olajfa", HU("Ottó"), "1"};
  rel(c, h15, "1", "01", d(2021, 1, 1));
  monthly(c, T::Alktb, h15, "1", "01", "01", {{"LEVKOD1", "301"}, {"LEVFT1", 60000000}, {"LEVSZ1", 50000000}});
  monthly(c, T::Alktb, h15, "1", "01", "02", {{"MUNKABER", 200000}});

  // H16: a tax identifier of 11 characters (cut to 10); a second relationship in
  // force under a single contract (EGYSZFOGL) is never taken.
  Person h16{"83500020507", "100000151", HU("Pálma"), HU("Péter"), "1"};
  rel(c, h16, "1", "01", d(2020, 1, 1));
  rel(c, h16, "1", "02", d(2020, 1, 1), Date(), {{"EGYSZFOGL", "X"}});
  monthly(c, T::Alktb, h16, "1", "01", "01", {{"MUNKABER", 70000}});
  monthly(c, T::Alktb, h16, "1", "02", "01", {{"MUNKABER", 5000}});

  // H17: two relationships ending on the same day: the first in the list is chosen
  // (kind 1, certificate "K"); the kind 3 one, last in order of start, has no
  // successor and its income is left out.
  Person h17{"8350002123", "100000168", HU("Rózsa"), "Rita", "2"};
  rel(c, h17, "1", "01", d(2023, 1, 1), d(2023, 6, 30));
  rel(c, h17, "3", "01", d(2023, 1, 1), d(2023, 6, 30));
  monthly(c, T::Alktb, h17, "1", "01", "02", {{"MUNKABER", 20000}});
  monthly(c, T::Alktb, h17, "3", "01", "03", {{"MUNKABER", 5000}});

  // H18: the only relationship record is deleted: no record.
  Person h18{"8350002190", "100000175", "Som", HU("Sándor"), "1"};
  rel(c, h18, "1", "01", d(2020, 1, 1), Date(), {}, true);
  monthly(c, T::Alktb, h18, "1", "01", "01", {{"MUNKABER", 10000}});

  // H19: a relationship beginning after the tax year is read through the month gate
  // (no brought-forward data: every month); an income type whose row list " 18; 20 "
  // is trimmed on both sides names row 18 (the first of its group).
  Person h19{"8350002336", "100000182", HU("Tulipán"), "Tamara", "2"};
  rel(c, h19, "1", "01", d(2020, 1, 1));
  rel(c, h19, "1", "02", d(2024, 2, 1));
  monthly(c, T::Alktb, h19, "1", "01", "01", {{"MUNKABER", 40000}, {"NEMRKOD1", "103"}, {"NEMREND1", 500}});
  monthly(c, T::Alktb, h19, "1", "02", "02", {{"MUNKABER", 3000}});
}

}  // namespace takeover::gen
