#include "takeover/company_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <optional>

#include "shell/reindex.h"
#include "shell/startup_files.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "takeover/payroll_layout.h"
#include "xbase/dbf_table.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"

namespace takeover {

namespace {

namespace pf = support::platform;
using payroll::SlotFamily;

std::string hu(std::string_view s) { return std::string(s); }

int field_pos(const xbase::Structure& s, std::string_view name) {
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i].name == name) return static_cast<int>(i);
  return -1;
}

bool type_fits(char want, char have) {
  if (want == 'N') return have == 'N' || have == 'F';
  return want == have;
}

// The structure of a table, or why it cannot be read.
std::optional<xbase::Structure> structure_of(const std::string& path, const std::string& file,
                                             std::vector<std::string>& missing) {
  if (!pf::exists(path)) {
    missing.push_back(file + hu(HU(" hiányzik")));
    return std::nullopt;
  }
  try {
    auto t = xbase::DbfTable::open(path, false, true);
    xbase::Structure s = t->fields();
    t->close();
    return s;
  } catch (const xbase::ErrorException& e) {
    missing.push_back(file + (e.error().os_code == xbase::oscode::kSharingViolation
                                  ? hu(HU(" foglalt"))
                                  : hu(HU(" nem olvasható"))));
    return std::nullopt;
  }
}

void require(const xbase::Structure& s, const std::string& file, std::string_view name, char type,
             std::vector<std::string>& missing) {
  int p = field_pos(s, name);
  if (p >= 0 && type_fits(type, s[static_cast<size_t>(p)].type)) return;
  missing.push_back(file + " " + std::string(name) + hu(HU(" mezője hiányzik")));
}

void require_family(const xbase::Structure& s, const std::string& file, const SlotFamily& f,
                    int members, std::vector<std::string>& missing) {
  for (int n = 1; n <= members; ++n) {
    require(s, file, payroll::member_field(f.code, n), 'C', missing);
    for (const char* a : f.amounts) require(s, file, payroll::member_field(a, n), 'N', missing);
  }
}

std::string squeeze_upper(std::string_view s) {
  std::string out;
  for (char c : s)
    if (c != ' ') out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return out;
}

// An index file that is there: readable, and on the key the run seeks with.
bool index_sound(const std::string& path, std::string_view key) {
  try {
    auto f = xbase::NtxFile::open(path, {xbase::NtxShare::Shared, true, 16});
    return squeeze_upper(f->key_expr()) == squeeze_upper(key);
  } catch (const xbase::ErrorException&) {
    return false;
  }
}

}  // namespace

SlotCounts count_slots(const xbase::Structure& s) {
  auto count = [&](const SlotFamily& f, int from) {
    for (int n = from; n >= 1; --n) {
      int p = field_pos(s, payroll::member_field(f.code, n));
      if (p >= 0 && s[static_cast<size_t>(p)].type == 'C') return n;
    }
    return 0;
  };
  SlotCounts c;
  c.ktgdb = count(payroll::cost_codes(), 10);
  c.nemrdb = count(payroll::income_types(), 10);
  c.tbelldb = count(payroll::benefits(), 10);
  c.levdb = count(payroll::deductions(), 48);
  return c;
}

std::string CompanyCheck::text() const {
  std::string out;
  for (const std::string& m : missing) out += (out.empty() ? "" : ", ") + m;
  return out;
}

bool dir_writable(const std::string& dir) {
  std::string probe = pf::join(dir, "atvetel.prb");
  int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return pf::exists(probe);  // a probe left behind: the directory is writable
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

CompanyCheck check_company(shell::Context& ctx, const std::string& payroll_dir,
                           const std::string& company_dir, std::string_view ev,
                           bool member_records) {
  CompanyCheck c;
  std::vector<std::string>& missing = c.missing;
  const std::string dir = pf::find_nocase(company_dir);

  const payroll::Table country = payroll::country_table();
  if (auto s = structure_of(pf::find_nocase(pf::join(payroll_dir, "orszag.dbf")), "orszag.dbf",
                            missing))
    for (const payroll::Field& f : country.fields) require(*s, "orszag.dbf", f.name, f.type, missing);

  const std::vector<payroll::Table> tables = payroll::company_tables(ev);
  std::vector<std::optional<xbase::Structure>> found;
  for (const payroll::Table& t : tables) {
    std::string file = t.file + ".dbf";
    found.push_back(structure_of(pf::find_nocase(pf::join(dir, file)), file, missing));
    if (!found.back()) continue;
    for (const payroll::Field& f : t.fields)
      if (f.required) require(*found.back(), file, f.name, f.type, missing);
  }

  const std::string wage = payroll::monthly_name("alktb", ev);
  const std::string member = payroll::monthly_name("tagtb", ev);
  const std::string other = payroll::monthly_name("egyeb", ev);
  for (size_t i = 0; i < tables.size(); ++i) {
    if (!found[i]) continue;
    const xbase::Structure& s = *found[i];
    const std::string file = tables[i].file + ".dbf";
    if (tables[i].file == wage) {
      c.counts = count_slots(s);
      require_family(s, file, payroll::income_types(), c.counts.nemrdb, missing);
      require_family(s, file, payroll::benefits(), c.counts.tbelldb, missing);
      require_family(s, file, payroll::cost_codes(), c.counts.ktgdb, missing);
      require_family(s, file, payroll::deductions(), c.counts.levdb, missing);
    }
  }
  for (size_t i = 0; i < tables.size(); ++i) {
    if (!found[i]) continue;
    const xbase::Structure& s = *found[i];
    const std::string file = tables[i].file + ".dbf";
    if (tables[i].file == member && member_records) {
      require_family(s, file, payroll::benefits(), c.counts.tbelldb, missing);
      require_family(s, file, payroll::cost_codes(), c.counts.ktgdb, missing);
      require_family(s, file, payroll::deductions(), c.counts.levdb, missing);
    }
    int gyerek = field_pos(s, "GYEREK");
    if (tables[i].file == other && gyerek >= 0 && s[static_cast<size_t>(gyerek)].type == 'N')
      for (const std::string& f : payroll::other_payment_allowance_fields())
        require(s, file, f, 'N', missing);
  }
  if (!missing.empty()) return c;

  // The index files: none trusted under "gond.baj", the missing ones built.
  if (pf::exists(pf::join(dir, "gond.baj"))) {
    shell::DELCSILL2(dir, "*.ntx");
    if (pf::exists(pf::join(dir, "*.ntx"))) {
      missing.push_back(hu(HU("az index fájlok nem törölhetők")));
      return c;
    }
  }
  std::optional<bool> writable;  // asked only when an index file is to be built
  for (const payroll::Table& t : tables) {
    bool build = false;
    for (const payroll::Index& i : t.indexes) {
      std::string path = pf::find_nocase(pf::join(dir, i.file + ".ntx"));
      if (!pf::exists(path)) {
        build = true;
      } else if (!index_sound(path, i.key)) {
        missing.push_back(i.file + hu(HU(".ntx hibás")));
      }
    }
    if (!build) continue;
    if (!writable) writable = dir_writable(dir);
    if (!*writable) {
      for (const payroll::Index& i : t.indexes)
        if (!pf::exists(pf::join(dir, i.file + ".ntx")))
          missing.push_back(i.file + hu(HU(".ntx nem készíthető el (a könyvtár csak olvasható)")));
      continue;
    }
    xbase::AreaSelection keep(ctx.areas);
    ctx.areas.select(0);
    bool built = shell::VANINDEX(ctx, pf::join(dir, t.file), t.indexes[0].key,
                                 t.indexes.size() > 1 ? t.indexes[1].key : "");
    ctx.areas.close_area();
    if (!built) missing.push_back(t.indexes[0].file + hu(HU(".ntx nem készíthető el")));
  }
  return c;
}

}  // namespace takeover
