// Fuzzes the reading of the update check's version file "verzio.txt" (whatever a
// web server sends back) and of the address file "wwwellen.txt" line. Properties:
// no crash, an announced version is at most 7 characters, and the version found is
// the one the first program line gives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "maint/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto v = maint::announced_version(text, "23");
  if (v && v->size() > 7) __builtin_trap();
  if (v) (void)maint::is_newer(*v, "2023.01");
  // The same text behind a line that announces a version: that line decides.
  auto first = maint::announced_version("VIRDA23:2023.05\n" + std::string(text), "23");
  if (!first || *first != "2023.05") __builtin_trap();
  return 0;
}
