// Fuzzes the reading of the record replacement's journal "atiras.jel" (what a start
// finds after a crash). Properties: no crash; a journal read is written back to the
// same text's meaning; its ranges run forwards and name only plain table files.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/record_replace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto j = shell::parse_replace_journal(text);
  if (!j) return 0;
  for (const auto& t : j->tables) {
    if (t.file.find('/') != std::string::npos) __builtin_trap();
    for (auto [a, b] : t.drop)
      if (a == 0 || b < a) __builtin_trap();
  }
  auto again = shell::parse_replace_journal(shell::format_replace_journal(*j));
  if (!again || again->appended != j->appended || again->tables.size() != j->tables.size())
    __builtin_trap();
  return 0;
}
