// The installation of the XML tests, every value fixed here:
//
//   company 001 "Kiss & Társa <Kft>"   company 002 "Nagy és Fia Bt."   (no 003)
//   A 001 "M" Kovács János      earlier employers' figures, a 10-digit dividend, a
//                               control character in the mother's name, the
//                               other income's name with "&" and "<>", months
//                               with and without allowances
//   B 001 "K" O'Hara "Öcsi" Éva an apostrophe and quotes, no birth date, an
//                               84-character address, a negative wage, no advance
//   C 002 "M" Kovács János      the same number and cleaned name as A
//   D 003 "M" Ifj. Tóth Gábor   no company record
//
// The row table "xxx/seg23m30.dbf" has the shipped designations with identifiers
// of the tests' own ("id_" + the key), so that no test depends on the form's real
// identifiers.
#pragma once

#include <filesystem>
#include <string>

#include "certs/cert_fixture.h"
#include "certs/m30_run.h"
#include "efile/m30_xml_run.h"
#include "store/m30_rows.h"
#include "store/tables.h"
#include "xbase/cp852.h"

namespace efile::testing {

using certs::testing::append;
using certs::testing::Station;
using xbase::Date;

// The row table: (SOR, XMLKOD) per record, CP852, written in Windows-1250; a
// record whose SOR begins with "*" is written deleted (the "*" dropped).
inline void write_row_table(const std::string& path,
                            const std::vector<std::pair<std::string, std::string>>& rows) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  auto t = xbase::DbfTable::create(path, store::m30_row_table().fields);
  store::RecordWriter w(*t);
  std::vector<bool> deleted;
  for (const auto& [sor, kod] : rows) {
    bool del = !sor.empty() && sor[0] == '*';
    w.set("sor", xbase::cp852_to_cp1250(del ? sor.substr(1) : sor));
    w.set("xmlkod", xbase::cp852_to_cp1250(kod));
    w.append();
    deleted.push_back(del);
  }
  std::string rec(t->record_length(), ' ');
  for (uint32_t r = 1; r <= deleted.size(); ++r) {
    if (!deleted[r - 1]) continue;
    t->read_record(r, rec.data());
    rec[0] = '*';
    t->write_record(r, rec.data());
  }
  t->close();
}

// The shipped rows with the tests' identifiers, less the row of `leave_out`.
inline std::vector<std::pair<std::string, std::string>> test_rows(const std::string& leave_out = "") {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const store::M30Row& r : store::m30_rows())
    if (r.key != leave_out) rows.push_back({r.sor, "id_" + r.key});
  return rows;
}

inline std::string row_table_path(const Station& s) { return s.file("xxx/seg23m30.dbf"); }

inline void xml_installation(Station& s) {
  certs::testing::build_installation(s, [](store::RecordWriter& c, store::RecordWriter& p) {
    append(c, {{"VKOD", "001"}, {"VNEV", "Kiss & Társa <Kft>"}, {"ADOSZAM", "12345678242"},
               {"IRSZAM", "1051"}, {"HELYSEG", "Budapest"}, {"UTCA", "Nádor"},
               {"KOZTER", "utca"}, {"HAZSZAM", "21"}, {"EMELET", "3"}});
    append(c, {{"VKOD", "002"}, {"VNEV", "Nagy és Fia Bt."}, {"ADOSZAM", "87654321143"},
               {"IRSZAM", "6720"}, {"HELYSEG", "Szeged"}, {"UTCA", "Kárász"},
               {"KOZTER", "utca"}, {"HAZSZAM", "5"}});
    // A
    append(p, {
        {"VKOD", "001"}, {"SZEMSZAM", "8310472455"}, {"NYILAT", "M"}, {"VANHOZOTT", "I"},
        {"NEV", "Kovács János"}, {"VEZNEV", "Kovács"}, {"UTONEV", "János"},
        {"LEANYNEV", "Kovács János"}, {"LVEZNEV", "Kovács"}, {"LUTONEV", "János"},
        {"SZULIDO", Date::from_ymd(1980, 5, 17)}, {"SZULHELY", "Győr"},
        {"ANYJA", "Szabó\x01 Mária"}, {"AVEZNEV", "Szabó"}, {"AUTONEV", "Mária"},
        {"IRSZAM", "9021"}, {"HELYSEG", "Győr"}, {"KOZTNEV", "Baross Gábor"}, {"KOZTER", "út"},
        {"HAZSZAM", "12"}, {"EMELET", "4"}, {"AJTO", "15"},
        {"JOVEDELEM", 6543210}, {"MVKTGTER", 120000}, {"MVKTGBIZN", 20000},
        {"MASBERJOV", 45000}, {"ONALLOTEV", 1500000}, {"ONALLKTG", 300000},
        {"INGBERBE", 600000}, {"INGBERKTG", 60000}, {"ELOLEG", 981482},
        {"OSZT16", 1234567890}, {"OSZT16P", 1234567890}, {"OSZT16A", 185185184},
        {"OSZT16L", 185185184}, {"EGYFORR", 30000}, {"EGYFORRP", 30000}, {"EGYFORRA", 4500},
        {"EGYFORRL", 4500}, {"EGYFORNEV", "Kamat & <díj>"}, {"HUSZON5KE", 800000},
        {"ELSOHAZ30", 33340}, {"GYERK30", 1600000}, {"SZDIJ", 12000}, {"OSZTELO", 500000},
        {"OSZTELOA", 75000}, {"KULFDOLG", 250000},
        {"CSJKA01", 100000},
        {"CSJKA03", 503000}, {"CSJKJ03", 100600}, {"CSJKK03", 10000}, {"CSJKL03", 90600},
        {"SZCTV1_3", 10248710}, {"SZCTV5", 2260000}, {"SZCTV5AL", 2000000},
        {"SZCTV5AD", 260000},
    });
    // B
    append(p, {
        {"VKOD", "001"}, {"SZEMSZAM", "8390123452"}, {"NYILAT", "K"}, {"VANHOZOTT", "N"},
        {"NEV", "O'Hara \"Öcsi\" Éva"}, {"VEZNEV", "O'Hara"}, {"UTONEV", "\"Öcsi\" Éva"},
        {"ANYJA", "Nagy \"Kis\" Anna"}, {"IRSZAM", "6000"}, {"HELYSEG", "Kecskemét"},
        {"KOZTNEV", "Szent-Györgyi Albert"}, {"KOZTER", "sugárút"}, {"HAZSZAM", "123/B"},
        {"EPULET", "C"}, {"LEPCSO", "II"}, {"EMELET", "10"}, {"AJTO", "42"},
        {"JOVEDELEM", -15000}, {"KULSZOLG", 100000}, {"KULSZBIZN", 150000},
        {"ARFNYER", 100000}, {"ARFNYERP", 100000}, {"ARFNYERA", 15000}, {"ARFNYERL", 15000},
    });
    // C
    append(p, {
        {"VKOD", "002"}, {"SZEMSZAM", "8401234565"}, {"NYILAT", "M"}, {"NEV", "Kovács János"},
        {"VEZNEV", "Kovács"}, {"UTONEV", "János"}, {"SZULIDO", Date::from_ymd(1975, 3, 14)},
        {"SZULHELY", "Szeged"}, {"IRSZAM", "6722"}, {"HELYSEG", "Szeged"},
        {"KOZTNEV", "Tisza Lajos"}, {"KOZTER", "körút"}, {"HAZSZAM", "40"},
        {"JOVEDELEM", 300000}, {"ELOLEG", 45000},
        {"CSJKA12", 266800}, {"CSJKJ12", 49358}, {"CSJKL12", 49358},
    });
    // D
    append(p, {
        {"VKOD", "003"}, {"SZEMSZAM", "8412345673"}, {"NYILAT", "M"}, {"NEV", "Ifj. Tóth Gábor"},
        {"GROF", "Ifj."}, {"VEZNEV", "Tóth"}, {"UTONEV", "Gábor"},
        {"SZULIDO", Date::from_ymd(1990, 1, 2)}, {"JOVEDELEM", 1000000}, {"ELOLEG", 150000},
    });
  });
  write_row_table(row_table_path(s), test_rows());
}

// The run of every certificate of the fixture into the preview, with XML files.
inline certs::RunRequest xml_request() {
  certs::RunRequest r = certs::testing::screen_request("001", "003");
  r.selection.xml = true;
  return r;
}

}  // namespace efile::testing
