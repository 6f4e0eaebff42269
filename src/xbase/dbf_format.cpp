#include "xbase/dbf_format.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "xbase/hutext.h"

namespace xbase {
namespace {

uint16_t get16(const char* p) {
  return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) |
                               (static_cast<unsigned char>(p[1]) << 8));
}
uint32_t get32(const char* p) {
  return static_cast<uint32_t>(static_cast<unsigned char>(p[0])) |
         (static_cast<uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
         (static_cast<uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(p[3])) << 24);
}
void put16(char* p, uint32_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Text fields wider than 255 keep the high byte of the width in the decimals byte.
bool wide_char_field(char type) { return type == 'C'; }

const char* description_of(int gen_code) {
  switch (gen_code) {
    case gen::kCreate: return "Create error";
    case gen::kOpen: return "Open error";
    case gen::kClose: return "Close error";
    case gen::kRead: return "Read error";
    case gen::kWrite: return "Write error";
    case gen::kUnsupported: return "Operation not supported";
    case gen::kCorruption: return "Corruption detected";
    case gen::kDataType: return "Data type error";
    case gen::kDataWidth: return "Data width error";
    case gen::kNoTable: return "Workarea not in use";
    case gen::kShared: return "Exclusive required";
    case gen::kUnlocked: return "Lock required";
    case gen::kReadOnly: return "Write not allowed";
    case gen::kAppendLock: return "Append lock failed";
    case gen::kLock: return "Lock failure";
    case gen::kDupAlias: return "Alias already in use";
    case gen::kNoAlias: return "Alias does not exist";
    case gen::kArg: return "Argument error";
    default: return "Error";
  }
}

}  // namespace

uint32_t record_length_of(const Structure& fields) {
  uint32_t n = 1;
  for (const auto& f : fields) n += static_cast<uint32_t>(f.width);
  return n;
}

std::optional<DbfHeader> parse_dbf_header(std::string_view bytes, std::string* reason) {
  auto fail = [&](std::string_view why) -> std::optional<DbfHeader> {
    if (reason) *reason = std::string(why);
    return std::nullopt;
  };
  if (bytes.size() < kDbfHeaderSize) return fail(HU("a fejléc rövidebb 32 bájtnál"));
  const char* b = bytes.data();
  DbfHeader h;
  h.version = static_cast<unsigned char>(b[0]);
  // dBASE III and its memo variants (0x83, 0x8B, 0xF5 …) all keep version 3 in the low bits.
  if ((h.version & 0x07) != 3 && (h.version & 0x07) != 4) return fail(HU("nem dBASE tábla"));
  h.year = 1900 + static_cast<unsigned char>(b[1]);
  h.month = static_cast<unsigned char>(b[2]);
  h.day = static_cast<unsigned char>(b[3]);
  h.record_count = get32(b + 4);
  h.header_length = get16(b + 8);
  h.record_length = get16(b + 10);
  if (h.header_length < kDbfHeaderSize + kDbfDescriptorSize + 1)
    return fail(HU("túl kicsi a fejléc hossza"));
  if (bytes.size() < h.header_length) return fail(HU("a fájl rövidebb a fejlécénél"));
  uint32_t pos = kDbfHeaderSize;
  uint32_t offset = 1;
  while (true) {
    if (pos >= h.header_length) return fail(HU("a mezőleírások túlnyúlnak a fejlécen"));
    if (b[pos] == kDbfTerminator) break;
    if (pos + kDbfDescriptorSize > h.header_length)
      return fail(HU("a mezőleírások túlnyúlnak a fejlécen"));
    const char* d = b + pos;
    FieldDef f;
    size_t nlen = 0;
    while (nlen < 11 && d[nlen] != '\0') ++nlen;
    f.name = normalize_field_name(std::string_view(d, nlen));
    if (f.name.empty()) return fail(HU("név nélküli mező"));
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(d[11])));
    f.width = static_cast<unsigned char>(d[16]);
    f.decimals = static_cast<unsigned char>(d[17]);
    if (wide_char_field(f.type)) {
      f.width += f.decimals * 256;
      f.decimals = 0;
    }
    if (f.width <= 0) return fail(HU("nulla szélességű mező"));
    if (f.type == 'N' || f.type == 'F') {
      if (f.decimals >= f.width) return fail(HU("túl sok tizedesjegyű numerikus mező"));
    }
    h.offsets.push_back(offset);
    offset += static_cast<uint32_t>(f.width);
    h.fields.push_back(std::move(f));
    if (h.fields.size() > kDbfMaxFields) return fail(HU("túl sok mező"));
    pos += kDbfDescriptorSize;
  }
  if (h.fields.empty()) return fail(HU("mező nélküli tábla"));
  if (offset > h.record_length) return fail(HU("a mezők hosszabbak a rekordnál"));
  return h;
}

std::string normalize_field_name(std::string_view name) {
  size_t a = 0, e = name.size();
  while (a < e && name[a] == ' ') ++a;
  while (e > a && name[e - 1] == ' ') --e;
  std::string s(name.substr(a, e - a));
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

bool valid_field_name(std::string_view name) {
  if (name.empty() || name.size() > 10) return false;
  if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

std::string check_structure(const Structure& fields) {
  if (fields.empty()) return "no fields";
  if (fields.size() > kDbfMaxFields) return "too many fields";
  uint32_t reclen = 1;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& f = fields[i];
    if (!valid_field_name(f.name)) return "bad field name: " + f.name;
    for (size_t j = 0; j < i; ++j)
      if (fields[j].name == f.name) return "duplicate field name: " + f.name;
    switch (f.type) {
      case 'C':
        if (f.width < 1 || f.width > 65535 || f.decimals != 0) return "bad width of " + f.name;
        break;
      case 'N':
        if (f.width < 1 || f.width > 20 || f.decimals < 0 || f.decimals > 15 ||
            (f.decimals > 0 && f.decimals > f.width - 2))
          return "bad width of " + f.name;
        break;
      case 'D':
        if (f.width != 8 || f.decimals != 0) return "bad width of " + f.name;
        break;
      case 'L':
        if (f.width != 1 || f.decimals != 0) return "bad width of " + f.name;
        break;
      default:
        return "unsupported field type of " + f.name;
    }
    reclen += static_cast<uint32_t>(f.width);
  }
  if (reclen > 65535) return "record too long";
  return "";
}

void fill_fixed_header(char* out, const Structure& fields, uint32_t record_count, int year,
                       int month, int day) {
  std::memset(out, 0, kDbfHeaderSize);
  out[0] = static_cast<char>(kDbfVersion);
  out[1] = static_cast<char>((year - 1900) & 0xFF);
  out[2] = static_cast<char>(month);
  out[3] = static_cast<char>(day);
  put32(out + 4, record_count);
  put16(out + 8, static_cast<uint32_t>(kDbfHeaderSize + kDbfDescriptorSize * fields.size() + 2));
  put16(out + 10, record_length_of(fields));
}

std::string build_dbf_header(const Structure& fields, uint32_t record_count, int year, int month,
                             int day) {
  std::string h(kDbfHeaderSize + kDbfDescriptorSize * fields.size() + 2, '\0');
  fill_fixed_header(h.data(), fields, record_count, year, month, day);
  char* d = h.data() + kDbfHeaderSize;
  for (const auto& f : fields) {
    std::memcpy(d, f.name.data(), std::min<size_t>(f.name.size(), 10));
    d[11] = f.type;
    if (f.type == 'C') {
      d[16] = static_cast<char>(f.width & 0xFF);
      d[17] = static_cast<char>((f.width >> 8) & 0xFF);
    } else {
      d[16] = static_cast<char>(f.width);
      d[17] = static_cast<char>(f.decimals);
    }
    d += kDbfDescriptorSize;
  }
  d[0] = kDbfTerminator;
  d[1] = '\0';
  return h;
}

// --- field codec ---

static double leading_number(const char* p, int width) {
  int i = 0;
  while (i < width && p[i] == ' ') ++i;
  bool neg = false;
  if (i < width && (p[i] == '-' || p[i] == '+')) {
    neg = p[i] == '-';
    ++i;
  }
  // Integer part kept exact while it fits; the decimals scaled once at the end.
  long long digits = 0;
  int ndig = 0, frac = 0;
  double big = 0;
  bool use_big = false;
  bool seen_point = false;
  for (; i < width; ++i) {
    char c = p[i];
    if (c >= '0' && c <= '9') {
      if (!use_big && ndig < 18) {
        digits = digits * 10 + (c - '0');
      } else {
        if (!use_big) big = static_cast<double>(digits), use_big = true;
        big = big * 10 + (c - '0');
      }
      ++ndig;
      if (seen_point) ++frac;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  double v = use_big ? big : static_cast<double>(digits);
  if (frac > 0) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10,
                                        1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    v = frac <= 18 ? v / kPow10[frac] : v / std::pow(10.0, frac);
  }
  return neg ? -v : v;
}

Value decode_field(const FieldDef& def, const char* p) {
  switch (def.type) {
    case 'C':
      return Value::str(std::string(p, static_cast<size_t>(def.width)));
    case 'N':
    case 'F':
      return Value::num(leading_number(p, def.width), def.width, def.decimals);
    case 'D':
      return Value::date(def.width == 8 ? Date::from_dtos(std::string_view(p, 8)) : Date());
    case 'L':
      return Value::logical(p[0] == 'T' || p[0] == 't' || p[0] == 'Y' || p[0] == 'y');
    case 'M':
      return Value::str("");
    default:
      return Value::str(std::string(p, static_cast<size_t>(def.width)));
  }
}

Value blank_value(const FieldDef& def) {
  switch (def.type) {
    case 'N':
    case 'F': return Value::num(0, def.width, def.decimals);
    case 'D': return Value::date(Date());
    case 'L': return Value::logical(false);
    case 'M': return Value::str("");
    default: return Value::str(std::string(static_cast<size_t>(def.width), ' '));
  }
}

bool format_number(double v, int width, int decimals, char* out) {
  if (!std::isfinite(v)) return false;
  static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                      1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (decimals < 0 || decimals > 15) return false;
  double scaled = std::fabs(v) * kPow10[decimals];
  char buf[64];
  int len;
  if (scaled < 9.0e17) {
    // Half away from zero, with a nudge for binary fractions such as 2.675.
    unsigned long long n = static_cast<unsigned long long>(scaled + 0.5 + scaled * 1e-15);
    bool neg = v < 0 && n != 0;
    char digits[32];
    int nd = 0;
    do {
      digits[nd++] = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n);
    while (nd <= decimals) digits[nd++] = '0';  // at least one digit before the point
    len = 0;
    if (neg) buf[len++] = '-';
    for (int i = nd - 1; i >= 0; --i) {
      buf[len++] = digits[i];
      if (i == decimals && decimals > 0) buf[len++] = '.';
    }
  } else {
    len = std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    if (len < 0 || len >= static_cast<int>(sizeof buf)) return false;
  }
  if (len > width) return false;
  std::memset(out, ' ', static_cast<size_t>(width - len));
  std::memcpy(out + (width - len), buf, static_cast<size_t>(len));
  return true;
}

EncodeResult encode_field(const FieldDef& def, const Value& v, char* p) {
  size_t w = static_cast<size_t>(def.width);
  switch (def.type) {
    case 'C': {
      if (!v.is_str()) return EncodeResult::WrongType;
      const std::string& s = v.as_str();
      size_t n = std::min(s.size(), w);
      std::memcpy(p, s.data(), n);
      std::memset(p + n, ' ', w - n);
      return EncodeResult::Ok;
    }
    case 'N':
    case 'F':
      if (!v.is_num()) return EncodeResult::WrongType;
      return format_number(v.as_num(), def.width, def.decimals, p) ? EncodeResult::Ok
                                                                   : EncodeResult::TooWide;
    case 'D': {
      if (!v.is_date()) return EncodeResult::WrongType;
      if (w != 8) return EncodeResult::NotWritable;
      std::string s = v.as_date().dtos();
      std::memcpy(p, s.data(), 8);
      return EncodeResult::Ok;
    }
    case 'L':
      if (!v.is_logical()) return EncodeResult::WrongType;
      p[0] = v.as_logical() ? 'T' : 'F';
      std::memset(p + 1, ' ', w - 1);
      return EncodeResult::Ok;
    default:
      return EncodeResult::NotWritable;
  }
}

bool parse_number_strict(std::string_view t, double* out) {
  size_t a = 0, e = t.size();
  while (a < e && t[a] == ' ') ++a;
  while (e > a && t[e - 1] == ' ') --e;
  if (a == e) {  // a blank number field reads as 0
    if (out) *out = 0;
    return true;
  }
  size_t i = a;
  if (t[i] == '-' || t[i] == '+') ++i;
  bool digit = false, point = false;
  for (; i < e; ++i) {
    if (t[i] >= '0' && t[i] <= '9') digit = true;
    else if (t[i] == '.' && !point) point = true;
    else return false;
  }
  if (!digit) return false;
  if (out) *out = leading_number(t.data() + a, static_cast<int>(e - a));
  return true;
}

int os_code_from_errno(int err) {
  switch (err) {
    case ENOENT: return oscode::kFileNotFound;
    case ENOTDIR: return oscode::kPathNotFound;
    case EMFILE:
    case ENFILE: return oscode::kTooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS: return oscode::kAccessDenied;
    case EWOULDBLOCK: return oscode::kSharingViolation;
    default: return err;
  }
}

Error dbf_error(int gen_code, int sub_code, std::string filename, std::string operation,
                int os_code, bool can_retry, bool can_default) {
  Error e;
  e.gen_code = gen_code;
  e.subsystem = "DBFNTX";
  e.sub_code = sub_code;
  e.os_code = os_code;
  e.description = description_of(gen_code);
  e.filename = std::move(filename);
  e.operation = std::move(operation);
  e.severity = Severity::Error;
  e.can_retry = can_retry;
  e.can_default = can_default;
  return e;
}

}  // namespace xbase
