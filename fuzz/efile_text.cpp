// Fuzzes the texts of the M30 XML files and the form filler's configuration line.
// Properties: whatever a table field holds, its value text has no markup character
// left bare and no control character, so the file stays well-formed; a cleaned
// name never holds a path separator; the configuration's value never crashes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "efile/form_filler.h"
#include "efile/xml_text.h"

namespace {

// Every "&" begins one of the five entities.
bool bare_markup(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 32 || c == '<' || c == '>' || c == '"' || c == '\'') return true;
    if (c == '&') {
      std::string_view rest = s.substr(i);
      if (!rest.starts_with("&amp;") && !rest.starts_with("&lt;") && !rest.starts_with("&gt;") &&
          !rest.starts_with("&quot;") && !rest.starts_with("&apos;"))
        return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (bare_markup(efile::text_value(in))) __builtin_trap();
  std::string name = efile::xml_file_name("23", 1, in);
  if (name.find('/') != std::string::npos) __builtin_trap();
  (void)efile::abevjava_path_value(in);
  return 0;
}
