// Certificate layouts as data: one entry per printed row of a form (how many lines
// below the previous one, the column, the content, the mask), read by one writer
// that the M30 and the EKHO certificates share.
//
// A content is a small expression over texts: literals, printer control variables,
// fields of the person's or the company's record, the run's values (year, date,
// registered user) and the text functions the forms use (PADR, PADC, ALLTRIM ...).
// An amount names a numeric field, a field less another, a derived amount of SZAMOL
// or a month's field of section IV. The writer binds a layout once per run: field
// names become field positions, pictures are parsed, and everything that does not
// change between certificates is worked out in advance.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "certs/szamol.h"

namespace certs::layout {

// Whose record a field belongs to.
enum class Rec : uint8_t { Person, Company };

// What a run knows before its first certificate.
enum class RunValue : uint8_t {
  Year,     // the four-digit tax year EV4
  YY,       // its last two digits EV
  Banben,   // BANBEN(year): "ban" or "ben"
  Mainap,   // the processing date as a date text
  Cegnev,   // the registered user's name, trimmed
};

// What changes per certificate besides the fields.
enum class CertValue : uint8_t {
  Db,            // the certificate's sequence number, right-aligned in 5
  Month,         // the month of a section IV row, right-aligned in 2
  MonthName,     // its name with a capital, as TRANSFORM(HONAPNEV(m), "!XXXXXXXXXX")
  Street,        // UTCAHOSSZ of the record named by the node
};

struct Node;
using Text = std::shared_ptr<const Node>;

struct Node {
  enum class Op : uint8_t {
    Lit,        // s
    Ctl,        // the printer control variable named s
    Field,      // field s of rec, as stored
    DateField,  // date field s of rec as DTOC
    YesNo,      // "I" when field s of rec is "I", otherwise "N"
    TaxNumber,  // company tax number s of rec under PADO; a 10-character identifier trimmed
    Masked,     // field s of rec under the picture variable named in `pic`
    Run,        // a RunValue
    Cert,       // a CertValue (Street: of rec)
    Cat,        // kids joined
    PadR, PadL, PadC,  // kid filled (or cut) to n
    Trim,       // ALLTRIM(kid)
    Lower,      // LOWER(kid)
    OrIfBlank,  // kid, or s when kid is blank
  };
  Op op = Op::Lit;
  Rec rec = Rec::Person;
  uint8_t value = 0;  // RunValue or CertValue
  int n = 0;
  std::string s;
  std::string pic;
  std::vector<Text> kids;
};

// --- Building contents ---
Text lit(std::string_view cp852);
Text ctl(std::string_view name);
Text field(std::string_view name, Rec rec = Rec::Person);
Text company(std::string_view name);
Text date_field(std::string_view name);
Text yes_no(std::string_view name);
Text tax_number(std::string_view name);
Text masked(std::string_view name, std::string_view pic_var);
Text run(RunValue v);
Text cert(CertValue v, Rec rec = Rec::Person);
Text padr(Text t, int n);
Text padl(Text t, int n);
Text padc(Text t, int n);
Text trim(Text t);
Text lower(Text t);
Text or_if_blank(Text t, std::string_view cp852);
Text operator+(Text a, Text b);
Text operator+(Text a, std::string_view cp852);
Text operator+(std::string_view cp852, Text b);

// --- Amounts ---
struct Amount {
  enum class Kind : uint8_t { Field, Diff, Derived, Month, MonthSum };
  Kind kind = Kind::Field;
  std::string a, b;  // fields; for Month and MonthSum the prefix ("CSJKA" + "01".."12")
  int64_t DerivedAmounts::*derived = nullptr;
};
Amount num(std::string_view name);
Amount diff(std::string_view revenue, std::string_view cost);
Amount derived(int64_t DerivedAmounts::*member);
Amount month(std::string_view prefix);
Amount month_sum(std::string_view prefix);

// What happens to an amount that its mask cannot show (TRANSFORM gives asterisks).
enum class Overflow : uint8_t {
  // The same mask without separators: "@Z " and as many nines as the mask has
  // characters, in the same columns (where the columns touch each other).
  Nines,
  // The same mask with more digits on the left until the amount fits, ending in the
  // column where the mask ends (where the columns to the left are free).
  Widen,
};

// A mask: a picture variable (PV9, PV8_0 ...) or a picture text of its own. With
// `alt`, the alternative is used when `when` holds for the amount `of`.
struct Mask {
  enum class When : uint8_t { Never, NonZero, AtLeastBillion };
  std::string pic;
  std::string alt;
  When when = When::Never;
  Amount of;
  Overflow overflow = Overflow::Nines;
};
Mask mask(std::string_view pic, Overflow o = Overflow::Nines);
// `alt` when `of` is not zero, else `pic`.
Mask mask_nonzero(std::string_view pic, std::string_view alt, Amount of, Overflow o);
// `alt` when `of` is at least 1,000,000,000, else `pic`.
Mask mask_billion(std::string_view pic, std::string_view alt, Amount of, Overflow o);

// --- Rows ---
struct Advance {
  enum class Kind : uint8_t { Lines, Row };
  Kind kind = Kind::Lines;
  int n = 0;
};
inline Advance down(int n) { return {Advance::Kind::Lines, n}; }
inline Advance same() { return {Advance::Kind::Lines, 0}; }
inline Advance row(int n) { return {Advance::Kind::Row, n}; }

struct Column {
  enum class Kind : uint8_t {
    At,           // n
    AfterText,    // one column after the previous text
    Current,      // where the previous text ended
    Centred,      // (width n - length of `text`) / 2, the text without control sequences
    RightOf,      // n - length of `text` x num / den, the fraction of the whole dropped
  };
  Kind kind = Kind::At;
  int n = 0;
  int num = 1, den = 1;
  Text text;
};
inline Column at(int n) { return {Column::Kind::At, n, 1, 1, nullptr}; }
inline Column after_text() { return {Column::Kind::AfterText, 0, 1, 1, nullptr}; }
inline Column current() { return {Column::Kind::Current, 0, 1, 1, nullptr}; }
inline Column centred(Text visible, int width) {
  return {Column::Kind::Centred, width, 1, 1, std::move(visible)};
}
inline Column right_of(Text t, int width, int num = 1, int den = 1) {
  return {Column::Kind::RightOf, width, num, den, std::move(t)};
}

// One row of a form's table: texts or amounts at one or more columns.
struct Row {
  Advance adv;
  std::vector<Column> cols;
  std::vector<Text> texts;      // one per column, or
  std::vector<Amount> amounts;  // one per column, under `mask`
  Mask mask;
  bool paper_only = false;  // the registered-user line
  bool each_month = false;  // repeated with its neighbours for the months 1 to 12
  bool eject = false;       // a page ends here (form feed)
  bool home = false;        // after the output the head's row and column count from 0
};

Row text_row(Advance a, Column c, Text t);
Row texts_row(Advance a, std::vector<Column> cs, std::vector<Text> ts);
Row amount_row(Advance a, std::vector<int> cols, std::vector<Amount> amounts, Mask m);
Row eject_row();
Row home(Row r);
Row paper_only(Row r);
Row each_month(Row r);

using Layout = std::vector<Row>;

}  // namespace certs::layout
