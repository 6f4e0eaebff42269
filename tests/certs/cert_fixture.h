// A small installation for the certificate tests, with every value fixed here:
//
//   company 001  an 11-digit tax number and a full seat address
//   company 002  a private payer's 10-character tax identifier
//   (no company 003)
//   A  001 "M"  every section filled, title, every accented letter, full address
//   EK 001 "K"  and EE 001 "E": A's name and tax identifier, added after A
//   B  001 "K"  only a wage income; empty birth date, blank optional fields
//   C  002 "M"  negative and 9- and 10-digit amounts
//   D  003 "M"  no company record; EKHO revenues cancelling to zero
//
// The processing date is 2024.01.31 and the registered user "Próba Bérszámfejtő Bt.".
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "certs/cert_run.h"
#include "certs/m30_run.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "shell/shell_test_util.h"
#include "shell/program.h"
#include "store/record_writer.h"
#include "store/tables.h"
#include "xbase/cp852.h"
#include "xbase/dbf_table.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace certs::testing {

using shell::testing::Station;
using xbase::Date;
using xbase::Value;

// One record's fields: texts in UTF-8 (converted here), numbers, dates.
struct FieldValue {
  const char* name;
  Value value;
  FieldValue(const char* n, const char* utf8) : name(n), value(Value::str(xbase::utf8_to_cp852(utf8))) {}
  FieldValue(const char* n, double v) : name(n), value(Value::num(v)) {}
  FieldValue(const char* n, Date d) : name(n), value(Value::date(d)) {}
};
using Fields = std::initializer_list<FieldValue>;

inline void append(store::RecordWriter& w, Fields fields) {
  for (const FieldValue& f : fields) w.set(f.name, f.value);
  w.append();
}

// The M30 XML hooks of a test: each call noted in `calls`; begin() answers `keep`.
struct HookLog {
  std::vector<std::string> calls;
  M30XmlHooks hooks(bool keep) {
    return M30XmlHooks{
        .begin =
            [this, keep](shell::Context& c) {
              calls.push_back("begin " + c.vars.find("KELLM30XML")->as_str());
              return keep;
            },
        // The company table on the person's company, the buffer loaded, SZAMOL done.
        .after_certificate =
            [this](shell::Context& c, int db) {
              calls.push_back(std::to_string(db) + " " + c.areas.find("VALLAL")->get("VKOD").as_str() +
                              " " + c.vars.find("XSZEMSZAM")->as_str() + " " +
                              xbase::str(c.vars.find("KOSSZJOV")->as_num(), 10));
            },
        .end = [this](shell::Context&) { calls.push_back("end"); },
    };
  }
};

// Creates the program's tables in the station's directory, calls `fill` with a
// writer for the company and the year table, builds the indexes, sets the program's
// globals (processing date and user fixed) and opens the working set shared.
template <typename Fill>
void build_installation(Station& s, Fill fill) {
  for (const store::TableDef& t : store::program_tables())
    ASSERT_TRUE(s.areas.create(s.file(t.file + ".dbf"), t.fields)) << t.file;
  {
    auto vallal = xbase::DbfTable::open(s.file("vallal.dbf"), true);
    auto virda = xbase::DbfTable::open(s.file("virda23.dbf"), true);
    store::RecordWriter companies(*vallal);
    store::RecordWriter persons(*virda);
    fill(companies, persons);
    vallal->close();
    virda->close();
  }
  shell::INDEXELES(*s.ctx);
  s.areas.close_all();
  shell::set_globals(*s.ctx, shell::StartArgs{});
  s.vars.assign("MAINAP", Value::date(Date::from_ymd(2024, 1, 31)));
  s.vars.assign("CEGNEV", Value::str(std::string(HU("Próba Bérszámfejtő Bt."))));
  s.areas.set_deleted(true);
  s.areas.set_exact(false);
  ASSERT_TRUE(shell::NYITOGAT(*s.ctx, false));
}

inline void companies_001_002(store::RecordWriter& c) {
  append(c, {{"VKOD", "001"},
             {"VNEV", "Minta Kereskedelmi Kft."},
             {"ADOSZAM", "12345678242"},
             {"IRSZAM", "1051"},
             {"HELYSEG", "Budapest"},
             {"UTCA", "Nádor"},
             {"KOZTER", "utca"},
             {"HAZSZAM", "21"},
             {"EPULET", "B"},
             {"LEPCSO", "2"},
             {"EMELET", "3"},
             {"AJTO", "12"}});
  append(c, {{"VKOD", "002"},
             {"VNEV", "Kovács Péter e.v."},
             {"ADOSZAM", "8123456786"},
             {"IRSZAM", "6720"},
             {"HELYSEG", "Szeged"},
             {"UTCA", "Kárász"},
             {"KOZTER", "utca"},
             {"HAZSZAM", "5"}});
}

inline void person_a(store::RecordWriter& p) {
  append(p, {
      {"VKOD", "001"}, {"SZEMSZAM", "8310472455"}, {"NYILAT", "M"}, {"VANHOZOTT", "I"},
      {"NEV", "Dr. Árvíztűrő Tükörfúrógép"}, {"GROF", "Dr."}, {"VEZNEV", "Árvíztűrő"},
      {"UTONEV", "Tükörfúrógép"}, {"LEANYNEV", "Úri-Óvári Ödön Élő"}, {"LVEZNEV", "Úri-Óvári"},
      {"LUTONEV", "Ödön Élő"}, {"SZULIDO", Date::from_ymd(1975, 3, 14)},
      {"SZULHELY", "Székesfehérvár"}, {"IRSZAM", "8000"}, {"HELYSEG", "Székesfehérvár"},
      {"UTCA", "Fő utca 12 A 1 2 3"}, {"KOZTNEV", "Fő"}, {"KOZTER", "utca"}, {"HAZSZAM", "12"},
      {"EPULET", "A"}, {"LEPCSO", "1"}, {"EMELET", "2"}, {"AJTO", "3"},
      {"ANYJA", "Űrhegyi-Őze Ünige Ída"}, {"AVEZNEV", "Űrhegyi-Őze"}, {"AUTONEV", "Ünige Ída"},
      // Section I.
      {"JOVEDELEM", 6543210}, {"MVKTGTER", 120000}, {"MVKTGBIZN", 20000}, {"KULSZOLG", 800000},
      {"KULSZBIZN", 150000}, {"MASBERJOV", 45000}, {"NEMONALLO", 230500}, {"KTGTELJES", 90000},
      {"KTGBIZNEL", 30000}, {"ONALLOTEV", 1500000}, {"ONALLKTG", 300000}, {"INGBERBE", 600000},
      {"INGBERKTG", 60000}, {"EUPBEV", 200000}, {"EUPKTG", 50000}, {"HOKBEV", 180000},
      {"HOKKTG", 18000}, {"VKVBEV", 250000}, {"VKVKTG", 25000}, {"DIJMVBEV", 400000},
      {"DIJMVKTG", 100000}, {"EGYEBJOGC", 75000}, {"EGYEBJKTG", 5000}, {"KULFEGYEZ", 1000000},
      {"KULFEKTG", 100000}, {"KULFHIANY", 500000}, {"KULFHKTG", 50000}, {"ELOLEG", 1537306},
      // Section II.
      {"ARFNYER", 100000}, {"ARFNYERP", 100000}, {"ARFNYERA", 15000}, {"ARFNYERL", 15000},
      {"OSZT16", 2000000}, {"OSZT16P", 2000000}, {"OSZT16A", 300000}, {"OSZT16L", 300000},
      {"PRIVLIZ", 50000}, {"PRIVLIZP", 50000}, {"PRIVLIZA", 7500}, {"PRIVLIZL", 7500},
      {"KIVONT", 80000}, {"KIVONTP", 80000}, {"KIVONTA", 12000}, {"KIVONTL", 12000},
      {"EGYFORR", 30000}, {"EGYFORRP", 30000}, {"EGYFORRA", 4500}, {"EGYFORRL", 4500},
      {"EGYFORNEV", "Kamatjövedelem"},
      // Section III.
      {"NEGYGYKE", 1200000}, {"HUSZON5KE", 800000}, {"HARMINCKE", 600000}, {"ROKKANT", 927600},
      {"ELSOHAZ30", 400000}, {"GYERK30", 1600000}, {"SZDIJ", 12000}, {"OSZTELO", 500000},
      {"OSZTELOA", 75000}, {"KULFDOLG", 250000},
      // Section IV: May has no base but contributions; March no allowance.
      {"CSJKA01", 501000}, {"CSJKJ01", 100200}, {"CSJKK01", 10000}, {"CSJKL01", 90200},
      {"CSJKA02", 502000}, {"CSJKJ02", 100400}, {"CSJKK02", 10000}, {"CSJKL02", 90400},
      {"CSJKA03", 503000}, {"CSJKJ03", 100600}, {"CSJKL03", 100600},
      {"CSJKA04", 504000}, {"CSJKJ04", 100800}, {"CSJKK04", 10000}, {"CSJKL04", 90800},
      {"CSJKJ05", 50000}, {"CSJKL05", 50000},
      {"CSJKA06", 506000}, {"CSJKJ06", 101200}, {"CSJKK06", 10000}, {"CSJKL06", 91200},
      {"CSJKA07", 507000}, {"CSJKJ07", 101400}, {"CSJKK07", 10000}, {"CSJKL07", 91400},
      {"CSJKA08", 508000}, {"CSJKJ08", 101600}, {"CSJKK08", 10000}, {"CSJKL08", 91600},
      {"CSJKA09", 509000}, {"CSJKJ09", 101800}, {"CSJKK09", 10000}, {"CSJKL09", 91800},
      {"CSJKA10", 510000}, {"CSJKJ10", 102000}, {"CSJKK10", 10000}, {"CSJKL10", 92000},
      {"CSJKA11", 511000}, {"CSJKJ11", 102200}, {"CSJKK11", 10000}, {"CSJKL11", 92200},
      {"CSJKA12", 512000}, {"CSJKJ12", 102400}, {"CSJKK12", 10000}, {"CSJKL12", 92400},
      // Section V.
      {"SZCTV1_3", 10248710}, {"SZCTV5", 2260000}, {"SZCTV5AL", 2000000}, {"SZCTV5AD", 260000},
      // EKHO: all three rows, both marks, value limit left blank.
      {"EKHOFEOR", "2511"}, {"EKHO1B15", 1000000}, {"EKHO1_15", 150000}, {"EKHO1B95", 200000},
      {"EKHO1_95", 19000}, {"EKHO1BEG", 300000}, {"EKHO1_EG", 28500}, {"EKHO2B15", 400000},
      {"EKHO2_15", 60000}, {"EKHO2B95", 100000}, {"EKHO2_95", 9500}, {"EKHO3B15", 250000},
      {"EKHO3_15", 37500}, {"EKHO3BEG", 50000}, {"EKHO3_EG", 4750}, {"EKHO_AV2", "X"},
      {"EKHO_AV3", "X"}, {"EKHOS_95", 12345},
  });
}

// The "K" and "E" records of A's tax identifier, under A's name.
inline void person_e(store::RecordWriter& p, const char* nyilat, double jovedelem, double eloleg) {
  append(p, {{"VKOD", "001"}, {"SZEMSZAM", "8310472455"}, {"NYILAT", nyilat},
             {"NEV", "Dr. Árvíztűrő Tükörfúrógép"}, {"GROF", "Dr."}, {"VEZNEV", "Árvíztűrő"},
             {"UTONEV", "Tükörfúrógép"}, {"JOVEDELEM", jovedelem}, {"ELOLEG", eloleg}});
}

inline void person_b(store::RecordWriter& p) {
  append(p, {{"VKOD", "001"}, {"SZEMSZAM", "8390123452"}, {"NYILAT", "K"}, {"NEV", "Kis Béla"},
             {"VEZNEV", "Kis"}, {"UTONEV", "Béla"}, {"JOVEDELEM", 250000},
             // Withheld EKHO tax without revenue: no EKHO page.
             {"EKHO1_15", 15000}});
}

inline void person_c(store::RecordWriter& p) {
  append(p, {
      {"VKOD", "002"}, {"SZEMSZAM", "8401234565"}, {"NYILAT", "M"}, {"NEV", "Nagy Ilona"},
      {"VEZNEV", "Nagy"}, {"UTONEV", "Ilona"}, {"LEANYNEV", "Szabó Ilona"}, {"LVEZNEV", "Szabó"},
      {"LUTONEV", "Ilona"}, {"SZULIDO", Date::from_ymd(1980, 12, 1)}, {"SZULHELY", "Szeged"},
      {"ANYJA", "Kiss Mária"}, {"AVEZNEV", "Kiss"}, {"AUTONEV", "Mária"}, {"IRSZAM", "6722"},
      {"HELYSEG", "Szeged"}, {"UTCA", "Tisza Lajos körút 40"}, {"KOZTNEV", "Tisza Lajos"},
      {"KOZTER", "körút"}, {"HAZSZAM", "40"},
      // Cost above revenue in rows 2 and 7, a cost without revenue in row 18,
      // row 22 beyond 999,999,999.
      {"JOVEDELEM", 999999999}, {"MVKTGTER", 1000000}, {"MVKTGBIZN", 3500000},
      {"KULSZOLG", 50000000}, {"MASBERJOV", 80000000}, {"NEMONALLO", 70000000},
      {"ONALLOTEV", 2000000}, {"ONALLKTG", 99999999}, {"EGYEBJKTG", 150000000},
      {"KULFEGYEZ", 99999999}, {"KULFHIANY", 99999999}, {"ELOLEG", 25000000},
      // A dividend of ten digits; source taxes above 999,999,999 in all.
      {"ARFNYER", 900000000}, {"ARFNYERP", 900000000}, {"ARFNYERA", 300000000},
      {"ARFNYERL", 300000000}, {"OSZT16", 1234567890}, {"OSZT16P", 1234567890},
      {"OSZT16A", 185185184}, {"OSZT16L", 185185184}, {"PRIVLIZ", 800000000},
      {"PRIVLIZP", 800000000}, {"PRIVLIZA", 200000000}, {"PRIVLIZL", 200000000},
      {"KIVONT", 900000000}, {"KIVONTP", 900000000}, {"KIVONTA", 250000000},
      {"KIVONTL", 250000000}, {"EGYFORR", 999999999}, {"EGYFORRP", 999999999},
      {"EGYFORRA", 149999999}, {"EGYFORRL", 149999999}, {"EGYFORNEV", "Értékpapír-kölcsönzés"},
      // Month bases of nine digits; totals beyond 99,999,999.
      {"CSJKA01", 120000000}, {"CSJKJ01", 22200000}, {"CSJKL01", 22200000},
      {"CSJKA02", 100000000}, {"CSJKJ02", 18500000}, {"CSJKK02", 1000000}, {"CSJKL02", 17500000},
      // EKHO: a pensioner's revenue in row 4.3 only, value limit "2".
      {"EKHOFEOR", "9111"}, {"EKHO3B95", 800000}, {"EKHOHAT", "2"},
  });
}

inline void person_d(store::RecordWriter& p) {
  append(p, {{"VKOD", "003"}, {"SZEMSZAM", "8412345673"}, {"NYILAT", "M"}, {"NEV", "Tóth Gábor"},
             {"VEZNEV", "Tóth"}, {"UTONEV", "Gábor"}, {"JOVEDELEM", 1000000}, {"ELOLEG", 150000},
             {"EKHO1B15", 100000}, {"EKHO2B15", -100000}});
}

// The installation described at the top.
inline void golden_installation(Station& s) {
  build_installation(s, [](store::RecordWriter& c, store::RecordWriter& p) {
    companies_001_002(c);
    person_a(p);
    person_e(p, "K", 300000, 45000);
    person_e(p, "E", 100000, 0);
    person_b(p);
    person_c(p);
    person_d(p);
  });
}

// A run of both certificate types for the company range, into the preview file
// of the program directory, on the fixture's processing date.
inline RunRequest screen_request(std::string from, std::string to) {
  RunRequest r;
  r.selection.kvkod1 = std::move(from);
  r.selection.kvkod2 = std::move(to);
  r.selection.condi = ".T..AND.nyilat$'MK'";
  r.mainap = Date::from_ymd(2024, 1, 31);
  return r;
}

// A golden file: UTF-8 lines each ended by "|", "<FF>" after the "|" standing for
// FF CR in place of the line's CR LF. Returns the bytes the program writes: CP852
// with CR LF.
inline std::string golden_bytes(const std::string& name) {
  std::ifstream in(std::string(MVIRDA_SOURCE_DIR) + "/tests/certs/golden/" + name);
  EXPECT_TRUE(in) << name;
  std::string out, line;
  while (std::getline(in, line)) {
    bool ff = line.size() >= 4 && line.compare(line.size() - 4, 4, "<FF>") == 0;
    if (ff) line.resize(line.size() - 4);
    EXPECT_TRUE(!line.empty() && line.back() == '|') << name << ": " << line;
    line.pop_back();
    out += xbase::utf8_to_cp852(line) + (ff ? "\f\r" : "\r\n");
  }
  return out;
}

inline std::string file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of printed bytes as the golden files count them: a line ends with
// CR LF, or with FF CR at the end of a page.
inline std::vector<std::string> print_lines(const std::string& bytes) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i + 1 < bytes.size() && (bytes.compare(i, 2, "\r\n") == 0 || bytes.compare(i, 2, "\f\r") == 0)) {
      lines.back() += bytes[i] == '\f' ? "<FF>" : "";
      lines.emplace_back();
      ++i;
    } else {
      lines.back() += bytes[i];
    }
  }
  return lines;
}

// Equal bytes, or the first differing line and column (both from 1), in UTF-8.
inline ::testing::AssertionResult same_print(const std::string& want, const std::string& got) {
  if (want == got) return ::testing::AssertionSuccess();
  std::vector<std::string> w = print_lines(want), g = print_lines(got);
  std::size_t n = 0;
  while (n < w.size() && n < g.size() && w[n] == g[n]) ++n;
  std::string wl = n < w.size() ? w[n] : "(end)", gl = n < g.size() ? g[n] : "(end)";
  std::size_t col = 0;
  while (col < wl.size() && col < gl.size() && wl[col] == gl[col]) ++col;
  return ::testing::AssertionFailure()
         << "first difference at line " << n + 1 << ", column " << col + 1
         << "\n want: " << xbase::cp852_to_utf8(wl) << "|\n  got: " << xbase::cp852_to_utf8(gl)
         << "|\n (" << want.size() << " bytes wanted, " << got.size() << " written)";
}

}  // namespace certs::testing
