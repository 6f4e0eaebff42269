// CSV rows as dbftool reads and writes them: comma-separated, a field quoted when it
// holds a comma, a quote or a line break, quotes doubled inside quotes.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace xbase::tools {

// Reads one row; false at the end of input. A trailing CR is dropped.
bool read_csv_row(std::istream& in, std::vector<std::string>& row);

std::string csv_field(const std::string& text);

}  // namespace xbase::tools
