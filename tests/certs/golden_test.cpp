// The preview files of the M30 and EKHO runs against golden files written by hand
// from the certificates' layout tables.
#include <gtest/gtest.h>

#include "certs/cert_fixture.h"
#include "certs/ekho_report.h"
#include "certs/m30_report.h"
#include "xbase/expr_workareas.h"

namespace certs {
namespace {

using namespace testing;

Selection both_types(std::string from = "001", std::string to = "999") {
  Selection s;
  s.kvkod1 = std::move(from);
  s.kvkod2 = std::move(to);
  s.condi = ".T..AND.nyilat$'MK'";
  return s;
}

TEST(Golden, M30PreviewOfEveryCertificate) {
  Station s;
  golden_installation(s);
  console::Printer printer;
  ASSERT_TRUE(printer.set_printer(s.file("jovedig.prn")));
  M30Report report(*s.ctx, false);
  Selection sel = both_types();
  auto passes = xbase::text_condition(s.areas, sel.condi, &s.vars);
  EXPECT_EQ(write_m30(*s.ctx, printer, report, sel, passes, {}), 5);
  printer.close();
  EXPECT_TRUE(same_print(golden_bytes("jovedig.prn"), file_bytes(s.file("jovedig.prn"))));
}

TEST(Golden, EkhoPreviewOfThePersonsWithRevenue) {
  Station s;
  golden_installation(s);
  console::Printer printer;
  ASSERT_TRUE(printer.set_printer(s.file("ekhoig.prn")));
  EkhoReport report(*s.ctx, false);
  Selection sel = both_types();
  auto passes = xbase::text_condition(s.areas, sel.condi, &s.vars);
  EXPECT_EQ(write_ekho(*s.ctx, printer, report, sel, passes, {}), 2);
  printer.close();
  EXPECT_TRUE(same_print(golden_bytes("ekhoig.prn"), file_bytes(s.file("ekhoig.prn"))));
}

}  // namespace
}  // namespace certs
