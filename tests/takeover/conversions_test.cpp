// The code conversions on records held in memory: row lists, the income-type,
// cost, benefit and deduction families, the EKHO payments, the family contribution
// allowance months, the family allowance and the month gate.
#include <gtest/gtest.h>

#include "takeover/payroll_layout.h"
#include "takeover/takeover_test_util.h"
#include "xbase/hutext.h"

namespace takeover {
namespace {

using testing::Bench;
using testing::month_record;

TEST(RowList, SplitsAtCommaSemicolonOrBlankAndComparesWholeRows) {
  EXPECT_TRUE(names_row("18; 20", "18."));
  EXPECT_TRUE(names_row("18; 20", "20."));
  EXPECT_TRUE(names_row("2,8", "2."));
  EXPECT_TRUE(names_row("2,8", "8."));
  EXPECT_TRUE(names_row("7 8", "8."));
  EXPECT_TRUE(names_row("165         ", "165."));  // as the padded field holds it
  EXPECT_TRUE(names_row("  57", "57."));
  EXPECT_FALSE(names_row("18", "1."));
  EXPECT_FALSE(names_row("1", "18."));
  EXPECT_FALSE(names_row("165", "16."));
  EXPECT_FALSE(names_row("", "1."));
  EXPECT_FALSE(names_row("            ", "1."));
  // Three numbers: only the first is named.
  EXPECT_TRUE(names_row("4,18,20", "4."));
  EXPECT_FALSE(names_row("4,18,20", "18."));
  EXPECT_FALSE(names_row("4,18,20", "20."));
  // A comma is looked for before a semicolon, a semicolon before a blank.
  EXPECT_TRUE(names_row("3; 5,9", "9."));
  EXPECT_FALSE(names_row("3; 5,9", "3."));
}

// An income-type record with one member.
MemoryRecord income_record(const char* code, double amount) {
  MemoryRecord m = month_record();
  m.set("NEMRKOD1", code).set("NEMREND1", amount);
  return m;
}

TEST(IncomeTypes, FirstGroupTakesItsFirstRowSecondGroupEveryRow) {
  Bench b;
  b.st.nemrdb = 1;
  b.codes.income["R28"] = {"2,8", ' '};
  b.codes.income["R118"] = {"18,1", ' '};
  b.codes.income["R89"] = {"8;9", ' '};
  b.codes.income["NON"] = {"", '6'};
  b.codes.income["EMP"] = {"   ", '1'};

  MemoryRecord m = income_record("R28", 100);
  Work w = b.work(Monthly::Wage, m);
  NEMREND(w);
  EXPECT_EQ(b.rec[Sum::MVKTGTER], 100);
  EXPECT_EQ(b.rec[Sum::INGBERBE], 100);

  // Rows 18 and 1: only the first row of the group in its own order.
  m = income_record("R118", 50);
  NEMREND(w);
  EXPECT_EQ(b.rec[Sum::JOVEDELEM], 50);
  EXPECT_EQ(b.rec[Sum::EGYEBJOGC], 0);

  m = income_record("R89", 10);
  NEMREND(w);
  EXPECT_EQ(b.rec[Sum::INGBERBE], 110);
  EXPECT_EQ(b.rec[Sum::EUPBEV], 10);

  // Without a row list the kind decides.
  m = income_record("NON", 7);
  NEMREND(w);
  EXPECT_EQ(b.rec[Sum::NEMONALLO], 7);
  m = income_record("EMP", 3);
  NEMREND(w);
  EXPECT_EQ(b.rec[Sum::JOVEDELEM], 53);
  EXPECT_TRUE(b.notes.empty());
}

TEST(IncomeTypes, UnknownEmptyGatedAndUncountedMembersAddNothing) {
  Bench b;
  b.st.nemrdb = 1;
  b.codes.income["R1"] = {"1", ' '};
  MemoryRecord m = income_record("XX ", 40);
  m.set("NEMRKOD2", "R1").set("NEMREND2", 900.0);  // beyond the counted members
  Work w = b.work(Monthly::Wage, m);
  NEMREND(w);
  EXPECT_EQ(b.rec[Sum::JOVEDELEM], 0);
  ASSERT_EQ(b.notes.size(), 1u);
  EXPECT_EQ(b.notes[0], std::string(HU("ismeretlen kód XX (nemrend), 03. hó, összeg 40")));

  m = income_record("   ", 40);
  NEMREND(w);
  m = income_record("R1", 40);
  b.st.bhozhonap = false;  // the month gate keeps it out
  NEMREND(w);
  m = income_record("XX ", 0);  // no amount: nothing to report
  b.st.bhozhonap = true;
  NEMREND(w);
  EXPECT_EQ(b.rec[Sum::JOVEDELEM], 0);
  EXPECT_EQ(b.notes.size(), 1u);
}

struct CostCase {
  const char* rows;
  std::vector<std::pair<Sum, double>> sums;
};

TEST(CostCodes, EveryRowAddsItsAmounts) {
  // Total 1000, taxable part 600, tax 50, relief 20.
  const CostCase cases[] = {
      {"1", {{Sum::JOVEDELEM, 600}}},
      {"2", {{Sum::MVKTGTER, 1000}, {Sum::MVKTGBIZN, 400}}},
      {"3", {{Sum::KULSZOLG, 1000}, {Sum::KULSZBIZN, 400}}},
      {"4", {{Sum::MASBERJOV, 600}}},
      {"5", {{Sum::NEMONALLO, 600}}},
      {"6", {{Sum::KTGTELJES, 1000}, {Sum::KTGBIZNEL, 400}}},
      {"7", {{Sum::ONALLOTEV, 1000}, {Sum::ONALLKTG, 400}}},
      {"18", {{Sum::EGYEBJOGC, 1000}, {Sum::EGYEBJKTG, 400}}},
      {"20", {{Sum::KULFEGYEZ, 1000}, {Sum::KULFEKTG, 400}}},
      {"21", {{Sum::KULFHIANY, 1000}, {Sum::KULFHKTG, 400}}},
      {"165", {{Sum::ARFNYER, 1000}, {Sum::ARFNYERP, 600}, {Sum::ARFNYERA, 50}, {Sum::ARFNYERL, 50}}},
      {"167", {{Sum::OSZT16, 600}, {Sum::OSZT16P, 600}, {Sum::OSZT16A, 50}, {Sum::OSZT16L, 30}}},
      {"168", {{Sum::PRIVLIZ, 600}, {Sum::PRIVLIZP, 600}, {Sum::PRIVLIZA, 50}, {Sum::PRIVLIZL, 50}}},
      {"173", {{Sum::KIVONT, 600}, {Sum::KIVONTP, 600}, {Sum::KIVONTA, 50}, {Sum::KIVONTL, 50}}},
      {"175", {{Sum::EGYFORR, 600}, {Sum::EGYFORRP, 600}, {Sum::EGYFORRA, 50}, {Sum::EGYFORRL, 50}}},
      {"56", {{Sum::OSZTELO, 600}, {Sum::OSZTELOA, 50}}},
      {"57", {{Sum::KULFDOLG, 1000}}},
      {"8", {{Sum::INGBERBE, 1000}, {Sum::INGBERKTG, 400}}},
      {"9", {{Sum::EUPBEV, 1000}, {Sum::EUPKTG, 400}}},
      {"10", {{Sum::HOKBEV, 1000}, {Sum::HOKKTG, 400}}},
      {"11", {{Sum::VKVBEV, 1000}, {Sum::VKVKTG, 400}}},
      {"12", {{Sum::DIJMVBEV, 1000}, {Sum::DIJMVKTG, 400}}},
      // A row of each group.
      {"7,8", {{Sum::ONALLOTEV, 1000}, {Sum::ONALLKTG, 400}, {Sum::INGBERBE, 1000},
               {Sum::INGBERKTG, 400}}},
  };
  for (const CostCase& c : cases) {
    Bench b;
    b.codes.cost["K1"] = {' ', c.rows, ' '};
    MemoryRecord m = month_record();
    Work w = b.work(Monthly::Other, m);
    EXPECT_TRUE(KTGBERAK(w, "K1", 1000, 600, 50, 20)) << c.rows;
    YearRecord want;
    for (auto [s, v] : c.sums) want[s] = v;
    for (size_t i = 0; i < kSumCount; ++i)
      EXPECT_EQ(b.rec.sums[i], want.sums[i]) << c.rows << " " << sum_name(static_cast<Sum>(i));
  }
}

TEST(CostCodes, AnswerAndGate) {
  Bench b;
  b.codes.cost["NOR"] = {' ', "  ", ' '};
  b.codes.cost["R18"] = {' ', "18", ' '};
  MemoryRecord m = month_record("07");
  Work w = b.work(Monthly::Other, m);
  EXPECT_FALSE(KTGBERAK(w, "NOR", 100, 100));  // neither rows nor EKHO
  EXPECT_TRUE(KTGBERAK(w, "UNK", 100, 80));    // unknown: taken, nothing added
  EXPECT_TRUE(KTGBERAK(w, "   ", 100, 80));    // empty: not reported
  ASSERT_EQ(b.notes.size(), 1u);
  EXPECT_EQ(b.notes[0], std::string(HU("ismeretlen kód UNK (ktgter), 07. hó, összeg 100")));
  b.st.bhozhonap = false;
  EXPECT_TRUE(KTGBERAK(w, "R18", 100, 80));
  EXPECT_EQ(b.rec[Sum::EGYEBJOGC], 0);
}

TEST(CostCodes, FamilyTakesTaxOnlyWhereTheMemberHasIt) {
  Bench b;
  b.st.ktgdb = 2;
  b.codes.cost["167"] = {' ', "167", ' '};
  MemoryRecord m = month_record();
  m.set("KTGKOD1", "167").set("KTGOSSZ1", 1000.0).set("KTGALAP1", 1000.0).set("KTGSZJA1", 150.0);
  m.set("KTGKOD2", "167").set("KTGOSSZ2", 500.0).set("KTGALAP2", 500.0);
  Work w = b.work(Monthly::Wage, m);
  EXPECT_EQ(KTGTER(w), 0);
  EXPECT_EQ(b.rec[Sum::OSZT16], 1500);
  EXPECT_EQ(b.rec[Sum::OSZT16A], 150);
  EXPECT_EQ(b.rec[Sum::OSZT16L], 150);  // no relief from the family
}

TEST(EkhoPayments, WageRecordBranches) {
  auto run = [](double nyj, double szja, double teb, char eea) {
    Bench b;
    b.codes.cost["EK"] = {'6', "", ' '};
    b.rel.set("EGTEKHO", std::string(1, eea));
    b.st.bhozhonap = false;  // EKHO sums are not gated
    MemoryRecord m = month_record();
    m.set("EKHONYJ", nyj).set("EKHOSZJA", szja).set("EKHOTEB", teb);
    Work w = b.work(Monthly::Wage, m);
    EXPECT_TRUE(KTGBERAK(w, "EK", 1000, 800));
    return b.rec;
  };
  EXPECT_EQ(run(5, 0, 0, ' ')[Sum::EKHO1B15], 800);
  EXPECT_EQ(run(0, 90, 0, 'I')[Sum::EKHO1BEG], 800);
  YearRecord r = run(0, 90, 0, ' ');
  EXPECT_EQ(r[Sum::EKHO1B95], 800);
  EXPECT_EQ(r[Sum::EKHOS_95], 0);  // only the wage record itself adds its tax
  r = run(0, 90, 10, ' ');
  EXPECT_EQ(r[Sum::EKHO1B95] + r[Sum::EKHO1B15] + r[Sum::EKHO1BEG], 0);
}

TEST(EkhoPayments, OtherPaymentBranchesAndMemberRecord) {
  auto run = [](Monthly table, double tbj, double szja, double teb, char eea) {
    Bench b;
    b.codes.cost["EK"] = {'6', "1", ' '};
    b.rel.set("EGTEKHO", std::string(1, eea));
    MemoryRecord m = month_record();
    m.set("EKHOTBJ", tbj).set("EKHOSZJA", szja).set("EKHOTEB", teb).set("EKHONYJ", 1.0 * (tbj > 0));
    Work w = b.work(table, m);
    EXPECT_TRUE(KTGBERAK(w, "EK", 1000, 800));
    return b.rec;
  };
  YearRecord r = run(Monthly::Other, 30, 90, 5, ' ');
  EXPECT_EQ(r[Sum::EKHO3B15], 800);
  EXPECT_EQ(r[Sum::EKHO3_15], 90 + 1 + 0 + 5 + 30);
  EXPECT_EQ(r[Sum::EKHOS_95], 90);
  r = run(Monthly::Other, 0, 90, 0, 'I');
  EXPECT_EQ(r[Sum::EKHO3BEG], 800);
  EXPECT_EQ(r[Sum::EKHO3_EG], 90);
  EXPECT_EQ(r[Sum::EKHOS_95], 90);
  r = run(Monthly::Other, 0, 90, 0, ' ');
  EXPECT_EQ(r[Sum::EKHO3B95], 800);
  EXPECT_EQ(r[Sum::EKHO3_95], 90);
  r = run(Monthly::Other, 0, 90, 7, ' ');  // neither branch, the 9.5 % total still
  EXPECT_EQ(r[Sum::EKHO3B95] + r[Sum::EKHO3BEG] + r[Sum::EKHO3B15], 0);
  EXPECT_EQ(r[Sum::EKHOS_95], 90);
  // A member record adds nothing, and the row list of an EKHO code is not read.
  r = run(Monthly::Member, 30, 90, 0, ' ');
  for (double v : r.sums) EXPECT_EQ(v, 0);
}

MemoryRecord benefit_record() {
  MemoryRecord m = month_record();
  m.set("ELLKOD1", "B1").set("ELLATAS1", 100.0);
  m.set("ELLKOD2", "B0").set("ELLATAS2", 50.0);
  m.set("ELLKOD3", "  ").set("ELLATAS3", 70.0);
  return m;
}

TEST(Benefits, CountedOnlyForOwnPayersByKindOfRelationship) {
  for (auto [fogjel, target] : {std::pair{"1", Sum::MASBERJOV}, {"4", Sum::NEMONALLO},
                                {"2", Sum::JOVEDELEM}}) {
    Bench b;
    b.st.tbelldb = 3;
    b.pays_benefits = true;
    b.rel.set("FOGJEL", fogjel);
    b.codes.benefits["B1"] = {'1'};
    b.codes.benefits["B0"] = {'0'};
    MemoryRecord m = benefit_record();
    Work w = b.work(Monthly::Wage, m);
    TBELLAT(w);
    EXPECT_EQ(b.rec[target], 100) << fogjel;
  }
  Bench b;
  b.st.tbelldb = 3;
  b.codes.benefits["B1"] = {'1'};
  MemoryRecord m = benefit_record();
  Work w = b.work(Monthly::Wage, m);
  TBELLAT(w);
  for (double v : b.rec.sums) EXPECT_EQ(v, 0);
  EXPECT_TRUE(b.notes.empty());  // "B0" unknown, but nothing would have been placed
}

TEST(Deductions, TradeUnionFeeOfRow55) {
  Bench b;
  b.st.levdb = 3;
  b.codes.deductions["L1"] = {"55"};
  b.codes.deductions["L2"] = {"56"};
  MemoryRecord m = month_record("11");
  m.set("LEVKOD1", "L1").set("LEVFT1", 300.0).set("LEVSZ1", 200.0);
  m.set("LEVKOD2", "L2").set("LEVFT2", 9.0).set("LEVSZ2", 1.0);
  m.set("LEVKOD3", "L9").set("LEVFT3", 5.0).set("LEVSZ3", 2.0);
  Work w = b.work(Monthly::Wage, m);
  EXPECT_EQ(LEVON(w), 0);
  EXPECT_EQ(b.rec[Sum::SZDIJ], 500);
  EXPECT_EQ(b.rec[Sum::JOVEDELEM], -500);
  ASSERT_EQ(b.notes.size(), 1u);
  EXPECT_EQ(b.notes[0], std::string(HU("ismeretlen kód L9 (levonas), 11. hó, összeg 7")));
}

TEST(FamilyAllowance, MonthlyAmountTimesBeneficiariesPlusDisabled) {
  EXPECT_EQ(GYERKEDV(2, 2, 1, 0), 333330);
  EXPECT_EQ(GYERKEDV(0, 3, 0, 0), 0);
  EXPECT_EQ(GYERKEDV(1, 1), 66670);
  EXPECT_EQ(GYERKEDV(3, 2), 440000);
  EXPECT_EQ(GYERKEDV(5, 1, 2), 220000 + 2 * 66670);
  EXPECT_EQ(GYERKEDV(2, 2, 1, 12345), 12345);
}

TEST(ContributionAllowance, RateRoundsTheExactProductHalfAwayFromZero) {
  EXPECT_EQ(times_sz_utbj(300100), 55519);  // 55518.5 exactly
  EXPECT_EQ(times_sz_utbj(300300), 55556);  // 55555.5
  EXPECT_EQ(times_sz_utbj(-300100), -55519);
  EXPECT_EQ(times_sz_utbj(100), 19);        // 18.5
  EXPECT_EQ(times_sz_utbj(1000), 185);
  EXPECT_EQ(times_sz_utbj(2.7), 0);         // 0.4995
  EXPECT_EQ(times_sz_utbj(0), 0);
}

TEST(ContributionAllowance, MemberRecordCapsAtTheRateOfItsBase) {
  Bench b;
  MemoryRecord m = month_record("04");
  m.set("SZJAALAP", 300100.0).set("UTBJAR", 60000.0).set("UNYJAR", 1000.0);
  m.set("CSJKET", 100.0).set("CSJKUNYJ", 20.0);
  Work w = b.work(Monthly::Member, m);
  CSJKATVESZ(w);
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 4), 300100);
  EXPECT_EQ(b.rec.csjk_of(Csjk::J, 4), 55519 + 1000);
  EXPECT_EQ(b.rec.csjk_of(Csjk::K, 4), 120);
  EXPECT_EQ(b.rec.csjk_of(Csjk::L, 4), 55519 + 1000 - 120);
  m.set("UTBJAR", 50000.0);
  CSJKATVESZ(w);
  EXPECT_EQ(b.rec.csjk_of(Csjk::J, 4), 55519 + 1000 + 50000 + 1000);
}

TEST(ContributionAllowance, OtherTablesSubtractCorrectionsWhereTheTableHasThem) {
  Bench b;
  MemoryRecord m = month_record("12");
  m.set("UTBJALAP", 500000.0).set("UNYJALAP", 10000.0).set("UTBJAR", 92500.0).set("UNYJAR", 1500.0);
  m.set("CSJKEP", 40.0);
  Work w = b.work(Monthly::Wage, m);
  CSJKATVESZ(w);
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 12), 510000);
  EXPECT_EQ(b.rec.csjk_of(Csjk::J, 12), 94000);
  m.set("CUTBJALAP", 100000.0).set("CUTBJAR", 18500.0).set("FELSZDIJ", 300300.0);
  CSJKATVESZ(w);
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 12), 510000 + 410000);
  EXPECT_EQ(b.rec.csjk_of(Csjk::J, 12), 94000 + 94000 - 18500 - 55556);
  EXPECT_EQ(b.rec.csjk_of(Csjk::L, 12), b.rec.csjk_of(Csjk::J, 12) - 80);
}

TEST(ContributionAllowance, MonthFromTheBroughtForwardMonthOnAndOnlyWithFigures) {
  Bench b;
  b.st.hozhonap = "05";
  // Brought-forward figures of May: a later record recomputes the deducted ones.
  b.rec.csjk_of(Csjk::J, 5) = 1000;
  b.rec.csjk_of(Csjk::K, 5) = 100;
  b.rec.csjk_of(Csjk::L, 5) = 900;
  MemoryRecord m = month_record("04");
  m.set("UTBJALAP", 1000.0).set("UTBJAR", 185.0).set("CSJKET", 10.0);
  Work w = b.work(Monthly::Wage, m);
  CSJKATVESZ(w);  // before the brought-forward month
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 4), 0);
  m.set("HONAP", "05");
  CSJKATVESZ(w);  // the brought-forward month itself is taken
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 5), 1000);
  EXPECT_EQ(b.rec.csjk_of(Csjk::L, 5), 1185 - 110);
  MemoryRecord none = month_record("06");  // every figure 0
  none.set("SZJAALAP", 5000.0);
  Work w2 = b.work(Monthly::Member, none);
  CSJKATVESZ(w2);
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 6), 0);
}

TEST(MonthGate, OtherRelationshipsCountFromTheMonthAfterTheBroughtForwardMonth) {
  Bench b;
  b.st.hozhonap = "05";
  b.st.aktrek = 1;
  b.st.pofa_recno = 2;  // not the chosen relationship
  for (const char* month : {"04", "05", "06"}) {
    MemoryRecord m = month_record(month);
    m.set("MUNKABER", 100.0).set("UTBJALAP", 10.0).set("UTBJAR", 2.0);
    Work w = b.work(Monthly::Wage, m);
    take_wage_record(w);
    EXPECT_TRUE(b.st.vanneki);
  }
  EXPECT_EQ(b.rec[Sum::JOVEDELEM], 100);          // June only
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 5), 10);       // not less than May
  EXPECT_EQ(b.rec.csjk_of(Csjk::A, 4), 0);
  b.st.pofa_recno = 1;  // the chosen relationship: every month
  MemoryRecord m = month_record("01");
  m.set("MUNKABER", 100.0);
  Work w = b.work(Monthly::Wage, m);
  take_wage_record(w);
  EXPECT_EQ(b.rec[Sum::JOVEDELEM], 200);
}

TEST(WageRecord, WageGoesToTheFirstMatchingRow) {
  struct Case {
    const char* fogjel;
    const char* osztfogl;
    const char* kulfdolg;
    const char* nyenyalk;
    Sum target;
    double amount;
  };
  // MUNKABER 1000, BETEGBER 200, EKHOMBER 100, OSZTONDIJ 50.
  for (const Case& c : {Case{"3", " ", " ", " ", Sum::EGYEBJOGC, 1150},
                        Case{"1", "I", " ", " ", Sum::EGYEBJOGC, 1150},
                        Case{"4", " ", " ", " ", Sum::NEMONALLO, 1100},
                        Case{"2", " ", "I", " ", Sum::JOVEDELEM, 1050},
                        Case{"1", " ", " ", "4", Sum::MASBERJOV, 1050},
                        Case{"1", " ", " ", "0", Sum::MASBERJOV, 1050},
                        Case{"1", " ", " ", "1", Sum::JOVEDELEM, 1050}}) {
    Bench b;
    b.rel.set("FOGJEL", c.fogjel).set("OSZTFOGL", c.osztfogl).set("KULFDOLG", c.kulfdolg);
    b.rel.set("NYENYALK", c.nyenyalk);
    MemoryRecord m = month_record();
    m.set("FOGJEL", c.fogjel).set("MUNKABER", 1000.0).set("BETEGBER", 200.0);
    m.set("EKHOMBER", 100.0).set("OSZTONDIJ", 50.0).set("SZJA", 300.0).set("FORRADO", 20.0);
    m.set("SZJAALAP", 900.0);
    Work w = b.work(Monthly::Wage, m);
    take_wage_record(w);
    EXPECT_EQ(b.rec[c.target], c.amount) << c.fogjel << c.osztfogl << c.nyenyalk;
    EXPECT_EQ(b.rec[Sum::KULFDOLG], *c.kulfdolg == 'I' ? 50 : 0);
    EXPECT_EQ(b.rec[Sum::ELOLEG], 280);
    EXPECT_EQ(b.rec[Sum::SZCTV1_3], *c.fogjel == '3' ? 950 : 900);
  }
  // A negative wage of kind "3" is never taken below 0.
  Bench b;
  MemoryRecord m = month_record();
  m.set("FOGJEL", "3").set("OSZTONDIJ", 80.0).set("MUNKABER", 50.0);
  Work w = b.work(Monthly::Wage, m);
  take_wage_record(w);
  EXPECT_EQ(b.rec[Sum::EGYEBJOGC], 0);
}

TEST(WageRecord, EkhoOfTheWageItselfIsNotGated) {
  Bench b;
  b.st.bhozhonap = false;
  b.st.hozhonap = "12";
  b.st.pofa_recno = 2;
  MemoryRecord m = month_record("02");
  m.set("EKHOMBER", 1000.0).set("EKHOSZJA", 95.0);
  Work w = b.work(Monthly::Wage, m);
  take_wage_record(w);
  EXPECT_EQ(b.rec[Sum::EKHO1B95], 1000);
  EXPECT_EQ(b.rec[Sum::EKHO1_95], 95);
  EXPECT_EQ(b.rec[Sum::EKHOS_95], 95);
  m.set("EKHOTGD", 15.0);
  take_wage_record(w);
  EXPECT_EQ(b.rec[Sum::EKHO1B15], 1000);
  EXPECT_EQ(b.rec[Sum::EKHO1_15], 110);
}

TEST(AllowanceBlock, FirstMarriageFlagAsWrittenAgainstHalfTheMonthlyAmount) {
  // "1" when the claimed base lies within 2 of KELSOHAZ / 2 = 16667.5.
  for (auto [ft, flag] : {std::pair{16667.0, '1'}, {16666.0, '1'}, {16669.0, '1'},
                          {16665.0, '2'}, {16670.0, '2'}, {33335.0, '2'}, {0.0, '2'}}) {
    Bench b;
    b.rel.set("ELSOHAZFT", ft);
    MemoryRecord m = month_record("07");
    m.set("ELSOHAZKE", 16668.0).set("ELSOHAZMX", 33335.0);
    Work w = b.work(Monthly::Wage, m);
    allowance_block(w, true);
    EXPECT_EQ(b.rec.elsohnyil, flag) << ft;
    EXPECT_EQ(b.rec.elsohh[6], flag) << ft;
    EXPECT_EQ(b.rec.elsohh[5], ' ');
    EXPECT_EQ(b.rec[Sum::ELSOHAZKE], 33335);
    EXPECT_EQ(b.rec[Sum::ELSOHAZ30], 16668);
  }
}

TEST(OtherPayments, MonthGateGovernsAllowancesAndContributionMonths) {
  auto run = [](bool gate_open, xbase::Value gyerek) {
    Bench b;
    b.codes.cost["K18"] = {' ', "18", 'I'};
    // The record's month is the brought-forward month: the gate is open only for
    // the chosen relationship, though the contribution months would take it.
    b.st.hozhonap = "03";
    b.st.pofa_recno = gate_open ? 1 : 2;
    MemoryRecord m = month_record("03");
    m.set("KTGKOD", "K18").set("JOVED", 1000.0).set("JOVEDALAP", 700.0).set("ALAPKEZI", "3");
    m.set("TOSZTELO", 30.0).set("TOSZTELOA", 4.0).set("EUH14ALAP", 60.0).set("EUH14SZAZ", 8.0);
    m.set("GYEREK", gyerek).set("HARMINCKE", 500.0).set("NEGYGYKE", 70.0);
    m.set("UTBJALAP", 1000.0).set("UTBJAR", 185.0);
    Work w = b.work(Monthly::Other, m);
    take_other_payment(w);
    return std::pair{b.rec, b.st.vanneki};
  };
  auto [open, taken] = run(true, xbase::Value::num(0));
  EXPECT_TRUE(taken);
  EXPECT_EQ(open[Sum::EGYEBJOGC], 1000);
  EXPECT_EQ(open[Sum::EGYEBJKTG], 0);  // ALAPKEZI "3": the base is the whole amount
  EXPECT_EQ(open[Sum::SZCTV5], 1000);
  EXPECT_EQ(open[Sum::SZCTV5AL], 60);
  EXPECT_EQ(open[Sum::OSZTELO], -30);
  EXPECT_EQ(open[Sum::NEGYGYKE], 70);
  EXPECT_EQ(open[Sum::HARMINCKE], 0);  // not from other payments
  EXPECT_EQ(open.csjk_of(Csjk::A, 3), 1000);

  auto [shut, taken2] = run(false, xbase::Value::num(0));
  EXPECT_TRUE(taken2);
  EXPECT_EQ(shut[Sum::EGYEBJOGC], 0);
  EXPECT_EQ(shut[Sum::OSZTELO], -30);  // not gated
  EXPECT_EQ(shut[Sum::NEGYGYKE], 0);
  EXPECT_EQ(shut.csjk_of(Csjk::A, 3), 0);

  auto [text_gyerek, t3] = run(true, xbase::Value::str("2"));
  EXPECT_EQ(text_gyerek[Sum::NEGYGYKE], 0);  // GYEREK not numeric: no allowances
  EXPECT_EQ(text_gyerek.csjk_of(Csjk::A, 3), 1000);
}

TEST(OtherPayments, CodeWithoutRowsSkipsTheRecord) {
  Bench b;
  b.codes.cost["NOR"] = {' ', "", ' '};
  MemoryRecord m = month_record();
  m.set("KTGKOD", "NOR").set("JOVED", 1000.0).set("SZJA", 100.0);
  Work w = b.work(Monthly::Other, m);
  take_other_payment(w);
  EXPECT_FALSE(b.st.vanneki);
  EXPECT_EQ(b.rec[Sum::ELOLEG], 0);
}

TEST(BroughtForward, LatestMonthFieldsIntoTheirRows) {
  RunState st;
  YearRecord rec;
  MemoryRecord h;
  for (const std::string& f : payroll::brought_forward_fields()) h.set(f, 0.0);
  h.set("A014", 1000.0).set("A264", 20.0).set("A315", 33335.0).set("A325", 66670.0);
  h.set("A381", 5.0).set("A384", 7.0).set("A494", 9.0);
  take_brought_forward(st, rec, h);
  EXPECT_TRUE(rec.vanhozott);
  EXPECT_TRUE(st.vanneki);
  EXPECT_EQ(rec[Sum::JOVEDELEM], 1020);
  EXPECT_EQ(rec[Sum::ELSOHAZKE], 33335);
  EXPECT_EQ(rec[Sum::ELSOHAZ30], 33335);
  EXPECT_EQ(rec[Sum::GYERKEDV], 66670);
  EXPECT_EQ(rec[Sum::GYERK30], 66670);
  EXPECT_EQ(rec.csjk_of(Csjk::A, 1), 5);
  EXPECT_EQ(rec.csjk_of(Csjk::L, 1), 7);
  EXPECT_EQ(rec.csjk_of(Csjk::L, 12), 9);
}

TEST(CompanyAddress, GroupsByKindAndMailingAddress) {
  using P = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(address_copies('2', 'X'), (P{{"2", ""}, {"", "2"}}));
  EXPECT_EQ(address_copies('5', 'I'), (P{{"2", ""}, {"", "2"}}));
  EXPECT_EQ(address_copies('5', ' '), (P{{"", ""}, {"", "2"}}));
  EXPECT_EQ(address_copies('1', ' '), (P{{"", "2"}}));
  EXPECT_EQ(address_copies('1', 'I'), P{});
}

}  // namespace
}  // namespace takeover
