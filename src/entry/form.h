// What every record form of the data entry shares: which of the three editable
// tables it works on, whether it adds, modifies or takes search criteria, and the
// record it loaded into the buffer variables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"

namespace entry {

// The editable tables, told apart by their alias.
enum class TableKind { Company, Person, Dependant, Other };
// "VALLAL…" the companies, "VIRDA…" the persons, "ELTAR…" the dependants.
TableKind table_kind(std::string_view alias);

// The open work area of one of the editable tables, or nullptr.
xbase::WorkArea* open_table(shell::Context& ctx, TableKind kind);

// FELVITEL (adding) and KERESES (taking search criteria); neither: modifying.
enum class FormMode { Modify, Add, Search };

// A form at work. Checks and readers of its fields read the mode and the record
// from here.
struct Form {
  explicit Form(shell::Context& c, FormMode m = FormMode::Modify, uint32_t r = 0)
      : ctx(c), mode(m), recno(r) {}

  shell::Context& ctx;
  FormMode mode = FormMode::Modify;
  // The record loaded into the buffer (modify); 0 for a new record or criteria.
  uint32_t recno = 0;
  // The buffer as the form got it (loaded, blanked or kept criteria): the exit
  // question asks only when the entries differ from it.
  std::vector<xbase::Value> loaded;
  // A dependant form: the supporting person's name as the person form holds it.
  std::string holder;

  bool adding() const { return mode == FormMode::Add; }
  bool searching() const { return mode == FormMode::Search; }
};

// The buffer variables of the selected table's fields, in field order.
std::vector<xbase::Value> buffer_values(const shell::Context& ctx);

// Whether two sets of buffer values are the same, value for value (texts byte for
// byte).
bool same_values(const std::vector<xbase::Value>& a, const std::vector<xbase::Value>& b);

using shell::set_var;
using shell::var_text;

// Keeps a table's order and record (and the selected area) and puts them back, so
// that a pick list leaves a form's record where the form loaded it.
class KeptPlace {
 public:
  KeptPlace(xbase::WorkAreas& areas, xbase::WorkArea& area);
  ~KeptPlace();
  KeptPlace(const KeptPlace&) = delete;
  KeptPlace& operator=(const KeptPlace&) = delete;

 private:
  xbase::WorkAreas& areas_;
  xbase::WorkArea& area_;
  int selected_;
  int order_;
  uint32_t recno_;
  bool eof_;
};

}  // namespace entry
