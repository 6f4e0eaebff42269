#include "certs/ekho_report.h"

#include <cmath>

#include "certs/ekho_layout.h"
#include "entry/name_address.h"

namespace certs {
EkhoReport::EkhoReport(shell::Context& ctx, bool paper,
                       std::function<std::string(std::string_view)> convert)
    : ctx_(ctx), writer_(ekho_layout(), report_settings(ctx, paper, std::move(convert))) {
  const char* fields[] = {"EKHO1B15", "EKHO1B95", "EKHO1BEG", "EKHO2B15", "EKHO2B95",
                          "EKHO2BEG", "EKHO3B15", "EKHO3B95", "EKHO3BEG"};
  xbase::WorkArea& y = year_area(ctx_);
  for (std::size_t i = 0; i < revenue_.size(); ++i) revenue_[i] = y.field_pos(fields[i]);
}

bool EkhoReport::has_revenue() const {
  const xbase::WorkArea& y = year_area(ctx_);
  long long sum = 0;
  for (int pos : revenue_) {
    if (pos < 0) continue;
    xbase::Value v = y.get(pos);
    if (v.is_num()) sum += std::llround(v.as_num());
  }
  return sum != 0;
}

void EkhoReport::print(console::Printer& printer) {
  xbase::WorkArea& person = year_area(ctx_);
  layout::Certificate c;
  c.person = &person;
  // The company's fields come from its own record, never through the record buffer.
  xbase::WorkArea& company = company_area(ctx_, person.get("VKOD"));
  c.company = &company;
  ctx_.areas.select(company.number());
  c.company_street = entry::UTCAHOSSZ(ctx_);
  ctx_.areas.select(person.number());
  writer_.write(printer, c);
}

int write_ekho(shell::Context& ctx, console::Printer& printer, EkhoReport& report,
               const Selection& sel, const xbase::RecordCondition& passes,
               const ProgressHook& progress) {
  Selection all = sel;
  all.kezdold = 1;
  auto with_revenue = [&] { return (!passes || passes()) && report.has_revenue(); };
  int n = walk_persons(ctx, all, with_revenue, progress, [&](int) { report.print(printer); });
  printer.setprc(0, 0);
  return n;
}

}  // namespace certs
