// The preview files of the M30 and EKHO runs against golden files written by hand
// from the certificates' layout tables.
#include <gtest/gtest.h>

#include "certs/cert_fixture.h"
#include "certs/ekho_run.h"
#include "certs/m30_run.h"

namespace certs {
namespace {

using namespace testing;

TEST(Golden, M30PreviewOfEveryCertificate) {
  Station s;
  golden_installation(s);
  std::string shown;
  RunRequest req = screen_request("001", "999");
  req.show_preview = [&](const std::string& path) { shown = path; };
  RunResult r = run_m30(*s.ctx, req);
  EXPECT_EQ(r.outcome.status, print::JobStatus::Done);
  EXPECT_EQ(r.certificates, 5);
  EXPECT_EQ(shown, s.file("jovedig.prn"));
  EXPECT_TRUE(same_print(golden_bytes("jovedig.prn"), file_bytes(s.file("jovedig.prn"))));
}

TEST(Golden, EkhoPreviewOfThePersonsWithRevenue) {
  Station s;
  golden_installation(s);
  RunResult r = run_ekho(*s.ctx, screen_request("001", "999"));
  EXPECT_EQ(r.certificates, 2);
  EXPECT_TRUE(same_print(golden_bytes("ekhoig.prn"), file_bytes(s.file("ekhoig.prn"))));
}

}  // namespace
}  // namespace certs
