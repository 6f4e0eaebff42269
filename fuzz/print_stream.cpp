// Fuzzes the reading of print-job bytes for the PDF maker, in both printer
// languages (the first byte chooses), and the drawing of the pages read, each twice
// over so that their blocks become forms. Properties: no crash; every run has a
// positive cell and pitch and holds no control byte; pages have finite extents; a
// content stream's text objects are closed and it names only forms made before.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "print/pdf_font.h"
#include "print/pdf_page.h"
#include "print/pdf_stream.h"

namespace {

void check_content(const std::string& content, int forms) {
  bool in_text = false;
  for (size_t at = 0; at < content.size();) {
    size_t end = content.find('\n', at);
    if (end == std::string::npos) __builtin_trap();  // every operator line ends
    std::string_view line(content.data() + at, end - at);
    if (line == "BT" || line == "ET") {
      if (in_text == (line == "BT")) __builtin_trap();
      in_text = line == "BT";
    } else if (line.starts_with("q 1 0 0 1 0 ")) {
      size_t x = line.find("cm/X");
      if (in_text || x == std::string_view::npos || !line.ends_with(" Do Q")) __builtin_trap();
      int n = std::atoi(std::string(line.substr(x + 4)).c_str());
      if (n < 1 || n > forms) __builtin_trap();
    }
    at = end + 1;
  }
  if (in_text) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  auto lang = data[0] & 1 ? print::pdf::Language::Hp : print::pdf::Language::Epson;
  std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  const auto pages = print::pdf::read_pages(in, lang);
  for (const auto& page : pages) {
    if (!std::isfinite(page.width) || !std::isfinite(page.height)) __builtin_trap();
    for (const auto& run : page.runs) {
      if (!(run.cell > 0) || !(run.pitch > 0) || run.text.empty()) __builtin_trap();
      for (char c : run.text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
    }
  }
  static const print::pdf::Font font;  // the metrics are all the drawing needs
  print::pdf::PageDrawer drawer(font);
  print::pdf::PageFrame frame;
  int forms = 0;
  for (int round = 0; round < 3; ++round)
    for (const auto& page : pages) {
      const print::pdf::DrawnPage& drawn = drawer.draw(page, frame);
      for (const auto& form : drawn.forms) {
        if (form.number != ++forms) __builtin_trap();
        check_content(form.content, 0);
      }
      check_content(drawn.content, forms);
    }
  return 0;
}
