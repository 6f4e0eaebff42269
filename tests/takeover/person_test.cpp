// One person taken over from payroll records held in memory: which relationship the
// certificate is made for, which relationships are read, the certificate kind, the
// personal data, the citizenship, the first marriage and the dependants.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>

#include "takeover/payroll_layout.h"
#include "takeover/relationships.h"
#include "takeover/takeover_test_util.h"
#include "xbase/hutext.h"

namespace takeover {
namespace {

using testing::MemoryCodes;
using testing::month_record;
using xbase::Date;
using xbase::Value;

Date d(int y, int m, int day) { return Date::from_ymd(y, m, day); }

class MemoryCompany : public CompanyData {
 public:
  MemoryCodes code_tables;
  std::map<Monthly, std::vector<MemoryRecord>> months;
  std::vector<MemoryRecord> hozott, ekartya;
  std::map<std::string, Country> countries;

  CodeTables& codes() override { return code_tables; }
  static std::string key(const Record& r) {
    return r.text("SZEMSZAM") + r.text("FOGJEL") + r.text("FOMENY");
  }
  void monthly(Monthly t, const std::string& pofa, const Each& each) override {
    for (const MemoryRecord& m : months[t])
      if (key(m) == pofa) each(m);
  }
  void brought_forward(const std::string& pofa, const Each& each) override {
    for (const MemoryRecord& h : hozott)
      if (key(h) == pofa) each(h);
  }
  std::string brought_forward_month(const std::string& qpofa) override {
    std::string m = "00";
    for (const MemoryRecord& h : hozott)
      if (h.text("SZEMSZAM").substr(0, 10) == qpofa) m = std::max(m, h.text("HONAP"));
    return m;
  }
  void dependants(const std::string& taj, const Each& each) override {
    for (const MemoryRecord& e : ekartya)
      if (e.text("TAJ") == taj) each(e);
  }
  bool blank_taj_dependants() override {
    return std::any_of(ekartya.begin(), ekartya.end(),
                       [](const MemoryRecord& e) { return e.text("TAJ") == "         "; });
  }
  const Country* country(const std::string& code) override {
    auto it = countries.find(code);
    return it == countries.end() ? nullptr : &it->second;
  }

  // A wage record of `amount` in month `honap` of the relationship `rel`.
  void wage(const MemoryRecord& rel, const char* honap, double amount) {
    MemoryRecord m = month_record(honap);
    m.set("SZEMSZAM", rel.text("SZEMSZAM")).set("FOGJEL", rel.text("FOGJEL"));
    m.set("FOMENY", rel.text("FOMENY")).set("MUNKABER", amount);
    months[Monthly::Wage].push_back(m);
  }
};

// A relationship record with every field the run reads.
MemoryRecord relationship(const char* fogjel, const char* fomeny, Date from, Date to) {
  MemoryRecord r;
  for (const payroll::Field& f : payroll::relationship_table().fields) {
    if (f.type == 'C') r.set(f.name, Value::str(std::string(static_cast<size_t>(f.width), ' ')));
    if (f.type == 'N') r.set(f.name, 0.0);
    if (f.type == 'D') r.set(f.name, Value::date(Date()));
  }
  r.set("SZEMSZAM", "8123456789 ").set("FOGJEL", fogjel).set("FOMENY", fomeny);
  r.set("BELEPES", Value::date(from)).set("KILEPES", Value::date(to));
  r.set("NEV", "Kiss Anna").set("VEZNEV", "Kiss").set("UTONEV", "Anna");
  r.set("TAJ", "123456789").set("ALLAMPOLG", "348");
  return r;
}

struct Person {
  MemoryCompany data;
  std::deque<MemoryRecord> records;  // references stay valid as records are added
  CompanyInfo company{"001", '1', false};
  RunState st;

  MemoryRecord& add(const char* fogjel, const char* fomeny, Date from, Date to = Date()) {
    records.push_back(relationship(fogjel, fomeny, from, to));
    return records.back();
  }
  PersonResult take() {
    std::vector<PersonRecord> recs;
    for (size_t i = 0; i < records.size(); ++i)
      recs.push_back({static_cast<uint32_t>(i + 1), &records[i]});
    st.kvkod = company.vkod;
    return take_person(st, data, company, recs);
  }
};

std::string field(const PersonResult& r, const std::string& name) {
  std::string out;
  for (const auto& [n, v] : r.fields)
    if (n == name) out = v.is_str() ? v.as_str() : "?";
  return out;
}

TEST(Relationships, ContiguousSuccessorKeepsAnEarlierJob) {
  for (int start_day : {1, 5}) {
    RunState st;
    choose_relationships(st, {{1, '1', d(2021, 3, 1), d(2023, 3, 31)},
                              {2, '1', d(2023, 4, start_day), Date()}});
    EXPECT_EQ(st.eset, Eset::InForce);
    EXPECT_EQ(st.aktrek, 2u);
    EXPECT_EQ(counted(st, 1), start_day == 1) << start_day;
    EXPECT_TRUE(counted(st, 2));
  }
}

TEST(Relationships, ContiguityIsJudgedInOrderOfStartDates) {
  // A leaver: the earlier job is followed by the later one, though the later one
  // ended later and comes first in the choice.
  RunState st;
  choose_relationships(st, {{1, '1', d(2023, 1, 1), d(2023, 4, 30)},
                            {2, '1', d(2023, 5, 1), d(2023, 9, 30)}});
  EXPECT_EQ(st.eset, Eset::Ended);
  EXPECT_EQ(st.aktrek, 2u);
  EXPECT_TRUE(counted(st, 1));
  EXPECT_TRUE(counted(st, 2));

  // A job of kind 2 from January to June before the chosen job of kind 1 from July,
  // listed after it in key order.
  choose_relationships(st, {{1, '1', d(2023, 7, 1), Date()}, {2, '2', d(2023, 1, 1), d(2023, 6, 30)}});
  EXPECT_EQ(st.eset, Eset::InForce);
  EXPECT_EQ(st.aktrek, 1u);
  EXPECT_TRUE(counted(st, 2));

  // A gap excludes a job of kinds 1-3, never one of another kind.
  choose_relationships(st, {{1, '1', d(2023, 7, 1), Date()}, {2, '3', d(2023, 1, 1), d(2023, 6, 29)},
                            {3, '4', d(2023, 2, 1), d(2023, 3, 31)}});
  EXPECT_FALSE(counted(st, 2));
  EXPECT_TRUE(counted(st, 3));
}

TEST(Relationships, ChoiceOfTheCertificateRelationship) {
  RunState st;
  // Kind "5" in force is not chosen while another is; the first in force wins.
  choose_relationships(st, {{1, '5', d(2020, 1, 1), Date()}, {2, '1', d(2022, 1, 1), Date()},
                            {3, '1', d(2023, 2, 1), Date()}});
  EXPECT_EQ(st.aktrek, 2u);
  // Only kind "5" in force: the one that ended last, i.e. that one, as a leaver.
  choose_relationships(st, {{1, '1', d(2020, 1, 1), d(2023, 3, 31)}, {2, '5', d(2022, 1, 1), Date()}});
  EXPECT_EQ(st.eset, Eset::Ended);
  EXPECT_EQ(st.aktrek, 2u);
  // Equal end dates keep the list's order.
  choose_relationships(st, {{1, '2', d(2023, 2, 1), d(2023, 6, 30)}, {2, '1', d(2023, 1, 1), d(2023, 6, 30)}});
  EXPECT_EQ(st.aktrek, 1u);
  // An end after the tax year is in force at its end; an empty start is 1 January.
  choose_relationships(st, {{1, '1', Date(), d(2024, 5, 31)}});
  EXPECT_EQ(st.eset, Eset::InForce);
  EXPECT_EQ(st.ttagalk[0].start, d(2023, 1, 1));
  // Only relationships that began after the tax year: none.
  choose_relationships(st, {{1, '1', d(2024, 1, 1), Date()}});
  EXPECT_EQ(st.eset, Eset::None);
  EXPECT_FALSE(counted(st, 1));
}

TEST(Person, InForceGetsKindMAndDependants) {
  Person p;
  MemoryRecord& r = p.add("1", "01", d(2019, 1, 1));
  p.data.wage(r, "01", 1000);
  MemoryRecord child;
  child.set("TAJ", "123456789").set("NEV", "Kiss Bence").set("CSNEV", "Kiss").set("UTONEV1", "Bence");
  child.set("UTONEV2", "").set("SZULIDO", Value::date(d(2015, 5, 5))).set("EKOZTJELL", "u.");
  child.set("SORSZAM", 3.0);
  p.data.ekartya.push_back(child);
  child.set("TAJ", "999999999");
  p.data.ekartya.push_back(child);
  PersonResult out = p.take();
  ASSERT_TRUE(out.written);
  EXPECT_EQ(field(out, "NYILAT"), "M");
  EXPECT_EQ(field(out, "SZEMSZAM"), "8123456789");
  EXPECT_EQ(field(out, "VKOD"), "001");
  EXPECT_EQ(out.sums[Sum::JOVEDELEM], 1000);
  ASSERT_EQ(out.dependants.size(), 1u);
  std::map<std::string, Value> dep(out.dependants[0].begin(), out.dependants[0].end());
  EXPECT_EQ(dep["EKOZTJELL"].as_str(), "utca");
  EXPECT_EQ(dep["ESZULIDO"].as_date(), d(2015, 5, 5));
  EXPECT_EQ(dep["SZEMSZAM"].as_str(), "8123456789");
  EXPECT_EQ(dep["SORSZAM"].as_num(), 3);  // copied by name; the writer drops what eltar lacks
}

TEST(Person, StreetKindOfADependantBecomesUtcaOnlyForLowerUAndPointOrBlank) {
  const std::string ut(HU("út"));
  for (auto [kind, want] : {std::pair<std::string, std::string>{"u.", "utca"}, {"u ", "utca"},
                            {"U.", "U."}, {ut, ut}}) {
    Person p;
    MemoryRecord& r = p.add("1", "01", d(2019, 1, 1));
    p.data.wage(r, "01", 1000);
    MemoryRecord child;
    child.set("TAJ", "123456789").set("NEV", "X").set("CSNEV", "X").set("UTONEV1", "Y");
    child.set("UTONEV2", "").set("SZULIDO", Value::date(Date())).set("EKOZTJELL", kind);
    p.data.ekartya.push_back(child);
    PersonResult out = p.take();
    ASSERT_EQ(out.dependants.size(), 1u);
    std::map<std::string, Value> dep(out.dependants[0].begin(), out.dependants[0].end());
    EXPECT_EQ(dep["EKOZTJELL"].as_str(), want);
  }
}

TEST(Person, CertificateKindOfLeavers) {
  {  // kind 2 ended 30 June: "E", no dependants
    Person p;
    MemoryRecord& r = p.add("2", "01", d(2020, 1, 1), d(2023, 6, 30));
    p.data.wage(r, "03", 500);
    MemoryRecord child;
    child.set("TAJ", "123456789").set("NEV", "X").set("CSNEV", "X").set("UTONEV1", "Y");
    child.set("UTONEV2", "").set("SZULIDO", Value::date(Date()));
    p.data.ekartya.push_back(child);
    PersonResult out = p.take();
    EXPECT_EQ(field(out, "NYILAT"), "E");
    EXPECT_TRUE(out.dependants.empty());
  }
  {  // kind 1 ended: "K"
    Person p;
    MemoryRecord& r = p.add("1", "01", d(2020, 1, 1), d(2023, 6, 30));
    p.data.wage(r, "03", 500);
    EXPECT_EQ(field(p.take(), "NYILAT"), "K");
  }
  {  // the chosen relationship's own end decides: a kind 2 job ended earlier does not
    Person p;
    MemoryRecord& r1 = p.add("1", "01", d(2020, 1, 1), d(2023, 9, 30));
    MemoryRecord& r2 = p.add("2", "01", d(2020, 1, 1), d(2023, 6, 30));
    p.data.wage(r1, "08", 500);
    p.data.wage(r2, "03", 500);
    PersonResult out = p.take();
    EXPECT_EQ(p.st.aktrek, 1u);
    EXPECT_EQ(field(out, "NYILAT"), "K");
  }
}

TEST(Person, NothingWrittenWithoutARelationshipOrAnAmountRecord) {
  Person p;
  MemoryRecord& late = p.add("1", "01", d(2024, 2, 1));
  p.data.wage(late, "01", 1000);
  EXPECT_FALSE(p.take().written);

  Person q;
  q.add("1", "01", d(2019, 1, 1));  // no monthly records
  EXPECT_FALSE(q.take().written);

  Person s;
  MemoryRecord& single = s.add("1", "01", d(2019, 1, 1));
  single.set("EGYSZFOGL", "X");  // never taken over
  s.data.wage(single, "01", 1000);
  EXPECT_FALSE(s.take().written);
}

TEST(Person, RelationshipBegunAfterTheYearIsReadThroughTheGate) {
  Person p;
  p.data.hozott.push_back([] {
    MemoryRecord h;
    for (const std::string& f : payroll::brought_forward_fields()) h.set(f, 0.0);
    // Brought-forward records of another relationship of the person.
    h.set("SZEMSZAM", "8123456789 ").set("FOGJEL", "9").set("FOMENY", "01").set("HONAP", "02");
    h.set("A014", 111.0);
    return h;
  }());
  MemoryRecord& chosen = p.add("1", "01", d(2019, 1, 1));
  MemoryRecord& later = p.add("1", "02", d(2024, 1, 1));
  p.data.wage(chosen, "01", 1000);
  p.data.wage(later, "02", 20);  // not after the brought-forward month: out
  p.data.wage(later, "03", 30);
  PersonResult out = p.take();
  EXPECT_EQ(p.st.hozhonap, "02");
  // The brought-forward sums only from relationships taken: "9" is not the person's.
  EXPECT_EQ(out.sums[Sum::JOVEDELEM], 1030);
  EXPECT_FALSE(out.sums.vanhozott);
}

TEST(Person, CitizenshipFromTheCountryTable) {
  auto citizenship = [](const char* code, MemoryCompany& data) {
    Person p;
    p.data.countries = data.countries;
    MemoryRecord& r = p.add("1", "01", d(2019, 1, 1));
    r.set("ALLAMPOLG", code);
    p.data.wage(r, "01", 1);
    PersonResult out = p.take();
    return std::tuple{field(out, "ALLAMPOLG"), field(out, "ALLAMKOD"), out.notes};
  };
  MemoryCompany data;
  data.countries["276"] = {std::string(HU("német")), "DE"};
  EXPECT_EQ(std::get<0>(citizenship("348", data)), "magyar");
  EXPECT_EQ(std::get<1>(citizenship("348", data)), "HU");
  EXPECT_EQ(std::get<0>(citizenship("   ", data)), "magyar");
  EXPECT_EQ(std::get<0>(citizenship("276", data)), std::string(HU("német")));
  EXPECT_EQ(std::get<1>(citizenship("276", data)), "DE");
  auto [name, iso, notes] = citizenship("999", data);
  EXPECT_EQ(name, "999");  // never "magyar"
  EXPECT_EQ(iso, "");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0], std::string(HU("állampolgárság 999 nincs az országtáblában")));
}

TEST(Person, BirthNameFallsBackFieldByField) {
  Person p;
  MemoryRecord& r = p.add("1", "01", d(2019, 1, 1));
  r.set("LEANYNEV", "Nagy Anna").set("LVEZNEV", "   ").set("LUTONEV", "Anna");
  p.data.wage(r, "01", 1);
  PersonResult out = p.take();
  EXPECT_EQ(field(out, "LEANYNEV"), "Nagy Anna");
  EXPECT_EQ(field(out, "LVEZNEV"), "Kiss");  // from VEZNEV
  EXPECT_EQ(field(out, "LUTONEV"), "Anna");
}

TEST(Person, FirstMarriageSpouseAndMonthFlags) {
  Person p;
  MemoryRecord& r = p.add("1", "01", d(2019, 1, 1));
  r.set("ELSOHVNEV", "      ").set("ELSOHUNEV", HU("Béla      ")).set("ELSOHADOA", "8000000006");
  // Only brought-forward data carry the allowance.
  MemoryRecord h;
  for (const std::string& f : payroll::brought_forward_fields()) h.set(f, 0.0);
  h.set("SZEMSZAM", r.text("SZEMSZAM")).set("FOGJEL", "1").set("FOMENY", "01").set("HONAP", "04");
  h.set("A315", 33335.0);
  p.data.hozott.push_back(h);
  PersonResult out = p.take();
  ASSERT_TRUE(out.written);
  EXPECT_TRUE(out.sums.vanhozott);
  EXPECT_EQ(field(out, "ELSOHNEV"), std::string(HU(" Béla      ")));
  EXPECT_EQ(field(out, "ELSOHADOA"), "8000000006");
  for (char flag : out.sums.elsohh) EXPECT_EQ(flag, '0');
}

TEST(Person, BlankTajTakesNoDependant) {
  Person p;
  MemoryRecord& r = p.add("1", "01", d(2019, 1, 1));
  r.set("TAJ", "         ");
  p.data.wage(r, "01", 1);
  MemoryRecord child;
  child.set("TAJ", "         ").set("NEV", "X").set("CSNEV", "X").set("UTONEV1", "Y");
  child.set("UTONEV2", "").set("SZULIDO", Value::date(Date()));
  p.data.ekartya.push_back(child);
  PersonResult out = p.take();
  EXPECT_TRUE(out.dependants.empty());
  ASSERT_EQ(out.notes.size(), 1u);
  EXPECT_EQ(out.notes[0], std::string(HU("üres TAJ szám: eltartott nem került át")));
}

}  // namespace
}  // namespace takeover
