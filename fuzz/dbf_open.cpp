// Opens arbitrary bytes as a table and reads every field of every record, forwards
// and backwards. Malformed input must end in an error object, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scratch_file.h"
#include "xbase/workarea.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = write_scratch_file("fuzz_dbf_open_", ".dbf", data, size);
  if (path.empty()) return 0;
  try {
    xbase::WorkAreas areas;
    if (areas.use(path, "FUZZ", xbase::OpenMode::Exclusive, true)) {
      xbase::WorkArea& a = areas.current();
      size_t seen = 0;
      for (a.go_top(); !a.eof(); a.skip()) {
        for (int i = 0; i < a.field_count(); ++i) seen += a.get(i).as_str().size();
      }
      for (a.go_bottom(); !a.bof() && a.recno() > 0; a.skip(-1)) {
        if (a.deleted()) ++seen;
      }
      a.go_to(static_cast<uint32_t>(size));
      (void)seen;
    }
  } catch (const xbase::ErrorException&) {
  }
  return 0;
}
