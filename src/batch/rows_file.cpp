#include "batch/rows_file.h"

#include "efile/m30_fields.h"
#include "store/m30_rows.h"
#include "store/tables.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"

namespace batch {

namespace {

std::string quoted(std::string_view key_cp852) {
  return "„" + xbase::cp852_to_utf8(key_cp852) + "”";
}

// How the row of a key is recognised, for the fault's text.
std::string own_row(std::string_view key_cp852) {
  for (const efile::XmlField& f : efile::m30_fields())
    if (f.key == key_cp852)
      return "amelynek sor mezője a(z) " + quoted(key_cp852) +
             (f.type == efile::ValueType::Number ? " szóval végződik" : " szóval kezdődik");
  return "";
}

// The line of the key's row in the export of the shipped table, 0 when it has none.
int shipped_line(std::string_view key_cp852) {
  const std::vector<store::M30Row>& rows = store::m30_rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].key == key_cp852) return static_cast<int>(i) + 2;
  return 0;
}

bool is_header(std::string_view line) {
  std::string h = xbase::alltrim(line);
  for (char& c : h)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return h == kRowsHeader;
}

int field_width(std::string_view name) {
  return store::find_field(store::m30_row_table(), name)->width;
}

struct Reader {
  RowsFile out;
  std::vector<int> lines;  // the line of each row
  const int sor_width = field_width("sor"), kod_width = field_width("xmlkod");

  void fault(int line, std::string text) { out.faults.push_back({line, std::move(text)}); }

  void row(int number, std::string_view utf8) {
    std::string text;
    switch (xbase::utf8_to_cp1250(utf8, text)) {
      case xbase::Utf8Fault::None: break;
      case xbase::Utf8Fault::NotUtf8:
        return fault(number, "nem UTF-8 szöveg (Latin-2 vagy Windows-1250 kódolású a fájl?); "
                             "mentse a fájlt UTF-8 kódolással");
      case xbase::Utf8Fault::NotInCp1250:
        return fault(number, "olyan karakter, amely a Windows-1250 kódlapban nincs meg");
    }
    const size_t semicolon = text.rfind(';');
    if (semicolon == std::string::npos)
      return fault(number, "nincs benne „;”: a sor és az xmlkod pontosvesszővel elválasztva");
    const std::string sor = xbase::alltrim(std::string_view(text).substr(0, semicolon));
    const std::string kod = xbase::alltrim(std::string_view(text).substr(semicolon + 1));
    bool good = true;
    auto check = [&](const std::string& value, const char* name, int width) {
      if (value.empty()) {
        fault(number, std::string("üres a(z) ") + name + " mező");
        good = false;
      } else if (static_cast<int>(value.size()) > width) {
        fault(number, std::string("a(z) ") + name + " " + std::to_string(value.size()) +
                          " karakter, legfeljebb " + std::to_string(width) + " fér el");
        good = false;
      }
    };
    check(sor, "sor", sor_width);
    check(kod, "xmlkod", kod_width);
    if (!good) return;
    out.rows.emplace_back(sor, kod);
    lines.push_back(number);
  }

  void keys() {
    std::vector<efile::RowTable::Row> rows;
    for (const auto& [sor, kod] : out.rows) rows.push_back({sor, kod});
    for (const efile::KeyFault& k : efile::key_faults(efile::RowTable(std::move(rows)))) {
      if (k.taken_by) {
        fault(lines[*k.taken_by], "ez a sor kapja a(z) " + quoted(k.key) +
                                      " kulcsot, pedig nem az övé: a kulcs saját sora (" +
                                      own_row(k.key) + ") hiányzik, vagy csak e sor után áll");
      } else {
        fault(0, "hiányzik a(z) " + quoted(k.key) + " kulcs sora (" + own_row(k.key) +
                     "); a szállított tábla exportjában ez a " +
                     std::to_string(shipped_line(k.key)) + ". sor");
      }
    }
  }
};

}  // namespace

RowsText rows_text(const efile::RowTable& rows) {
  RowsText out;
  out.text = std::string(kRowsHeader) + "\r\n";
  for (size_t i = 0; i < rows.rows().size(); ++i) {
    const efile::RowTable::Row& r = rows.rows()[i];
    if (r.xmlkod.find(';') != std::string::npos) out.unwritable.push_back(i);
    out.text += xbase::cp1250_to_utf8(r.sor) + ";" + xbase::cp1250_to_utf8(r.xmlkod) + "\r\n";
  }
  return out;
}

RowsFile parse_rows_file(std::string_view bytes) {
  Reader r;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (xbase::alltrim(bytes).empty()) {
    r.fault(1, std::string("üres fájl; az első sora a fejléc: ") + std::string(kRowsHeader));
    return r.out;
  }
  int number = 0;
  while (!bytes.empty()) {
    ++number;
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (number == 1) {
      if (!is_header(line))
        r.fault(1, std::string("nem a fejléc; az első sor: ") + std::string(kRowsHeader));
      continue;
    }
    if (xbase::alltrim(line).empty()) continue;
    r.row(number, line);
  }
  if (!r.out.faults.empty()) return r.out;
  if (r.out.rows.empty()) {
    r.fault(2, "nincs egy sor sem a fejléc után");
    return r.out;
  }
  r.keys();
  return r.out;
}

}  // namespace batch
