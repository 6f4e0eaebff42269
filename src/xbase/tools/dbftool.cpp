// dbftool: looks into, creates, fills and checks dBASE tables, and tries the
// workstations' locks. Terminal side UTF-8; table text CP852.
//
//   dbftool info T.dbf
//   dbftool dump T.dbf                      every record as CSV, first column "*" if deleted
//   dbftool create T.dbf NAME:TYPE:WIDTH:DEC,...
//   dbftool append T.dbf < rows.csv         rows in field order (a leading "*"/"" column allowed)
//   dbftool check T.dbf                     exit 0 when sound, 1 with a line per fault
//
// The check and check-index commands speak the program's language: their findings are
// the table and index checks' Hungarian lines, and so are the lines around them.
//   dbftool hold T.dbf MODE SECONDS         MODE: shared | exclusive | rlock:N | flock
//   dbftool probe T.dbf MODE                prints "granted" or "refused"
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "dbftool_csv.h"
#include "dbftool_ntx.h"
#include "xbase/cp852.h"
#include "xbase/dbf_check.h"
#include "xbase/dbf_table.h"
#include "xbase/fileio.h"
#include "xbase/workarea.h"

namespace xbase::tools {
namespace {

int usage() {
  std::fprintf(stderr,
               "usage: dbftool info|dump|check T.dbf\n"
               "       dbftool create T.dbf NAME:TYPE:WIDTH:DEC,...\n"
               "       dbftool append T.dbf < rows.csv\n"
               "       dbftool hold T.dbf shared|exclusive|rlock:N|flock SECONDS\n"
               "       dbftool probe T.dbf shared|exclusive|rlock:N|flock\n"
               "       dbftool index T.dbf \"KEY EXPRESSION\" I.ntx\n"
               "       dbftool check-index T.dbf I.ntx\n"
               "       dbftool seek T.dbf I.ntx TEXT\n");
  return 2;
}

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}
std::string trim(std::string s) {
  s = rtrim(std::move(s));
  size_t a = s.find_first_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a);
}

std::string file_arg(const char* arg) { return with_default_extension(arg, ".dbf"); }

int cmd_info(const std::string& path) {
  auto t = DbfTable::open(path, false, true);
  const DbfHeader& h = t->header();
  std::printf("table: %s\n", t->path().c_str());
  std::printf("records: %u\n", t->record_count());
  if (h.record_count != t->record_count())
    std::printf("header record count: %u (the file size decides)\n", h.record_count);
  std::printf("last update: %04d-%02d-%02d\n", h.year, h.month, h.day);
  std::printf("header length: %u\nrecord length: %u\nfields: %zu\n", h.header_length,
              h.record_length, h.fields.size());
  int i = 0;
  for (const FieldDef& f : h.fields)
    std::printf("%4d %-10s %c %5d %2d\n", ++i, f.name.c_str(), f.type, f.width, f.decimals);
  return 0;
}

// The CSV text of a field: numbers with a point and a leading minus, dates YYYYMMDD,
// logicals T/F, text in UTF-8 without trailing blanks; a blank number or date is empty.
std::string field_text(const FieldDef& f, const char* p) {
  std::string raw(p, static_cast<size_t>(f.width));
  switch (f.type) {
    case 'N':
    case 'F': {
      if (trim(raw).empty()) return "";
      double v = decode_field(f, p).as_num();
      char buf[64];
      if (!format_number(v, 40, f.decimals, buf)) return trim(raw);
      return trim(std::string(buf, 40));
    }
    case 'D': {
      Date d = decode_field(f, p).as_date();
      return d.empty() ? "" : d.dtos();
    }
    case 'L':
      return decode_field(f, p).as_logical() ? "T" : "F";
    case 'M':
      return "";
    default:
      return cp852_to_utf8(rtrim(raw));
  }
}

int cmd_dump(const std::string& path) {
  auto t = DbfTable::open(path, false, true);
  std::string rec(t->record_length(), ' ');
  std::string line;
  for (uint32_t r = 1; r <= t->record_count(); ++r) {
    if (!t->read_record(r, rec.data())) break;
    line.clear();
    if (rec[0] == '*') line += '*';
    for (size_t i = 0; i < t->fields().size(); ++i) {
      line += ',';
      line += csv_field(field_text(t->fields()[i], rec.data() + t->field_offset(static_cast<int>(i))));
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
}

bool parse_int(const std::string& s, int* out) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  *out = std::atoi(s.c_str());
  return true;
}

int cmd_create(const std::string& path, const std::string& layout) {
  Structure fields;
  size_t pos = 0;
  while (pos <= layout.size()) {
    size_t comma = layout.find(',', pos);
    if (comma == std::string::npos) comma = layout.size();
    std::string item = layout.substr(pos, comma - pos);
    pos = comma + 1;
    if (item.empty()) continue;
    std::vector<std::string> parts;
    size_t a = 0;
    while (true) {
      size_t c = item.find(':', a);
      parts.push_back(item.substr(a, c == std::string::npos ? std::string::npos : c - a));
      if (c == std::string::npos) break;
      a = c + 1;
    }
    FieldDef f;
    f.name = normalize_field_name(parts[0]);
    f.type = parts.size() > 1 && !parts[1].empty()
                 ? static_cast<char>(std::toupper(static_cast<unsigned char>(parts[1][0])))
                 : 'C';
    f.width = f.type == 'D' ? 8 : f.type == 'L' ? 1 : 0;
    if ((parts.size() > 2 && !parse_int(parts[2], &f.width)) ||
        (parts.size() > 3 && !parse_int(parts[3], &f.decimals)) || parts.size() > 4) {
      std::fprintf(stderr, "dbftool: bad field definition: %s\n", item.c_str());
      return 2;
    }
    fields.push_back(f);
  }
  std::string why = check_structure(fields);
  if (!why.empty()) {
    std::fprintf(stderr, "dbftool: %s\n", why.c_str());
    return 1;
  }
  DbfTable::create(path, fields)->close();
  return 0;
}

// Converts one CSV field into a value for `f`; false with a message when it does not fit.
bool csv_value(const FieldDef& f, const std::string& text, Value* v, bool* leave_blank,
               std::string* why) {
  *leave_blank = false;
  switch (f.type) {
    case 'N':
    case 'F': {
      double n = 0;
      if (trim(text).empty()) {
        *leave_blank = true;
        return true;
      }
      if (!parse_number_strict(text, &n)) return *why = "not a number: " + text, false;
      *v = Value::num(n, f.width, f.decimals);
      return true;
    }
    case 'D': {
      std::string t = trim(text);
      if (t.empty()) {
        *v = Value::date(Date());
        return true;
      }
      Date d = Date::from_dtos(t);
      if (d.empty()) return *why = "not a date (YYYYMMDD): " + text, false;
      *v = Value::date(d);
      return true;
    }
    case 'L': {
      std::string t = trim(text);
      if (t.empty()) {
        *leave_blank = true;
        return true;
      }
      char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
      if (t.size() != 1 || (c != 'T' && c != 'F' && c != 'Y' && c != 'N'))
        return *why = "not a logical (T/F): " + text, false;
      *v = Value::logical(c == 'T' || c == 'Y');
      return true;
    }
    case 'C': {
      std::string s = utf8_to_cp852(text);
      if (rtrim(s).size() > static_cast<size_t>(f.width))
        return *why = "text longer than " + std::to_string(f.width) + ": " + text, false;
      *v = Value::str(s);
      return true;
    }
    default:
      *leave_blank = true;
      return true;
  }
}

constexpr int kAppendBatch = 500;

int cmd_append(const std::string& path) {
  WorkAreas wa;
  wa.use(path, "", OpenMode::Shared);
  WorkArea& a = wa.current();
  const int nf = a.field_count();
  std::vector<std::string> row;
  int line = 0, bad = 0, added = 0;
  while (read_csv_row(std::cin, row)) {
    ++line;
    if (row.size() == 1 && row[0].empty()) continue;  // an empty line
    size_t first = 0;
    bool deleted = false;
    if (static_cast<int>(row.size()) == nf + 1) {
      deleted = row[0] == "*";
      if (!deleted && !row[0].empty()) {
        std::fprintf(stderr, "dbftool: line %d: first column must be \"*\" or empty\n", line);
        ++bad;
        continue;
      }
      first = 1;
    } else if (static_cast<int>(row.size()) != nf) {
      std::fprintf(stderr, "dbftool: line %d: %zu columns, the table has %d fields\n", line,
                   row.size(), nf);
      ++bad;
      continue;
    }
    std::vector<Value> values(static_cast<size_t>(nf));
    std::vector<bool> blank(static_cast<size_t>(nf));
    bool ok = true;
    for (int i = 0; i < nf; ++i) {
      std::string why;
      bool leave = false;
      if (!csv_value(a.field(i), row[first + static_cast<size_t>(i)], &values[static_cast<size_t>(i)],
                     &leave, &why)) {
        std::fprintf(stderr, "dbftool: line %d: field %s: %s\n", line, a.field(i).name.c_str(),
                     why.c_str());
        ok = false;
      }
      blank[static_cast<size_t>(i)] = leave;
    }
    if (!ok) {
      ++bad;
      continue;
    }
    // Rows go in batches under one file lock, each batch committed before the lock
    // is released, so other workstations wait at most one batch.
    if (!a.table()->file_locked())
      while (!a.flock()) ::usleep(10000);
    if (!a.append_blank()) return 1;
    for (int i = 0; i < nf; ++i)
      if (!blank[static_cast<size_t>(i)]) a.put(i, values[static_cast<size_t>(i)]);
    if (deleted) a.delete_record();
    if (++added % kAppendBatch == 0) {
      a.commit();
      a.unlock();
    }
  }
  a.commit();
  a.unlock();
  wa.close_all();
  std::fprintf(stderr, "dbftool: %d record(s) appended\n", added);
  return bad ? 1 : 0;
}

int cmd_check(const std::string& path) {
  TableCheck c = check_table(path);
  for (const std::string& line : c.faults) std::printf("%s\n", cp852_to_utf8(line).c_str());
  if (!c.opened) return 1;
  for (const std::string& line : c.notes)
    std::printf("megjegyzés: %s\n", cp852_to_utf8(line).c_str());
  if (c.sound()) std::printf("rendben: %u rekord\n", c.records);
  else std::printf("%d hiba\n", c.fault_count);
  return c.sound() ? 0 : 1;
}

// Takes the named mode; false when refused.
bool take(WorkAreas& wa, const std::string& path, const std::string& mode) {
  wa.set_error_handler([](Error&) { return ErrorAnswer::fallback(); });
  bool exclusive = mode == "exclusive";
  if (!exclusive && mode != "shared" && mode != "flock" && mode.rfind("rlock:", 0) != 0)
    throw std::invalid_argument(mode);
  if (!wa.use(path, "", exclusive ? OpenMode::Exclusive : OpenMode::Shared)) return false;
  WorkArea& a = wa.current();
  if (mode == "flock") return a.flock();
  if (mode.rfind("rlock:", 0) == 0) {
    int n = 0;
    if (!parse_int(mode.substr(6), &n) || n < 1) throw std::invalid_argument(mode);
    a.go_to(static_cast<uint32_t>(n));
    return a.rlock();
  }
  return true;
}

int cmd_hold(const std::string& path, const std::string& mode, const std::string& secs) {
  int seconds = 0;
  if (!parse_int(secs, &seconds)) return usage();
  WorkAreas wa;
  if (!take(wa, path, mode)) {
    std::printf("refused\n");
    return 1;
  }
  std::printf("holding\n");
  std::fflush(stdout);
  ::sleep(static_cast<unsigned>(seconds));
  return 0;
}

int cmd_probe(const std::string& path, const std::string& mode) {
  WorkAreas wa;
  bool ok = take(wa, path, mode);
  std::printf(ok ? "granted\n" : "refused\n");
  return ok ? 0 : 1;
}

int run(int argc, char** argv) {
  if (int rc = run_index_command(argc, argv); rc >= 0) return rc;
  if (argc < 3) return usage();
  std::string cmd = argv[1];
  std::string path = file_arg(argv[2]);
  if (cmd == "info" && argc == 3) return cmd_info(path);
  if (cmd == "dump" && argc == 3) return cmd_dump(path);
  if (cmd == "check" && argc == 3) return cmd_check(path);
  if (cmd == "append" && argc == 3) return cmd_append(path);
  if (cmd == "create" && argc == 4) return cmd_create(path, argv[3]);
  if (cmd == "hold" && argc == 5) return cmd_hold(path, argv[3], argv[4]);
  if (cmd == "probe" && argc == 4) return cmd_probe(path, argv[3]);
  return usage();
}

}  // namespace
}  // namespace xbase::tools

int main(int argc, char** argv) {
  try {
    return xbase::tools::run(argc, argv);
  } catch (const xbase::ErrorException& ex) {
    std::fprintf(stderr, "dbftool: %s", ex.what());
    if (ex.error().os_code) std::fprintf(stderr, " (DOS Error %d)", ex.error().os_code);
    std::fprintf(stderr, "\n");
    return 1;
  } catch (const std::invalid_argument&) {
    return xbase::tools::usage();
  }
}
