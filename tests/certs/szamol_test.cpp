// The derived certificate amounts over the record buffer: signs, the rows that are
// not added again, the widest amounts beyond 32 bits, and every call overwriting all
// fourteen public variables.
#include "certs/szamol.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace certs {
namespace {

using Inputs = std::map<std::string, double>;
using Expected = std::map<std::string, int64_t>;

const char* const kNames[] = {"KMVKTGJOV",  "KKULSZOLG",  "KKTGJOV",    "KONALLJOV", "KINGBERJOV",
                              "KEGYEBJOGC", "KKULFEJOV",  "KKULFHJOV",  "KOSSZJOV",  "KELOLEG",
                              "KKULALAP",   "KKULJOVLEV", "KELSOHAZ30", "KGYERK30"};

void load(xbase::Variables& vars, const Inputs& in) {
  for (const auto& [field, v] : in) vars.assign("X" + field, xbase::Value::num(v));
}

// Every public holds the expected amount; unnamed ones hold 0.
void expect_publics(const xbase::Variables& vars, const Expected& want) {
  for (const char* name : kNames) {
    const xbase::Value* v = vars.find(name);
    ASSERT_NE(v, nullptr) << name;
    ASSERT_TRUE(v->is_num()) << name;
    auto it = want.find(name);
    EXPECT_EQ(v->as_num(), it == want.end() ? 0.0 : static_cast<double>(it->second)) << name;
  }
}

struct Case {
  const char* name;
  Inputs in;
  Expected out;
};

const Inputs kFull = {
    {"JOVEDELEM", 5400000}, {"MVKTGTER", 120000},  {"MVKTGBIZN", 20000},  {"KULSZOLG", 300000},
    {"MASBERJOV", 50000},   {"NEMONALLO", 75000},  {"KTGTELJES", 60000},  {"KTGBIZNEL", 60000},
    {"ONALLOTEV", 1000000}, {"ONALLKTG", 100000},  {"INGBERBE", 400000},  {"INGBERKTG", 40000},
    {"EUPBEV", 70000},      {"EUPKTG", 7000},      {"EGYEBJOGC", 250000}, {"EGYEBJKTG", 50000},
    {"KULFEGYEZ", 800000},  {"KULFEKTG", 100000},  {"KULFHIANY", 90000},  {"KULFHKTG", 10000},
    {"ELOLEG", 1170750},    {"ARFNYERP", 100000},  {"OSZT16P", 2500000},  {"KIVONTP", 30000},
    {"EGYFORRP", 12345},    {"ARFNYERL", 15000},   {"OSZT16L", 375000},   {"KIVONTL", 4500},
    {"EGYFORRL", 1852},     {"ELSOHAZ30", 200010}, {"GYERK30", 240000}};

const Case kCases[] = {
    {"zero", {}, {}},
    {"cost above revenue",
     {{"MVKTGTER", 10000}, {"MVKTGBIZN", 12000}},
     {{"KMVKTGJOV", -2000}, {"KOSSZJOV", -2000}}},
    {"full",
     kFull,
     {{"KMVKTGJOV", 100000},
      {"KKULSZOLG", 300000},
      {"KKTGJOV", 0},
      {"KONALLJOV", 900000},
      {"KINGBERJOV", 360000},
      {"KEGYEBJOGC", 200000},
      {"KKULFEJOV", 700000},
      {"KKULFHJOV", 80000},
      {"KOSSZJOV", 7805000},
      {"KELOLEG", 1170750},
      {"KKULALAP", 2642345},
      {"KKULJOVLEV", 396352},
      {"KELSOHAZ30", 200010},
      {"KGYERK30", 240000}}},
    // Rows 8 to 12 break row 7 down: only row 8's income column changes.
    {"rows 8 to 12 only",
     {{"INGBERBE", 500000},
      {"INGBERKTG", 100000},
      {"EUPBEV", 300000},
      {"HOKBEV", 200000},
      {"HOKKTG", 20000},
      {"VKVBEV", 100000},
      {"DIJMVBEV", 50000},
      {"DIJMVKTG", 5000}},
     {{"KINGBERJOV", 400000}}},
    {"widest",
     {{"JOVEDELEM", 999999999}, {"EGYEBJOGC", 999999999}, {"MVKTGTER", 99999999},
      {"KULSZOLG", 99999999},   {"KTGTELJES", 99999999},  {"ONALLOTEV", 99999999},
      {"KULFEGYEZ", 99999999},  {"KULFHIANY", 99999999},  {"MASBERJOV", 99999999},
      {"NEMONALLO", 99999999},  {"ARFNYERP", 999999999},  {"OSZT16P", 9999999999.0},
      {"PRIVLIZP", 999999999},  {"KIVONTP", 999999999},   {"EGYFORRP", 999999999},
      {"ARFNYERL", 999999999},  {"OSZT16L", 999999999},   {"PRIVLIZL", 999999999},
      {"KIVONTL", 999999999},   {"EGYFORRL", 999999999}},
     {{"KMVKTGJOV", 99999999},
      {"KKULSZOLG", 99999999},
      {"KKTGJOV", 99999999},
      {"KONALLJOV", 99999999},
      {"KEGYEBJOGC", 999999999},
      {"KKULFEJOV", 99999999},
      {"KKULFHJOV", 99999999},
      {"KOSSZJOV", 2799999990LL},
      {"KKULALAP", 13999999995LL},
      {"KKULJOVLEV", 4999999995LL}}},
    {"negative",
     {{"JOVEDELEM", 100000}, {"KULSZBIZN", 5000}, {"KULFEGYEZ", 1000}, {"KULFEKTG", 3500}},
     {{"KKULSZOLG", -5000}, {"KKULFEJOV", -2500}, {"KOSSZJOV", 92500}}},
};

TEST(Szamol, DerivedAmountsOfTheCertificateRows) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    xbase::Variables vars;
    load(vars, c.in);
    DerivedAmounts d = SZAMOL(vars);
    expect_publics(vars, c.out);
    auto want = [&](const char* n) {
      auto it = c.out.find(n);
      return it == c.out.end() ? 0 : it->second;
    };
    EXPECT_EQ(d.KOSSZJOV, want("KOSSZJOV"));
    EXPECT_EQ(d.KKULALAP, want("KKULALAP"));
  }
}

TEST(Szamol, EveryCallOverwritesAllFourteen) {
  xbase::Variables vars;
  load(vars, kFull);
  SZAMOL(vars);
  for (const auto& [field, v] : kFull) vars.assign("X" + field, xbase::Value::num(0));
  SZAMOL(vars);
  expect_publics(vars, {});
}

}  // namespace
}  // namespace certs
