// Opens arbitrary bytes as an NTX index, checks it, walks it both ways, seeks and
// updates it. Malformed input must end in an error object, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scratch_file.h"
#include "xbase/ntx_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = write_scratch_file("fuzz_ntx_open_", ".ntx", data, size);
  if (path.empty()) return 0;
  try {
    xbase::NtxOptions opts;
    opts.cache_pages = 64;
    auto f = xbase::NtxFile::open(path, opts);
    f->check(100);
    int steps = 0;
    for (bool ok = f->go_top(); ok && steps < 3000; ok = f->next()) ++steps;
    for (bool ok = f->go_bottom(); ok && steps < 6000; ok = f->prev()) ++steps;
    std::string key = size > 40 ? std::string(reinterpret_cast<const char*>(data) + 30, 6) : "A";
    bool found = false;
    f->seek(key, &found);
    f->seek_last(key);
    f->insert(key, 7);
    f->insert("ZZZ", 8);
    f->remove(key, 7);
    f->check(0);
  } catch (const xbase::ErrorException&) {
  }
  return 0;
}
