#include "print/text_convert.h"

#include "xbase/cp852.h"
#include "xbase/vars.h"

namespace print {

namespace {

bool cwi_applies(const console::Console& con, const xbase::Variables& vars) {
  if (con.device() != console::Device::Printer) return false;
  const xbase::Value* lkar = vars.find("LKAR852");
  return lkar != nullptr && lkar->is_logical() && !lkar->as_logical();
}

}  // namespace

std::string to_cwi(std::string_view cp852) {
  std::string out(cp852);
  for (char& ch : out) {
    switch (static_cast<unsigned char>(ch)) {
      case 0xB5: ch = '\x8F'; break;  // Á
      case 0x8B: ch = '\x94'; break;  // ő -> ö
      case 0x8A: ch = '\x99'; break;  // Ő -> Ö
      case 0xFB: ch = '\x81'; break;  // ű -> ü
      case 0xEB: ch = '\x9A'; break;  // Ű -> Ü
      case 0xE9: ch = 'U'; break;     // Ú
      case 0xE0: ch = '\xA2'; break;  // Ó
      case 0xD6: ch = 'I'; break;     // Í
      default: break;
    }
  }
  return out;
}

xbase::Value epsonkonv(const console::Console& con, const xbase::Variables& vars,
                       const xbase::Value& value) {
  if (!value.is_str() || !cwi_applies(con, vars)) return value;
  return xbase::Value::str(to_cwi(value.as_str()));
}

std::string epsonkonv(const console::Console& con, const xbase::Variables& vars,
                      std::string_view cp852) {
  if (!cwi_applies(con, vars)) return std::string(cp852);
  return to_cwi(cp852);
}

std::string k852win(std::string_view cp852) {
  std::string lines(cp852);
  for (char& ch : lines) {
    if (static_cast<unsigned char>(ch) == 0xC4) ch = '-';
    else if (static_cast<unsigned char>(ch) == 0xCD) ch = '=';
  }
  return xbase::cp852_to_cp1250(lines);
}

}  // namespace print
