// What the certificate tests share: a workstation with a company table "vallal" of
// given codes (named "Cég <code>"), indexed on the code, open under VALLAL.
#pragma once

#include <string>
#include <vector>

#include "shell/shell_test_util.h"
#include "store/tables.h"
#include "store/template_dir.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"

namespace certs::testing {

// `n` cells of a screen row from `col`, as CP852 bytes.
inline std::string cells(const console::Screen& s, int row, int col, int n) {
  std::string out;
  for (int c = col; c < col + n; ++c) out += static_cast<char>(s.at(row, c).ch);
  return out;
}

struct CompanyStation : shell::testing::Station {
  explicit CompanyStation(const std::vector<std::string>& codes, bool exclusive = true) {
    store::create_template_table(dir, store::company_table());
    {
      xbase::WorkAreas w;
      EXPECT_TRUE(w.use(file("vallal"), "VALLAL", xbase::OpenMode::Exclusive));
      xbase::WorkArea& a = w.current();
      for (const std::string& code : codes) {
        EXPECT_TRUE(a.append_blank());
        a.put("vkod", xbase::Value::str(code));
        a.put("vnev", xbase::Value::str(std::string(HU("Cég ")) + code));
        a.put("flag", xbase::Value::str(std::string(1, '\xFE')));  // left from an earlier pick
      }
      a.add_order(xbase::NtxOrder::index_on(a, file("vallal"), "vkod",
                                            xbase::ntx_key_function(w, "vkod")));
      w.close_all();
    }
    open(exclusive);
  }
  void open(bool exclusive) {
    areas.select(1);
    EXPECT_TRUE(areas.use(file("vallal"), "VALLAL",
                          exclusive ? xbase::OpenMode::Exclusive : xbase::OpenMode::Shared));
    areas.current().add_order(
        xbase::NtxOrder::open(areas.current(), file("vallal"), xbase::ntx_key_function(areas, "vkod")));
    areas.current().go_top();
  }
  xbase::WorkArea& vallal() { return *areas.find("VALLAL"); }
  // The codes whose FLAG holds the mark, in record order.
  std::vector<std::string> marked() {
    std::vector<std::string> out;
    xbase::WorkArea& a = vallal();
    uint32_t keep = a.recno();
    for (uint32_t r = 1; r <= a.lastrec(); ++r) {
      a.go_to(r);
      if (a.get("flag").as_str() == "\xFE") out.push_back(a.get("vkod").as_str());
    }
    a.go_to(keep);
    return out;
  }
  // Another workstation (a forked process) adds a company with `code` while this one
  // has the table open; its exit status (0 when it did).
  int append_elsewhere(const std::string& code) {
    shell::testing::Other other([&](int, int) {
      xbase::WorkAreas w;
      if (!w.use(file("vallal"), "VALLAL", xbase::OpenMode::Shared)) return 1;
      xbase::WorkArea& a = w.current();
      a.add_order(xbase::NtxOrder::open(a, file("vallal"), xbase::ntx_key_function(w, "vkod")));
      if (!a.flock() || !a.append_blank()) return 2;
      a.put("vkod", xbase::Value::str(code));
      a.unlock();
      w.close_all();
      return 0;
    });
    return other.finish();
  }
  void type(std::string_view s) {
    for (char c : s) term->key(static_cast<unsigned char>(c));
  }
};

}  // namespace certs::testing
