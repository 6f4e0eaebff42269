// Index keys made straight from the record bytes, for the usual key shapes.
//
// INDEX ON evaluates its key for every record. The keys the program and its files use are
// concatenations of character fields and texts, HUNGORD or UPPER of them, LEFT, RIGHT,
// SUBSTR or PADR of them, DTOS of a date field and STR of a numeric field; a single
// numeric, date or logical field is a key as well. Such a key is compiled once against the
// table's structure into a routine that copies field bytes (through the upper-case table
// where asked) into the key, with no value objects per record. Every other expression is
// left to the evaluator, and so are records a routine cannot take as they are (a number
// or date field in an unusual form): the results are the evaluator's, byte for byte.
//
//   auto routine = NtxKeyRoutine::compile("vkod+HUNGORD(nev)", table);
//   if (routine && routine->run(record, key)) … key holds routine->size() bytes
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/dbf_format.h"
#include "xbase/value.h"

namespace xbase {

class DbfTable;
struct FunctionDef;

class NtxKeyRoutine {
 public:
  // The routine for `key_text` over the table's records; nullopt when the text is not
  // one of the shapes above (or does not compile).
  static std::optional<NtxKeyRoutine> compile(std::string_view key_text, const DbfTable& table);

  // The key's type ('C', 'N', 'D', 'L'), size and decimals, as the evaluator's value on
  // any record gives them.
  char type() const { return type_; }
  std::size_t size() const { return size_; }
  int decimals() const { return decimals_; }

  // Writes the key bytes of `record` (the table's record bytes, the deletion flag first)
  // to `out` (size() bytes). False when this record is left to the evaluator.
  bool run(const char* record, char* out) const;

 private:
  // One stretch of a character key.
  struct Part {
    enum class Kind { Field, Text, Call } kind = Kind::Text;
    uint32_t from = 0;  // Field: where in the record; Call: bytes of the result skipped
    uint32_t len = 0;   // bytes this part gives
    const std::array<unsigned char, 256>* map = nullptr;  // applied to the bytes; none: as is
    std::string text;   // Text
    // Call: fn(field value, args...), a text of `full` bytes.
    const FunctionDef* fn = nullptr;
    int field = -1;
    std::vector<Value> args;
    uint32_t full = 0;
  };
  using Parts = std::vector<Part>;
  struct Compiler;

  bool run_call(const Part& p, const char* record, char* out) const;

  char type_ = 'C';
  std::size_t size_ = 0;
  int decimals_ = 0;
  Parts parts_;          // character keys
  int value_field_ = -1;  // numeric, date and logical keys: the field
  Structure fields_;
  std::vector<uint32_t> offsets_;  // of each field in the record (the flag is byte 0)
  std::vector<std::shared_ptr<const std::array<unsigned char, 256>>> maps_;
};

}  // namespace xbase
