#include "efile/m30_fields.h"

#include <cstdio>

#include "xbase/hutext.h"

namespace efile {
namespace {

std::vector<XmlField> build() {
  std::vector<XmlField> f;
  auto text = [&](std::string key, Source src, std::string name = "") {
    f.push_back({std::move(key), ValueType::Text, src, std::move(name), ZeroRule::Empty, ""});
  };
  auto number = [&](std::string key, std::string name, ZeroRule zero = ZeroRule::Empty,
                    Source src = Source::Person) {
    f.push_back({std::move(key), ValueType::Number, src, std::move(name), zero, ""});
  };

  // The employer and the person.
  text("munkaltato_neve", Source::Company, "VNEV");
  text("munkaltato_adoszam", Source::Company, "ADOSZAM");
  text("munkaltato_cim_irszam", Source::Company, "IRSZAM");
  text("munkaltato_cim_varos", Source::CompanyCity);
  text("dolgozo_adoazonosito", Source::Person, "SZEMSZAM");
  text("dolgozo_titulus", Source::Person, "GROF");
  text("dolgozo_neve", Source::Person, "VEZNEV");
  text("dolgozo_utoneve", Source::Person, "UTONEV");
  text("dolgozo_szuletesi_neve", Source::Person, "LVEZNEV");
  text("dolgozo_szuletesi_utoneve", Source::Person, "LUTONEV");
  f.push_back({"dolgozo_szuletesi_ido", ValueType::Date, Source::Person, "SZULIDO",
               ZeroRule::Empty, ""});
  text("dolgozo_szuletesi_hely", Source::Person, "SZULHELY");
  text("dolgozo_anyja_neve", Source::Person, "ANYJA");
  text("dolgozo_cim_irszam", Source::Person, "IRSZAM");
  text("dolgozo_cim_varos", Source::PersonCity);
  text(std::string(HU("korábbi")), Source::Previous);

  // Section I: row 1, the paired rows (revenue B, cost C), rows 4 and 5.
  number("D1", "JOVEDELEM");
  const char* pairs[][3] = {
      {"2", "MVKTGTER", "MVKTGBIZN"},  {"3", "KULSZOLG", "KULSZBIZN"},
      {"4", "MASBERJOV", nullptr},     {"5", "NEMONALLO", nullptr},
      {"6", "KTGTELJES", "KTGBIZNEL"}, {"7", "ONALLOTEV", "ONALLKTG"},
      {"8", "INGBERBE", "INGBERKTG"},  {"9", "EUPBEV", "EUPKTG"},
      {"10", "HOKBEV", "HOKKTG"},      {"11", "VKVBEV", "VKVKTG"},
      {"12", "DIJMVBEV", "DIJMVKTG"},  {"18", "EGYEBJOGC", "EGYEBJKTG"},
      {"20", "KULFEGYEZ", "KULFEKTG"}, {"21", "KULFHIANY", "KULFHKTG"},
  };
  for (const auto& p : pairs) {
    if (p[2] == nullptr) {
      number(std::string("D") + p[0], p[1]);
    } else {
      number(std::string("B") + p[0], p[1]);
      number(std::string("C") + p[0], p[2]);
    }
  }
  number("B65", "KELOLEG", ZeroRule::Written, Source::Derived);

  // Section II: gross amount, tax base, tax, tax withheld.
  const char* separate[][2] = {
      {"165", "ARFNYER"}, {"167", "OSZT16"}, {"168", "PRIVLIZ"}, {"173", "KIVONT"}};
  auto four = [&](const std::string& row, const std::string& stem) {
    number("B" + row, stem);
    number("C" + row, stem + "P");
    number("D" + row, stem + "A");
    number("E" + row, stem + "L");
  };
  for (const auto& s : separate) four(s[0], s[1]);
  text("A175", Source::Person, "EGYFORNEV");
  four("175", "EGYFORR");

  // Section III.
  number("[01]B607", "NEGYGYKE");
  number("[01]B608", "HUSZON5KE");
  number("[01]B609", "HARMINCKE");
  number("[01]B610", "ROKKANT");
  number("[01]B611", "KELSOHAZ30", ZeroRule::Empty, Source::Derived);
  number("[01]B612", "KGYERK30", ZeroRule::Empty, Source::Derived);
  number("[01]B55", "SZDIJ");
  number("[01]A56", "OSZTELOA");
  number("[01]B56", "OSZTELO");
  number("[01]B57", "KULFDOLG");

  // Section IV, month by month: the base, then the three amounts that are written
  // as 0 in a month with a base.
  for (int m = 1; m <= 12; ++m) {
    char mm[3];
    std::snprintf(mm, sizeof mm, "%02d", m);
    const std::string month = std::to_string(m);
    number("[01]A" + month, std::string("CSJKA") + mm);
    for (const char* col : {"B", "C", "D"}) {
      const std::string prefix = col[0] == 'B' ? "CSJKJ" : col[0] == 'C' ? "CSJKK" : "CSJKL";
      f.push_back({"[01]" + std::string(col) + month, ValueType::Number, Source::Person,
                   prefix + mm, ZeroRule::WhenMonthBase, std::string("CSJKA") + mm});
    }
  }

  // Section V and the closing lines.
  number("[01]B286", "SZCTV1_3");
  number("[01]B287", "SZCTV5");
  number("[01]A289", "SZCTV5AL");
  number("[01]B289", "SZCTV5AD");
  text("helyseg", Source::Company, "HELYSEG");
  f.push_back({"datum", ValueType::Date, Source::ProcessingDate, "MAINAP", ZeroRule::Empty, ""});
  return f;
}

}  // namespace

const std::vector<XmlField>& m30_fields() {
  static const std::vector<XmlField> fields = build();
  return fields;
}

}  // namespace efile
