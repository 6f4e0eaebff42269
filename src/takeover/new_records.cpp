#include "takeover/new_records.h"

#include <algorithm>
#include <cmath>

#include "shell/record_buffer.h"

namespace takeover {

namespace {

std::string two(int m) {
  return std::string{static_cast<char>('0' + m / 10), static_cast<char>('0' + m % 10)};
}

// Stores `v` into field `p`, reporting a refused number.
void store(RecordBuilder& b, int p, const xbase::Value& v,
           const std::function<void(const Refused&)>& refused) {
  if (p < 0 || b.put(p, v)) return;
  if (refused && v.is_num()) refused({b.layout().field(p).name, v.as_num()});
}

}  // namespace

RecordBuilder::RecordBuilder(xbase::WorkArea& area) : layout_(area) {
  blank_.assign(layout_.record_length(), ' ');
  zero_ = blank_;
  const xbase::Structure& f = layout_.fields();
  for (int i = 0; i < static_cast<int>(f.size()); ++i)
    xbase::encode_field(f[static_cast<size_t>(i)], shell::blank_value(f[static_cast<size_t>(i)]),
                        zero_.data() + layout_.offset(i));
  rec_ = zero_;
}

void RecordBuilder::start(bool zero) { rec_ = zero ? zero_ : blank_; }

bool RecordBuilder::put(int pos, const xbase::Value& v) {
  if (pos < 0) return true;
  const xbase::FieldDef& f = layout_.field(pos);
  char* p = rec_.data() + layout_.offset(pos);
  bool too_big = f.type == 'N' && v.is_num() &&
                 v.as_num() >= std::pow(10.0, shell::integer_positions(f));
  if (!too_big && xbase::encode_field(f, v, p) == xbase::EncodeResult::Ok) return true;
  std::fill(p, p + f.width, ' ');
  return false;
}

YearRecords::YearRecords(xbase::WorkArea& year_table) : b_(year_table) {
  for (size_t i = 0; i < kSumCount; ++i) sums_[i] = b_.pos(sum_name(static_cast<Sum>(i)));
  for (int k = 0; k < 4; ++k)
    for (int m = 1; m <= 12; ++m)
      csjk_[static_cast<size_t>(k)][static_cast<size_t>(m - 1)] =
          b_.pos(std::string(kCsjkPrefix[k]) + two(m));
  for (int m = 1; m <= 12; ++m) elsohh_[static_cast<size_t>(m - 1)] = b_.pos("ELSOHH" + two(m));
  elsohnyil_ = b_.pos("ELSOHNYIL");
  vanhozott_ = b_.pos("VANHOZOTT");
}

const std::string& YearRecords::build(const PersonResult& p,
                                      const std::function<void(const Refused&)>& refused) {
  b_.start(true);
  for (const auto& [name, v] : p.fields) store(b_, b_.pos(name), v, refused);
  const YearRecord& r = p.sums;
  for (size_t i = 0; i < kSumCount; ++i)
    store(b_, sums_[i], xbase::Value::num(r.sums[i]), refused);
  for (size_t k = 0; k < 4; ++k)
    for (size_t m = 0; m < 12; ++m) store(b_, csjk_[k][m], xbase::Value::num(r.csjk[k][m]), refused);
  store(b_, elsohnyil_, xbase::Value::str(std::string(1, r.elsohnyil)), refused);
  for (size_t m = 0; m < 12; ++m)
    store(b_, elsohh_[m], xbase::Value::str(std::string(1, r.elsohh[m])), refused);
  store(b_, vanhozott_, xbase::Value::str(r.vanhozott ? "I" : " "), refused);
  return b_.record();
}

const std::string& dependant_record(RecordBuilder& b, const FieldValues& d,
                                    const std::function<void(const Refused&)>& refused) {
  b.start(false);
  for (const auto& [name, v] : d) {
    int p = b.pos(name);
    if (p < 0) continue;
    // A field of the payroll's dependants goes only into a field of its own type.
    char t = b.layout().field(p).type;
    if ((t == 'C' && !v.is_str()) || (t == 'N' && !v.is_num()) || (t == 'D' && !v.is_date()))
      continue;
    store(b, p, v, refused);
  }
  return b.record();
}

}  // namespace takeover
