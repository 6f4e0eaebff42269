// What a takeover could not place, for the clerk: one line per finding in the report
// "atvetel.txt" of the program directory (CP852, CR LF, written anew by every run).
#pragma once

#include <string>
#include <vector>

namespace takeover {

struct Finding {
  std::string vkod;
  std::string szemszam;  // blank for a finding about the company
  std::string nev;       // the person's, or the company's name
  std::string text;      // "ismeretlen kód …", "állampolgárság … nincs az országtáblában", …
};

// "001 8123456789 Kiss Anna: <text>".
std::string finding_line(const Finding& f);

// The report's file name in the program directory.
inline constexpr const char* kReportFile = "atvetel.txt";

// Writes the report (an empty file when there is nothing to report). False when it
// could not be written.
bool write_report(const std::string& path, const std::vector<Finding>& findings);

}  // namespace takeover
