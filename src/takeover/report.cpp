#include "takeover/report.h"

#include "support/platform_files.h"
#include "xbase/functions.h"

namespace takeover {

std::string finding_line(const Finding& f) {
  return f.vkod + " " + xbase::padr(f.szemszam, 10) + " " + xbase::rtrim(f.nev) + ": " + f.text;
}

bool write_report(const std::string& path, const std::vector<Finding>& findings) {
  std::string text;
  for (const Finding& f : findings) text += finding_line(f) + "\r\n";
  support::platform::File out;
  if (!out.create(path)) return false;
  return out.write(text) == text.size();
}

}  // namespace takeover
