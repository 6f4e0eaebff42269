// The dBASE III table file: header, field descriptors and the field codec.
//
// Layout (see docs/dbf.md): a 32-byte header, one 32-byte descriptor per field, 0x0D
// (and 0x00), then fixed-length records, each a deletion flag byte followed by the
// fields in order; 0x1A may end the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/error.h"
#include "xbase/value.h"

namespace xbase {

// One field of a table's structure. Names are upper case, at most 10 characters.
struct FieldDef {
  std::string name;
  char type = 'C';   // C N D L (M and others are read from foreign tables)
  int width = 0;
  int decimals = 0;
  bool operator==(const FieldDef&) const = default;
};

using Structure = std::vector<FieldDef>;

inline constexpr int kDbfHeaderSize = 32;
inline constexpr int kDbfDescriptorSize = 32;
inline constexpr unsigned char kDbfVersion = 0x03;
inline constexpr char kDbfTerminator = 0x0D;
inline constexpr char kDbfEof = 0x1A;
inline constexpr int kDbfMaxFields = 2046;

// What the engine reads from a header; record_count is the header's own figure,
// which the engine does not trust (the file size decides).
struct DbfHeader {
  unsigned char version = kDbfVersion;
  int year = 0, month = 0, day = 0;  // last update
  uint32_t record_count = 0;
  uint32_t header_length = 0;
  uint32_t record_length = 0;
  Structure fields;
  std::vector<uint32_t> offsets;  // offset of each field inside a record (after the flag)
};

// Parses the header bytes (the first `header_length` bytes of the file, or as many as
// there are). Returns an empty optional and a reason on anything malformed.
std::optional<DbfHeader> parse_dbf_header(std::string_view bytes, std::string* reason);

// Checks a structure for CREATE; returns the reason it is refused, or "".
std::string check_structure(const Structure& fields);

// The header bytes (32 + 32·n + 2) of a table with this structure and record count,
// stamped with the given date.
std::string build_dbf_header(const Structure& fields, uint32_t record_count, int year, int month,
                             int day);
// Just the 32-byte fixed header (rewritten after appends).
void fill_fixed_header(char* out32, const Structure& fields, uint32_t record_count, int year,
                       int month, int day);
uint32_t record_length_of(const Structure& fields);

// Field codec. decode_field never fails: malformed contents give a documented value
// (numbers: the leading number as VAL() reads it, 0 when there is none; dates: the
// empty date; logicals: false). encode_field writes exactly def.width bytes and
// returns false with an error code when the value does not fit the field.
Value decode_field(const FieldDef& def, const char* p);
// The blank value of a field's type: spaces, 0, the empty date, false.
Value blank_value(const FieldDef& def);

enum class EncodeResult { Ok, WrongType, TooWide, NotWritable };
EncodeResult encode_field(const FieldDef& def, const Value& v, char* p);

// Right-aligned number text of exactly `width` characters with `decimals` decimals,
// rounded half away from zero; false when it does not fit.
bool format_number(double v, int width, int decimals, char* out);

// Parses a number as it stands in an N field (blanks around it); false for anything
// that is not a well-formed number. Used by checks.
bool parse_number_strict(std::string_view text, double* out);

// Field names: upper case, trimmed; true when `name` is a valid new field name.
std::string normalize_field_name(std::string_view name);
bool valid_field_name(std::string_view name);

// --- Errors of the table engine (subsystem "DBFNTX") ---
namespace dbferr {
inline constexpr int kOpen = 1001;
inline constexpr int kCreate = 1004;
inline constexpr int kRead = 1010;
inline constexpr int kWrite = 1011;
inline constexpr int kCorruption = 1012;
inline constexpr int kDataType = 1020;
inline constexpr int kDataWidth = 1021;
inline constexpr int kUnlocked = 1022;
inline constexpr int kShared = 1023;
inline constexpr int kAppendLock = 1024;
inline constexpr int kReadOnly = 1025;
inline constexpr int kNoTable = 1026;
inline constexpr int kLock = 1038;
inline constexpr int kDupAlias = 1039;
inline constexpr int kBadArgument = 1040;
}  // namespace dbferr

// DOS-style operating-system codes the error objects carry.
namespace oscode {
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpen = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kSharingViolation = 32;
inline constexpr int kLockViolation = 33;
inline constexpr int kFileInUse = 51;  // a create refused: another workstation holds the file
}  // namespace oscode

int os_code_from_errno(int err);

// Builds a DBFNTX error object; description follows the general code.
Error dbf_error(int gen_code, int sub_code, std::string filename, std::string operation,
                int os_code = 0, bool can_retry = false, bool can_default = false);

}  // namespace xbase
