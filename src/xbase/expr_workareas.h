// The expression evaluator over the work areas: field names resolve to the fields of
// the selected area, alias->field to another open area; and filters given as
// expression texts (SET FILTER TO, LOCATE FOR) as record conditions.
#pragma once

#include <string_view>

#include "xbase/expr.h"
#include "xbase/expr_host.h"
#include "xbase/workarea.h"

namespace xbase {

// Character fields are handed out as views of the record buffer (field_text) and
// remembered field positions are checked by name (field_is), so an index key or a
// filter evaluated per record costs no field lookup and no copy of a field.
class WorkAreasHost : public ExprHost {
 public:
  // `fixed_area` 0: names are those of the selected area. Otherwise always that
  // area's, whichever is selected (an index key on its own table, a browse column).
  explicit WorkAreasHost(WorkAreas& areas, int fixed_area = 0)
      : areas_(areas), fixed_area_(fixed_area) {}

  int selected_area() const override;
  int area_of_alias(std::string_view alias) const override;
  int field_index(int area, std::string_view name) const override;
  Value field_value(int area, int index) const override;
  bool field_text(int area, int index, std::string_view& out) const override;
  bool field_is(int area, int index, std::string_view name) const override;
  void set_field(int area, int index, const Value& v) override;
  bool deleted(int area) const override;
  int64_t recno(int area) const override;
  int select_area(int area) override;

 private:
  WorkAreas& areas_;
  int fixed_area_;
};

// The context of an evaluation over the work areas: names through `host`, the
// areas' error handler (the one set when an error comes) and SET EXACT as it is
// now. A context kept for later evaluations takes SET EXACT again before each
// (with_settings), as text_condition and the browse columns do.
EvalContext areas_context(WorkAreas& areas, ExprHost* host, Variables* vars,
                          const Functions* app = nullptr);
inline EvalContext& with_settings(EvalContext& ctx, const WorkAreas& areas) {
  ctx.exact = areas.exact();
  return ctx;
}

// A record condition of the selected area from an expression text, compiled once
// (a syntax error is thrown as ErrorException). It is evaluated with its own area
// selected, whichever area is selected when the table engine asks, with the work
// areas' error handler and SET EXACT; `vars` and `app` (either may be null) must
// outlive it. LOCATE FOR and SET FILTER TO given as texts go through it.
RecordCondition text_condition(WorkAreas& areas, std::string_view text, Variables* vars,
                               const Functions* app = nullptr);

}  // namespace xbase
