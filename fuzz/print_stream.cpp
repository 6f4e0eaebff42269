// Fuzzes the reading of print-job bytes for the PDF maker, in both printer
// languages (the first byte chooses). Properties: no crash; every run has a
// positive cell and pitch and holds no control byte; pages have finite extents.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "print/pdf_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  auto lang = data[0] & 1 ? print::pdf::Language::Hp : print::pdf::Language::Epson;
  std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (const auto& page : print::pdf::read_pages(in, lang)) {
    if (!std::isfinite(page.width) || !std::isfinite(page.height)) __builtin_trap();
    for (const auto& run : page.runs) {
      if (!(run.cell > 0) || !(run.pitch > 0) || run.text.empty()) __builtin_trap();
      for (char c : run.text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
    }
  }
  return 0;
}
