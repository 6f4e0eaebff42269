// The forms' own rules applied to stored records: a company, a person or a dependant
// that came in by the takeover, a restore or an older installation, checked as its
// form would check it when the clerk leaves each field. The rules are the ones the
// page tables declare (field_rules.h); a rule that needs the user (the cursor's
// field, a window, a question) is applied without its screen.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "entry/field_rules.h"
#include "entry/form.h"
#include "entry/form_page.h"
#include "xbase/dbf_format.h"

namespace entry {

// One record of a table as the rules read it: the record's bytes and the table's
// fields. The constants come from the program's variables, the kinds of public space
// from the public-space table open under the alias KOZTER (each kind looked up once).
class RecordValues final : public RuleValues {
 public:
  RecordValues(shell::Context& ctx, const xbase::Structure& fields,
               const std::vector<uint32_t>& offsets);
  // The fields of the table open in `area`.
  RecordValues(shell::Context& ctx, xbase::WorkArea& area);

  // The record read next (its deletion flag first); it must outlive the reads.
  void set_record(const char* record) { rec_ = record; }

  xbase::Value value(std::string_view buffer_name) const override;
  xbase::Value constant(std::string_view name) const override;
  bool public_space_listed(std::string_view kind, bool padded) const override;
  // The table's own spelling of a field named by its buffer variable ("" when none).
  std::string table_name(std::string_view buffer_name) const;

 private:
  int pos(std::string_view buffer_name) const;
  int find(std::string_view name) const;  // by the hash of the name

  shell::Context& ctx_;
  xbase::Structure fields_;
  std::vector<uint32_t> offsets_;
  // Open addressing over the hash of the upper-case name: position + 1, 0 for none.
  std::vector<std::pair<uint64_t, int>> slots_;
  // The positions asked for last, by where the name lies and what it says: the rules
  // ask for the same few names record after record.
  struct Remembered {
    const char* at = nullptr;
    std::string name;
    int pos = -1;
  };
  mutable std::array<Remembered, 1024> remembered_;
  const char* rec_ = nullptr;
  mutable std::vector<std::pair<std::string, xbase::Value>> constants_;
  mutable std::vector<std::pair<std::string, bool>> kinds_;  // kind + "P"/"R", listed
};

// A field the form would refuse: its name as the table has it and the form's
// message (CP852), or what the rule wants where the form refuses silently.
struct RecordFinding {
  std::string field;
  std::string message;
};

// The rules of the form of the table `kind` (company, person, dependant), each over
// the record, in the form's reading order. Neighbouring fields refused for the same
// reason are one finding ("ELTKOD02-ELTKOD11").
class RecordChecks {
 public:
  explicit RecordChecks(TableKind kind);
  std::vector<RecordFinding> check(const RecordValues& record) const;
  // The number of rules applied to each record.
  size_t rules() const { return specs_.size(); }

 private:
  std::vector<FieldSpec> specs_;  // the fields with a rule
};

// The key no two records of a table may share (the company code; company code, tax
// identifier and kind of certificate), as the form's IDXJO sees it: the second and
// every later record with a key already seen is a finding, on the field whose check
// asks for it.
class UniqueKeys {
 public:
  explicit UniqueKeys(TableKind kind);
  std::optional<RecordFinding> add(const RecordValues& record);

 private:
  std::vector<std::string> parts_;  // buffer variables
  std::unordered_set<std::string> seen_;
};

// How a finding names its record: company code, tax identifier (blank for a
// company; the supporting person's for a dependant), name ("… (eltartott)" for a
// dependant); and the finding's text "FIELD: message". CP852.
struct RecordLabel {
  std::string vkod, szemszam, nev;
};
RecordLabel record_label(TableKind kind, const RecordValues& record);
std::string finding_text(const RecordFinding& f);

}  // namespace entry
