// What the batch tests share: an installation in <drive>/VIRDA23 with the
// certificate fixture's records, the batch run called in-process with its output
// caught, and the files of a directory to tell that nothing changed.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "certs/cert_fixture.h"
#include "common/scoped_env.h"
#include "print/settings.h"
#include "batch/run.h"
#include "xbase/workarea.h"

namespace batch::testing {

struct BatchResult {
  int code = -1;
  std::string out, err;
};

// Runs "mvirda23 batch" with `args`, stdout and stderr caught.
inline BatchResult batch(const std::vector<std::string>& args,
                         const BatchServices& services = {.start = program_start_services()}) {
  char *out_buf = nullptr, *err_buf = nullptr;
  size_t out_len = 0, err_len = 0;
  std::FILE* out = open_memstream(&out_buf, &out_len);
  std::FILE* err = open_memstream(&err_buf, &err_len);
  BatchResult r;
  r.code = run_batch(args, services, out, err);
  std::fclose(out);
  std::fclose(err);
  r.out.assign(out_buf, out_len);
  r.err.assign(err_buf, err_len);
  std::free(out_buf);
  std::free(err_buf);
  return r;
}

// A drive with the installation VIRDA23 on it (VIRDA_DRIVE points at it while the
// object lives), filled with the certificate fixture's records and indexed.
struct Installation {
  std::string drive = made_drive();
  std::string dir = drive + "/VIRDA23";
  ScopedEnv drive_env{"VIRDA_DRIVE", drive};

  explicit Installation(void (*fill)(shell::testing::Station&) = certs::testing::golden_installation) {
    std::filesystem::create_directory(dir);
    {
      shell::testing::Station s(dir);
      fill(s);
      s.areas.close_all();
    }
    std::ofstream(dir + "/cegnev.txt") << xbase::utf8_to_cp852("Próba Bérszámfejtő Bt.") << "\r\n";
  }
  ~Installation() { std::filesystem::remove_all(drive); }
  std::string file(const std::string& name) const { return dir + "/" + name; }

 private:
  static std::string made_drive() {
    std::string base = std::filesystem::temp_directory_path().string() + "/batchtest-XXXXXX";
    return ::mkdtemp(base.data());
  }
};

// The printer settings as F2 stores them in "konstans": an EPSON printer on the route
// `nprport` (1..5 LPT1..LPT5, 6 USB, 7 PDF), set, so that the start keeps them.
inline void printer_route(const Installation& inst, int nprport) {
  xbase::WorkAreas areas;
  ASSERT_TRUE(areas.use(inst.file("konstans.dbf"), "", xbase::OpenMode::Exclusive));
  xbase::WorkArea& k = areas.current();
  k.go_top();
  if (k.eof()) {
    ASSERT_TRUE(k.append_blank());
  }
  k.put("NYOMTIP", xbase::Value::num(1));
  k.put("NPRPORT", xbase::Value::num(nprport));
  areas.close_all();
}

// Every file of a directory with its bytes.
inline std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.is_regular_file())
      files[e.path().filename().string()] = certs::testing::file_bytes(e.path().string());
  return files;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace batch::testing
