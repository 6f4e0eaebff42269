#include "store/m30_rows.h"

#include <stdexcept>

#include "xbase/cp852.h"
#include "xbase/functions.h"

namespace store {

std::vector<M30Row> parse_m30_rows(std::string_view utf8) {
  std::vector<M30Row> rows;
  int number = 0;
  while (!utf8.empty()) {
    ++number;
    size_t end = utf8.find('\n');
    std::string_view line = utf8.substr(0, end);
    utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (xbase::alltrim(line).empty() || line.front() == '#') continue;

    std::vector<std::string> parts;
    for (size_t from = 0;;) {
      size_t bar = line.find('|', from);
      parts.push_back(xbase::alltrim(line.substr(from, bar == std::string_view::npos ? bar : bar - from)));
      if (bar == std::string_view::npos) break;
      from = bar + 1;
    }
    const std::string where = "seg23m30.txt line " + std::to_string(number);
    if (parts.size() != 4 || parts[0].empty() || parts[1].empty() || parts[2].empty())
      throw std::invalid_argument(where + ": wants key | SOR | XMLKOD | state");
    if (parts[3] != "confirmed" && parts[3] != "unconfirmed")
      throw std::invalid_argument(where + ": the state is \"confirmed\" or \"unconfirmed\"");
    rows.push_back({xbase::utf8_to_cp852(parts[0]), xbase::utf8_to_cp852(parts[1]),
                    xbase::utf8_to_cp852(parts[2]), parts[3] == "confirmed"});
  }
  return rows;
}

const std::vector<M30Row>& m30_rows() {
  static const std::vector<M30Row> rows = parse_m30_rows(m30_rows_text());
  return rows;
}

}  // namespace store
