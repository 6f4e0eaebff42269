#include "entry/record_checks.h"

#include "entry/company_form.h"
#include "entry/dependant_form.h"
#include "entry/form_dispatch.h"
#include "entry/key_check.h"
#include "entry/name_address.h"
#include "entry/person_pages.h"
#include "xbase/dbf_table.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {

namespace {

char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A field's name without the buffer variable's "X".
std::string_view field_of(std::string_view buffer_name) {
  if (!buffer_name.empty() && (buffer_name[0] == 'X' || buffer_name[0] == 'x'))
    buffer_name.remove_prefix(1);
  return buffer_name;
}

// FNV-1a over the name in upper case.
uint64_t name_hash(std::string_view name) {
  uint64_t h = 1469598103934665603ull;
  for (char c : name) {
    h ^= static_cast<unsigned char>(upper_ascii(c));
    h *= 1099511628211ull;
  }
  return h;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upper_ascii(a[i]) != upper_ascii(b[i])) return false;
  return true;
}

std::vector<uint32_t> offsets_of(xbase::WorkArea& area) {
  std::vector<uint32_t> out;
  for (int i = 0; i < static_cast<int>(area.structure().size()); ++i)
    out.push_back(area.table()->field_offset(i));
  return out;
}

std::vector<FieldSpec> ruled(const std::vector<FieldSpec>& fields) {
  std::vector<FieldSpec> out;
  for (const FieldSpec& f : fields)
    if (f.rule) out.push_back(f);
  return out;
}

std::vector<FieldSpec> specs_of(TableKind kind) {
  switch (kind) {
    case TableKind::Company: return ruled(company_fields());
    case TableKind::Person: {
      std::vector<FieldSpec> all;
      for (const PageSpec& p : person_pages(""))
        all.insert(all.end(), p.fields.begin(), p.fields.end());
      return ruled(all);
    }
    case TableKind::Dependant: return ruled(dependant_page().fields);
    case TableKind::Other: break;
  }
  return {};
}

}  // namespace

RecordValues::RecordValues(shell::Context& ctx, const xbase::Structure& fields,
                           const std::vector<uint32_t>& offsets)
    : ctx_(ctx), fields_(fields), offsets_(offsets) {
  size_t n = 16;
  while (n < 4 * fields_.size()) n *= 2;
  slots_.assign(n, {0, 0});
  for (int i = 0; i < static_cast<int>(fields_.size()); ++i) {
    const uint64_t h = name_hash(fields_[static_cast<size_t>(i)].name);
    size_t s = h & (n - 1);
    while (slots_[s].second != 0) s = (s + 1) & (n - 1);
    slots_[s] = {h, i + 1};
  }
}

RecordValues::RecordValues(shell::Context& ctx, xbase::WorkArea& area)
    : RecordValues(ctx, area.structure(), offsets_of(area)) {}

int RecordValues::pos(std::string_view buffer_name) const {
  const uint64_t at = reinterpret_cast<uintptr_t>(buffer_name.data()) * 11400714819323198485ull;
  Remembered& r = remembered_[(at >> 54) % remembered_.size()];
  if (r.at == buffer_name.data() && r.name == buffer_name) return r.pos;
  r.at = buffer_name.data();
  r.name = buffer_name;
  r.pos = find(field_of(buffer_name));
  return r.pos;
}

int RecordValues::find(std::string_view name) const {
  const uint64_t h = name_hash(name);
  const size_t mask = slots_.size() - 1;
  for (size_t s = h & mask; slots_[s].second != 0; s = (s + 1) & mask) {
    const int p = slots_[s].second - 1;
    if (slots_[s].first == h && same_name(fields_[static_cast<size_t>(p)].name, name)) return p;
  }
  return -1;
}

xbase::Value RecordValues::value(std::string_view buffer_name) const {
  const int p = pos(buffer_name);
  if (p < 0 || !rec_) return xbase::Value();
  return xbase::decode_field(fields_[static_cast<size_t>(p)], rec_ + offsets_[static_cast<size_t>(p)]);
}

xbase::Value RecordValues::constant(std::string_view name) const {
  for (const auto& [n, v] : constants_)
    if (n == name) return v;
  const xbase::Value* v = ctx_.vars.find(name);
  constants_.emplace_back(std::string(name), v ? *v : xbase::Value());
  return constants_.back().second;
}

bool RecordValues::public_space_listed(std::string_view kind, bool padded) const {
  std::string key = std::string(kind) + (padded ? "P" : "R");
  for (const auto& [k, listed] : kinds_)
    if (k == key) return listed;
  const bool listed = KOZTERELL(ctx_, padded ? public_space_key(ctx_, kind) : std::string(kind));
  kinds_.emplace_back(std::move(key), listed);
  return listed;
}

std::string RecordValues::table_name(std::string_view buffer_name) const {
  const int p = pos(buffer_name);
  return p < 0 ? std::string() : fields_[static_cast<size_t>(p)].name;
}

RecordChecks::RecordChecks(TableKind kind) : specs_(specs_of(kind)) {}

std::vector<RecordFinding> RecordChecks::check(const RecordValues& record) const {
  std::vector<RecordFinding> out;
  std::string last;  // the last field of a run of fields refused for the same reason
  bool run = false;  // the field before refused too
  for (const FieldSpec& spec : specs_) {
    // A field the form does not enter is not checked there either.
    Verdict v;
    if (!spec.enters || spec.enters(record)) v = spec.rule(RuleInput{record, spec, false});
    if (v && run && out.back().message == v->message) {
      last = record.table_name(spec.name);
    } else {
      if (run && !last.empty()) out.back().field += "-" + last;
      last.clear();
      if (v) out.push_back({record.table_name(spec.name), std::move(v->message)});
    }
    run = v.has_value();
  }
  if (run && !last.empty()) out.back().field += "-" + last;
  return out;
}

UniqueKeys::UniqueKeys(TableKind kind) {
  const std::string text = unique_key(kind).text;
  size_t start = 0;
  while (start < text.size()) {
    const size_t plus = text.find('+', start);
    parts_.push_back(text.substr(start, plus == std::string::npos ? plus : plus - start));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
}

std::optional<RecordFinding> UniqueKeys::add(const RecordValues& record) {
  if (parts_.empty()) return std::nullopt;
  std::string key;
  for (const std::string& p : parts_) key += record.text(p);
  if (seen_.insert(std::move(key)).second) return std::nullopt;
  // The form asks for the key when its last part is left.
  return RecordFinding{record.table_name(parts_.back()), duplicate_message()};
}

RecordLabel record_label(TableKind kind, const RecordValues& record) {
  RecordLabel l;
  l.vkod = record.text("Xvkod");
  switch (kind) {
    case TableKind::Company: l.nev = xbase::rtrim(record.text("Xvnev")); break;
    case TableKind::Person:
      l.szemszam = record.text("Xszemszam");
      l.nev = xbase::rtrim(record.text("Xnev"));
      break;
    case TableKind::Dependant:
      l.szemszam = record.text("Xszemszam");
      l.nev = xbase::rtrim(record.text("Xnev")) + " (eltartott)";
      break;
    case TableKind::Other: break;
  }
  return l;
}

std::string finding_text(const RecordFinding& f) { return f.field + ": " + f.message; }

}  // namespace entry
