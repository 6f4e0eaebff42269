#include "dbftool_csv.h"

namespace xbase::tools {

bool read_csv_row(std::istream& in, std::vector<std::string>& row) {
  row.clear();
  std::string line;
  if (!std::getline(in, line)) return false;
  std::string field;
  bool quoted = false;
  size_t i = 0;
  while (true) {
    if (i >= line.size()) {
      if (quoted) {  // a line break inside quotes
        std::string more;
        if (!std::getline(in, more)) break;
        field += '\n';
        line = more;
        i = 0;
        continue;
      }
      break;
    }
    char c = line[i++];
    if (quoted) {
      if (c == '"') {
        if (i < line.size() && line[i] == '"') {
          field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
    } else if (c == '\r' && i == line.size()) {
      // CR of a CR LF line end
    } else {
      field += c;
    }
  }
  row.push_back(field);
  return true;
}

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace xbase::tools
