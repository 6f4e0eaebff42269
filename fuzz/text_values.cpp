// Fuzzes the text edges and the value formatting: UTF-8 and Windows-1250 input
// from outside, and TRANSFORM / VAL / CTOD / STR over arbitrary pictures and texts.
// Properties: no crash, CP852 survives the trip through UTF-8, a picture's result
// is never longer than the picture plus the decorations it asks for.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "xbase/cp852.h"
#include "xbase/error.h"
#include "xbase/functions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      std::string cp = xbase::utf8_to_cp852(in);
      if (xbase::utf8_to_cp852(xbase::cp852_to_utf8(in)) != in) __builtin_trap();
      if (xbase::cp1250_to_cp852(xbase::cp852_to_cp1250(cp)).size() != cp.size()) __builtin_trap();
      break;
    }
    case 1: {
      // picture | text
      std::size_t bar = in.find('|');
      std::string_view pic = in.substr(0, bar);
      std::string_view txt = bar == in.npos ? std::string_view() : in.substr(bar + 1);
      std::string out = xbase::transform(xbase::Value::str(std::string(txt)), pic);
      if (out.size() > pic.size() + txt.size()) __builtin_trap();
      (void)xbase::ctod(txt);
      xbase::Value v = xbase::val(txt);
      (void)xbase::str(v);
      break;
    }
    default: {
      if (in.size() < sizeof(double)) return 0;
      double n;
      std::memcpy(&n, in.data(), sizeof n);
      std::string_view pic = in.substr(sizeof n);
      std::string out = xbase::transform(xbase::Value::num(n), pic);
      // Numbers shown through a template never grow beyond it, except " CR"/" DB"/")".
      if (!pic.empty() && pic[0] != '@' && out.size() != pic.size()) __builtin_trap();
      (void)xbase::str(n, static_cast<int>(pic.size() % 30), static_cast<int>(pic.size() % 7));
      (void)xbase::round_half_away(n, static_cast<int>(pic.size() % 41) - 20);
      break;
    }
  }
  return 0;
}
