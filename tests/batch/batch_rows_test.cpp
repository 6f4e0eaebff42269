// The M30 row table out to its text file and back: the same bytes, the identifiers
// an office puts in reaching the XML files, every faulty file refused with its line
// and the table untouched, and the wait for a workstation that reads the table.
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <thread>

#include "batch/batch_test_util.h"
#include "batch/rows_file.h"
#include "efile/efile_test_util.h"
#include "efile/xml_fixture.h"
#include "store/m30_rows.h"
#include "store/template_dir.h"
#include "xbase/lock.h"

namespace batch {
namespace {

using namespace batch::testing;
using certs::testing::file_bytes;

std::vector<std::string> with_dir(const Installation& inst, std::vector<std::string> args) {
  std::vector<std::string> all = {"--dir", inst.dir, "--date", "2024.01.31"};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

// The certificate fixture with the template directory the program ships.
void shipped_rows(shell::testing::Station& s) {
  certs::testing::golden_installation(s);
  store::write_template_dir(s.file("xxx"));
}

void write_text(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The lines of a text without their CR LF ends.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

// The line (1-based) of the key's row (UTF-8) in the export of the shipped table.
size_t line_of(const std::string& key) {
  const auto& rows = store::m30_rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].key == xbase::utf8_to_cp852(key)) return i + 2;
  ADD_FAILURE() << key;
  return 0;
}

std::string to_latin2(const std::string& utf8) {
  iconv_t cd = iconv_open("ISO-8859-2", "UTF-8");
  std::string in = utf8, out(utf8.size(), '\0');
  char *ip = in.data(), *op = out.data();
  size_t il = in.size(), ol = out.size();
  EXPECT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - ol);
  return out;
}

TEST(BatchRows, ExportThenImportKeepsTheShippedTableByteForByte) {
  Installation inst(shipped_rows);
  const std::string table = inst.file("xxx/seg23m30.dbf"), text = inst.drive + "/sorok.txt";
  const std::string shipped = file_bytes(table);

  BatchResult out = batch(with_dir(inst, {"rows", "--export", text}));
  ASSERT_EQ(out.code, 0) << out.err;
  EXPECT_EQ(out.out, text + "\n");
  const std::vector<std::string> lines = lines_of(file_bytes(text));
  ASSERT_EQ(lines.size(), store::m30_rows().size() + 1);
  // From the data file's first rows and its last, by hand.
  EXPECT_EQ(lines[0], "sor;xmlkod");
  EXPECT_EQ(lines[1], "munkaltato_neve Munkáltató, kifizető neve;M30_001");
  EXPECT_EQ(lines[line_of("korábbi") - 1], "korábbi munkáltató adatait is tartalmazza (I/N);M30_016");
  EXPECT_EQ(lines.back(), "datum Kiállítás dátuma;M30_129");

  BatchResult in = batch(with_dir(inst, {"rows", "--import", text}));
  ASSERT_EQ(in.code, 0) << in.err;
  EXPECT_EQ(file_bytes(table), shipped);
  EXPECT_TRUE(contains(in.err, "a sortábla nem változott: xxx/seg23m30.dbf")) << in.err;

  // Written anew, changed and back: the template writer's bytes, but for the date.
  std::vector<std::string> changed = lines;
  changed[1] = "munkaltato_neve Munkáltató, kifizető neve;0A0001C001A";
  write_text(text, joined(changed));
  BatchResult once = batch(with_dir(inst, {"rows", "--import", text}));
  ASSERT_EQ(once.code, 0) << once.err;
  EXPECT_EQ(once.out, table + "\n");
  EXPECT_NE(file_bytes(table), shipped);
  write_text(text, joined(lines));
  ASSERT_EQ(batch(with_dir(inst, {"rows", "--import", text})).code, 0);
  EXPECT_EQ(file_bytes(table).substr(4), shipped.substr(4));
}

TEST(BatchRows, AnIdentifierChangedReachesEveryXmlFileThatHasTheField) {
  Installation inst(efile::testing::xml_installation);
  const std::string text = inst.drive + "/sorok.txt";
  ASSERT_EQ(batch(with_dir(inst, {"rows", "--export", text})).code, 0);
  std::vector<std::string> lines = lines_of(file_bytes(text));
  const size_t d1 = line_of("D1") - 1;
  ASSERT_EQ(lines[d1], "1. munkaviszonyból származó bérjövedelem D1;id_D1");
  lines[d1] = "1. munkaviszonyból származó bérjövedelem D1 ; M30-D1-új ";
  write_text(text, joined(lines));
  BatchResult in = batch(with_dir(inst, {"rows", "--import", text}));
  ASSERT_EQ(in.code, 0) << in.err;

  BatchResult r = batch(with_dir(inst, {"m30", "--xml", "--companies", "001-003"}));
  ASSERT_EQ(r.code, 0) << r.err;
  for (const std::string& name : efile::testing::golden_names()) {
    // The golden file with the one identifier replaced, in Windows-1250.
    std::string want = efile::testing::golden_xml(name);
    const std::string old_field = "<mezo eazon=\"id_D1\">";
    const size_t at = want.find(old_field);
    ASSERT_NE(at, std::string::npos) << name;
    want.replace(at, old_field.size(), "<mezo eazon=\"M30-D1-\xFAj\">");
    EXPECT_EQ(efile::testing::read_file(inst.dir + "/M30XML/" + name), want) << name;
  }
}

TEST(BatchRows, AFaultyFileIsRefusedWithItsLineAndTheTableStaysAsItWas) {
  Installation inst(shipped_rows);
  const std::string text = inst.drive + "/sorok.txt";
  ASSERT_EQ(batch(with_dir(inst, {"rows", "--export", text})).code, 0);
  const std::vector<std::string> good = lines_of(file_bytes(text));
  const auto without = [&](const std::string& key) {
    std::vector<std::string> l = good;
    l.erase(l.begin() + static_cast<long>(line_of(key) - 1));
    return joined(l);
  };
  const auto with_line = [&](size_t n, const std::string& line) {
    std::vector<std::string> l = good;
    l[n - 1] = line;
    return joined(l);
  };
  struct Case {
    const char* what;
    std::string text;
    std::string named;
  };
  const Case cases[] = {
      {"a main-sheet row left out: the month row takes its key", without("B2"),
       ", " + std::to_string(line_of("[01]B2") - 1) + ". sor: ez a sor kapja a(z) „B2” kulcsot"},
      {"a row no other row stands for", without("[01]B607"),
       ": hiányzik a(z) „[01]B607” kulcs sora (amelynek sor mezője a(z) „[01]B607” szóval "
       "végződik); a szállított tábla exportjában ez a " + std::to_string(line_of("[01]B607")) +
           ". sor"},
      {"an identifier too long", with_line(3, "munkaltato_cim_irszam x;" + std::string(31, 'A')),
       ", 3. sor: a(z) xmlkod 31 karakter, legfeljebb 30 fér el"},
      {"a designation too long", with_line(4, std::string(81, 'x') + ";M30_004"),
       ", 4. sor: a(z) sor 81 karakter, legfeljebb 80 fér el"},
      {"a line without its separator", with_line(5, "dolgozo_adoazonosito M30_005"),
       ", 5. sor: nincs benne „;”"},
      {"an empty identifier", with_line(6, "dolgozo_titulus Magánszemély titulusa; "),
       ", 6. sor: üres a(z) xmlkod mező"},
      {"an empty file", "", ", 1. sor: üres fájl"},
      {"no header", joined({good.begin() + 1, good.end()}), ", 1. sor: nem a fejléc"},
      {"the header alone", "sor;xmlkod\r\n", ", 2. sor: nincs egy sor sem a fejléc után"},
      {"Latin-2 instead of UTF-8", to_latin2(joined(good)),
       ", 2. sor: nem UTF-8 szöveg (Latin-2 vagy Windows-1250 kódolású a fájl?)"},
      {"a character Windows-1250 lacks", with_line(7, "dolgozo_neve Családi név;M30_007 ☺"),
       ", 7. sor: olyan karakter, amely a Windows-1250 kódlapban nincs meg"},
  };
  const auto before = snapshot(inst.dir + "/xxx");
  for (const Case& c : cases) {
    write_text(text, c.text);
    BatchResult r = batch(with_dir(inst, {"rows", "--import", text}));
    EXPECT_EQ(r.code, 4) << c.what;
    EXPECT_TRUE(contains(r.err, "mvirda23 rows: " + text + c.named)) << c.what << "\n" << r.err;
    EXPECT_TRUE(contains(r.err, "a sortábla nem változott")) << c.what;
    EXPECT_EQ(r.out, "") << c.what;
    EXPECT_EQ(snapshot(inst.dir + "/xxx"), before) << c.what;
  }
  // A Latin-2 file names every line with an accented letter, and no other.
  write_text(text, to_latin2(joined(good)));
  BatchResult r = batch(with_dir(inst, {"rows", "--import", text}));
  size_t accented = 0, named = 0;
  for (const std::string& l : good)
    accented += std::any_of(l.begin(), l.end(), [](char c) { return c & 0x80; });
  for (size_t at = 0; (at = r.err.find(". sor: nem UTF-8 szöveg", at)) != std::string::npos; ++at)
    ++named;
  EXPECT_EQ(named, accented);
  EXPECT_TRUE(contains(r.err, ", 4. sor: nem UTF-8")) << r.err;  // "irányítószám"
}

TEST(BatchRows, AnImportWaitsForAWorkstationReadingTheTableThenGivesUp) {
  Installation inst(shipped_rows);
  const std::string table = inst.file("xxx/seg23m30.dbf"), text = inst.drive + "/sorok.txt";
  ASSERT_EQ(batch(with_dir(inst, {"rows", "--export", text})).code, 0);
  std::vector<std::string> lines = lines_of(file_bytes(text));
  lines[1] = "munkaltato_neve Munkáltató, kifizető neve;0A0001C001A";
  write_text(text, joined(lines));
  const std::string shipped = file_bytes(table);

  // A workstation after an XML run: the table open shared.
  int fd = ::open(table.c_str(), O_RDONLY);
  ASSERT_TRUE(xbase::filelock::open_lock(fd, false));
  BatchResult busy = batch(with_dir(inst, {"--wait", "1", "rows", "--import", text}));
  EXPECT_EQ(busy.code, 5) << busy.err;
  EXPECT_TRUE(contains(busy.err, "seg23m30.dbf")) << busy.err;
  EXPECT_EQ(file_bytes(table), shipped);

  std::thread release([fd] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ::close(fd);
  });
  BatchResult waited = batch(with_dir(inst, {"--wait", "10", "rows", "--import", text}));
  release.join();
  EXPECT_EQ(waited.code, 0) << waited.err;
  EXPECT_TRUE(contains(file_bytes(table), "0A0001C001A"));
}

TEST(BatchRows, TheCheckSaysWhileThePlaceholdersAreInTheTable) {
  Installation shipped(shipped_rows);
  BatchResult r = batch(with_dir(shipped, {"check"}));
  EXPECT_TRUE(contains(r.out, "xxx/seg23m30.dbf: " + std::to_string(store::m30_rows().size()) +
                                  " sorában még a program ideiglenes XML mezőazonosítója áll "
                                  "(M30_001 …); a valódiak betöltése: mvirda23 batch rows "
                                  "--export sorok.txt"))
      << r.out;
  Installation own(efile::testing::xml_installation);  // identifiers of its own
  BatchResult none = batch(with_dir(own, {"check"}));
  EXPECT_FALSE(contains(none.out, "seg23m30")) << none.out;
  EXPECT_EQ(none.code, r.code);
}

TEST(RowsFile, WhatAnEditorMayChangeBesidesTheRows) {
  // A byte-order mark, LF ends, blank lines, blanks around the fields, a ";" in a
  // designation, the header in capitals.
  std::string text = "\xEF\xBB\xBFSOR;XMLKOD\n\n";
  for (const store::M30Row& r : store::m30_rows())
    text += " " + (r.key == "D4" ? "4. más; bérjövedelem D4" : xbase::cp852_to_utf8(r.sor)) +
            " ;  X" + r.key.substr(0, 1) + "\n";
  RowsFile f = parse_rows_file(text);
  ASSERT_TRUE(f.faults.empty()) << f.faults[0].line << " " << f.faults[0].text;
  ASSERT_EQ(f.rows.size(), store::m30_rows().size());
  EXPECT_EQ(f.rows[0], store::M30RowText("munkaltato_neve Munk\xE1ltat\xF3, kifizet\xF5 neve", "Xm"));
  const size_t d4 = line_of("D4") - 2;
  EXPECT_EQ(f.rows[d4].first, "4. m\xE1s; b\xE9rj\xF6vedelem D4");
}

}  // namespace
}  // namespace batch
