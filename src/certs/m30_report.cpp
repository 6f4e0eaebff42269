#include "certs/m30_report.h"

#include "certs/m30_layout.h"
#include "certs/szamol.h"
#include "entry/name_address.h"
#include "shell/record_buffer.h"

namespace certs {
M30Report::M30Report(shell::Context& ctx, bool paper,
                     std::function<std::string(std::string_view)> convert)
    : ctx_(ctx), writer_(m30_layout(), report_settings(ctx, paper, std::move(convert))) {}

void M30Report::print(console::Printer& printer, int db) {
  xbase::WorkArea& person = year_area(ctx_);
  layout::Certificate c;
  c.person = &person;
  c.db = db;
  // The company's fields come from its own record: the record buffer holds one
  // value per field name for the company and the year table alike.
  xbase::WorkArea& company = company_area(ctx_, person.get("VKOD"));
  c.company = &company;
  ctx_.areas.select(company.number());
  c.company_street = entry::UTCAHOSSZ(ctx_);
  ctx_.areas.select(person.number());
  c.person_street = entry::UTCAHOSSZ(ctx_);
  shell::BEOLV(ctx_);
  c.derived = SZAMOL(ctx_.vars);
  writer_.write(printer, c);
}

int write_m30(shell::Context& ctx, console::Printer& printer, M30Report& report,
              const Selection& sel, const xbase::RecordCondition& passes,
              const ProgressHook& progress, const std::function<void(int db)>& after) {
  int n = walk_persons(ctx, sel, passes, progress, [&](int db) {
    report.print(printer, db);
    if (after) after(db);
  });
  printer.setprc(0, 0);
  return n;
}

}  // namespace certs
