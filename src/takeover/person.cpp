#include "takeover/person.h"

#include "takeover/relationships.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace takeover {

namespace {

using xbase::Value;

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// The monthly tables of one relationship record that is read.
void take_relationship(RunState& st, CompanyData& data, const CompanyInfo& company,
                       const PersonRecord& r, PersonResult& out) {
  const Record& rel = *r.rec;
  st.pofa = rel.text("SZEMSZAM") + rel.text("FOGJEL") + rel.text("FOMENY");
  st.pofa_recno = r.recno;
  auto work = [&](Monthly table, const Record& m) {
    return Work{st, out.sums, data.codes(), rel, company.pays_benefits, table, m, &out.notes};
  };
  if (company.vtipus != '2') {
    data.monthly(Monthly::Member, st.pofa, [&](const Record& m) {
      Work w = work(Monthly::Member, m);
      take_member_record(w);
    });
  }
  data.monthly(Monthly::Wage, st.pofa, [&](const Record& m) {
    Work w = work(Monthly::Wage, m);
    take_wage_record(w);
  });
  data.brought_forward(st.pofa, [&](const Record& h) {
    if (h.text("HONAP") >= st.hozhonap) take_brought_forward(st, out.sums, h);
  });
  data.monthly(Monthly::Other, st.pofa, [&](const Record& m) {
    Work w = work(Monthly::Other, m);
    take_other_payment(w);
  });
}

// The certificate kind: "M" for a relationship in force at the year end, "K" for a
// leaver, "E" for a leaver of kind "2" whose own relationship ended by the year end.
std::string certificate_kind(const RunState& st, const Record& chosen) {
  if (st.eset == Eset::InForce) return "M";
  xbase::Date end = chosen.date("KILEPES");
  if (chosen.code("FOGJEL") == '2' && !end.empty() && end.year() <= st.tax_year) return "E";
  return "K";
}

void personal_data(RunState& st, CompanyData& data, const CompanyInfo& company,
                   const Record& chosen, PersonResult& out) {
  FieldValues& f = out.fields;
  f.emplace_back("NYILAT", Value::str(certificate_kind(st, chosen)));
  f.emplace_back("ASZJELL", Value::str("E"));
  for (const char* name : {"NEV",     "GROF",    "VEZNEV",  "UTONEV",  "NEME",     "OSTERMIG",
                           "CSALGAZD", "REGSZAM", "IRSZAM",  "HELYSEG", "UTCA",     "KOZTNEV",
                           "KOZTER",  "HAZSZAM", "EPULET",  "LEPCSO",  "EMELET",   "AJTO",
                           "SZULIDO", "SZULHELY", "ANYJA",  "AVEZNEV", "AUTONEV"})
    f.emplace_back(name, chosen.value(name));
  out.szemszam = xbase::padr(chosen.text("SZEMSZAM"), 10);
  out.nev = xbase::rtrim(chosen.text("NEV"));
  f.emplace_back("SZEMSZAM", Value::str(out.szemszam));
  // The birth name, field by field, from the name when it is empty.
  for (auto [birth, name] : {std::pair{"LEANYNEV", "NEV"}, {"LVEZNEV", "VEZNEV"},
                             {"LUTONEV", "UTONEV"}}) {
    std::string b = chosen.text(birth);
    f.emplace_back(birth, blank(b) ? chosen.value(name) : Value::str(b));
  }
  f.emplace_back("VKOD", Value::str(company.vkod));

  std::string code = xbase::rtrim(chosen.text("ALLAMPOLG"));
  if (code.empty() || code == "348") {
    f.emplace_back("ALLAMPOLG", Value::str("magyar"));
    f.emplace_back("ALLAMKOD", Value::str("HU"));
  } else if (const Country* c = data.country(code)) {
    f.emplace_back("ALLAMPOLG", Value::str(c->name));
    f.emplace_back("ALLAMKOD", Value::str(c->iso));
  } else {
    // Not "magyar": the code stays for the clerk to correct.
    f.emplace_back("ALLAMPOLG", Value::str(code));
    f.emplace_back("ALLAMKOD", Value::str(""));
    out.notes.push_back(std::string(HU("állampolgárság ")) + code +
                        std::string(HU(" nincs az országtáblában")));
  }

  YearRecord& rec = out.sums;
  if (rec[Sum::EKHOS_95] != 0) {
    f.emplace_back("EKHOHAT", chosen.value("EKHOHAT"));
    f.emplace_back("EKHOFEOR", chosen.value("FEOR"));
  }
  if (rec[Sum::ELSOHAZKE] != 0) {
    f.emplace_back("ELSOHNEV",
                   Value::str(xbase::rtrim(chosen.text("ELSOHVNEV")) + " " + chosen.text("ELSOHUNEV")));
    f.emplace_back("ELSOHADOA", chosen.value("ELSOHADOA"));
    for (char& flag : rec.elsohh)
      if (flag == ' ') flag = '0';
  }
}

void dependants(RunState& st, CompanyData& data, const Record& chosen, PersonResult& out) {
  if (st.eset != Eset::InForce) return;
  std::string taj = chosen.text("TAJ");
  if (blank(taj)) {
    // A blank number would take every dependant recorded without one.
    if (data.blank_taj_dependants())
      out.notes.push_back(std::string(HU("üres TAJ szám: eltartott nem került át")));
    return;
  }
  data.dependants(taj, [&](const Record& e) {
    FieldValues d;
    for (const std::string& name : e.names()) {
      char t = e.type(name);
      if (t != 'C' && t != 'N') continue;
      Value v = e.value(name);
      if (name == "EKOZTJELL") {
        const std::string& s = v.as_str();
        if (s.compare(0, 2, "u.") == 0 || s.compare(0, 2, "u ") == 0) v = Value::str("utca");
      }
      d.emplace_back(name, std::move(v));
    }
    d.emplace_back("VKOD", Value::str(st.kvkod));
    d.emplace_back("SZEMSZAM", Value::str(out.szemszam));
    d.emplace_back("CSNEV", e.value("CSNEV"));
    d.emplace_back("UTONEV1", e.value("UTONEV1"));
    d.emplace_back("UTONEV2", e.value("UTONEV2"));
    d.emplace_back("ESZULIDO", e.value("SZULIDO"));
    out.dependants.push_back(std::move(d));
  });
}

}  // namespace

PersonResult take_person(RunState& st, CompanyData& data, const CompanyInfo& company,
                         const std::vector<PersonRecord>& records,
                         const std::function<void(const Record&)>& on_record) {
  PersonResult out;
  st.vanneki = false;
  if (records.empty()) return out;
  st.qpofa = xbase::padr(records.front().rec->text("SZEMSZAM"), 10);

  std::vector<RelationshipRecord> rels;
  for (const PersonRecord& r : records)
    rels.push_back({r.recno, r.rec->code("FOGJEL"), r.rec->date("BELEPES"), r.rec->date("KILEPES")});
  choose_relationships(st, rels);
  st.hozhonap = data.brought_forward_month(st.qpofa);

  const Record* chosen = nullptr;
  for (const PersonRecord& r : records) {
    if (on_record) on_record(*r.rec);
    if (r.recno == st.aktrek) chosen = r.rec;
    if (st.eset == Eset::None || !blank(r.rec->text("EGYSZFOGL")) || !counted(st, r.recno))
      continue;
    take_relationship(st, data, company, r, out);
  }
  if (!st.vanneki || !chosen) return out;
  out.written = true;
  personal_data(st, data, company, *chosen, out);
  dependants(st, data, *chosen, out);
  return out;
}

}  // namespace takeover
