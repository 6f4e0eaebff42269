#include "efile/m30_xml_run.h"

#include "console/alert.h"
#include "efile/row_table.h"
#include "efile/xml_list.h"
#include "efile/xml_text.h"
#include "entry/name_address.h"
#include "support/error_routines.h"
#include "xbase/hutext.h"

namespace efile {
namespace {

double number_var(const xbase::Variables& vars, std::string_view name) {
  const xbase::Value* v = vars.find(name);
  return v && v->is_num() ? v->as_num() : 0;
}

}  // namespace

std::string row_table_unreadable_text(std::string_view ev) {
  return std::string(HU("Az M30 XML sortábla nem olvasható: ")) + row_table_name(ev) +
         std::string(HU(";XML fájlok nem készülnek."));
}

std::string xml_dir_unwritable_text() {
  return std::string(HU("Az M30XML könyvtár nem írható;XML fájlok nem készülnek."));
}

std::string xml_file_error_text() { return std::string(HU("Hiba az XML fájl létrehozásakor!")); }

std::string missing_key_text(std::string_view ev, std::string_view key) {
  return std::string(HU("Hiba a ")) + std::string(ev) + "M30 " + std::string(key) +
         std::string(HU(" sornál"));
}

M30XmlRun::M30XmlRun(shell::Context& ctx, XmlRunOptions options)
    : ctx_(ctx), options_(std::move(options)) {}

certs::M30XmlHooks M30XmlRun::hooks() {
  return certs::M30XmlHooks{
      .begin = [this](shell::Context&) { return begin(); },
      .after_certificate = [this](shell::Context&, int db) { after_certificate(db); },
      .end = [this](shell::Context&) { end(); },
  };
}

void M30XmlRun::alert(std::string text) {
  if (options_.alert) {
    options_.alert(text);
  } else {
    console::alert(ctx_.con, text);
  }
  outcome_.warnings.push_back(std::move(text));
}

bool M30XmlRun::begin() {
  support::Routine r(ctx_.routines(), "M30XML", __LINE__);
  outcome_ = XmlOutcome{};
  keys_reported_ = false;
  // The row table first: without it nothing in "M30XML" is touched.
  std::optional<RowTable> rows = open_row_table(ctx_);
  if (!rows) {
    alert(row_table_unreadable_text(ctx_.ev));
    return false;
  }
  switch (dir_.open(ctx_, options_.out_dir)) {
    case XmlDirectory::Open::Ready: break;
    case XmlDirectory::Open::NotWritable: alert(xml_dir_unwritable_text()); return false;
    case XmlDirectory::Open::GivenUp: return false;
  }
  const xbase::WorkArea* person = ctx_.areas.find("VIRDA");
  const xbase::WorkArea* company = ctx_.areas.find("VALLAL");
  static const xbase::Structure none;
  content_.emplace(*rows, ctx_.ev, person ? person->structure() : none,
                   company ? company->structure() : none);
  outcome_.made = true;
  return true;
}

void M30XmlRun::after_certificate(int db) {
  if (!content_) return;
  support::Routine r(ctx_.routines(), "M30XML", __LINE__);
  xbase::AreaSelection keep(ctx_.areas);
  // A key the row table lacks is told once per run; its field is left out.
  if (!keys_reported_) {
    keys_reported_ = true;
    for (const std::string& key : content_->missing_keys()) alert(missing_key_text(ctx_.ev, key));
  }

  xbase::WorkArea* person = ctx_.areas.find("VIRDA");
  if (!person) return;
  xbase::WorkArea* company = ctx_.areas.find("VALLAL");
  CertificateData c;
  c.person = person;
  c.company = company;
  // The street lines of the two records: the record buffer holds one value per
  // field name, so each is read from its own table.
  if (company && !company->eof()) {
    ctx_.areas.select(company->number());
    c.company_street = entry::UTCAHOSSZ(ctx_);
  }
  ctx_.areas.select(person->number());
  c.person_street = entry::UTCAHOSSZ(ctx_);
  c.keloleg = number_var(ctx_.vars, "KELOLEG");
  c.kelsohaz30 = number_var(ctx_.vars, "KELSOHAZ30");
  c.kgyerk30 = number_var(ctx_.vars, "KGYERK30");
  if (const xbase::Value* d = ctx_.vars.find("MAINAP"); d && d->is_date()) c.mainap = d->as_date();

  const std::string name = xml_file_name(ctx_.ev, db, person->get("NEV").as_str());
  std::string path;
  if (dir_.write_file(name, content_->bytes(c), &path) == XmlDirectory::Write::Written) {
    outcome_.files.push_back(path);
  } else {
    alert(xml_file_error_text());
  }
}

void M30XmlRun::end() {
  if (!content_) return;
  if (options_.show_list) M30XMLANYK(ctx_, dir_.path(), options_.open);
  dir_.close();
  content_.reset();
}

}  // namespace efile
