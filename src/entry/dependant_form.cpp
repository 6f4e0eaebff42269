#include "entry/dependant_form.h"

#include <cstdio>

#include "console/keys.h"
#include "entry/form_read.h"
#include "entry/id_checks_ui.h"
#include "entry/name_address.h"
#include "entry/value_checks.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

using S = std::string;

// The under-30 title only with the kinds of allowance that include it.
bool under_30_kind(const RuleValues& v) { return checks::code_ok(v.text("XKEDVTIPUS"), "45"); }

int name_width(const shell::Context& ctx) {
  xbase::WorkArea& a = ctx.areas.current();
  const int pos = a.field_pos("nev");
  return pos >= 0 ? a.field(pos).width : 40;
}

// Given name 2 is the last part of the name: the composed name is built on leaving it.
bool compose(FieldEnv& e) {
  shell::Context& ctx = e.form.ctx;
  set_var(ctx, "XNEV",
          xbase::Value::str(dependant_name(var_text(ctx, "XCSNEV"), var_text(ctx, "XUTONEV1"),
                                           var_text(ctx, "XUTONEV2"), name_width(ctx))));
  return true;
}

Verdict taj(const RuleInput& in) { return taj_verdict(own_text(in)); }

// An empty birth date is taken from the tax identifier.
bool birth_date_from_tax_id(FieldEnv& e) {
  const xbase::Value v = e.field.value();
  if (!v.is_date() || v.as_date().empty())
    e.field.var.set(xbase::Value::date(SZULIDO(var_text(e.form.ctx, "XADOAZON"))));
  return true;
}

// A birth date is given, in 1900 or later.
Verdict birth_date(const RuleInput& in) {
  const xbase::Value v = in.values.value(in.spec.name);
  return unless(v.is_date() && !v.as_date().empty() && v.as_date().year() >= 1900,
                HU("a születési idő nem lehet üres, sem 1900 előtti"));
}

// The kind of public space: with town, public-space name and kind all empty there is
// no address; otherwise a kind of the public-space table.
Verdict public_space_kind(const RuleInput& in) {
  const RuleValues& v = in.values;
  const std::string kind = own_text(in);
  if (xbase::rtrim(v.text("XEHELYSEG")).empty() && xbase::rtrim(v.text("XEKOZTER")).empty() &&
      xbase::rtrim(kind).empty())
    return {};
  return unless(v.public_space_listed(kind, true),
                HU("a közterület jellege nincs a közterület-táblában"));
}

PageSpec build_dependant_page() {
  PageSpec p;
  p.labels = {
      {3, 2, S(HU("Kedvezmény típusa:")), "w/n"},
      {3, 40, S(HU("30 év alatti kedvezmény jogcíme:")), "w/n"},
      {4, 2, "Eltartott"},
      {5, 2, S(HU("-családi név:"))},
      {6, 2, S(HU("-utónév 1:"))},
      {6, 40, S(HU("-utónév 2:"))},
      {7, 2, S(HU("-adóazonosító:"))},
      {7, 40, S(HU("-TAJ-szám:"))},
      {8, 2, S(HU("-születési hely:"))},
      {9, 2, S(HU("-születési idő:"))},
      {10, 2, S(HU("-anyja családi név:"))},
      {11, 2, S(HU("-anyja utónev 1:"))},
      {11, 40, S(HU("-anyja utónev 2:"))},
      {12, 2, S(HU("-jogosultság jogcíme:")), "w/n"},
      {13, 2, S(HU("Címe"))},
      {14, 2, S(HU("-ország:"))},
      {14, 40, S(HU("-ir.szám:"))},
      {15, 2, S(HU("-helység:"))},
      {15, 40, S(HU("-közter.neve:"))},
      {16, 2, S(HU("-közter.jell.:"))},
      {16, 40, S(HU("-házszám:"))},
      {17, 2, S(HU("-épület:"))},
      {17, 40, S(HU("-lépcsőház:"))},
      {18, 2, S(HU("-emelet:"))},
      {18, 40, S(HU("-ajtó:"))},
      {20, 2, S(HU("Eltartott kód havonta"))},
  };
  auto& f = p.fields;
  f.push_back(
      field(3, 22, "Xkedvtipus", "9")
          .ruled_by(listed_code)
          .with_help(
              {"", S(HU("1 - családi kedvezmény")), S(HU("2 - négy gyermeket nevelő anyák")),
               S(HU("3 - családi kedvezmény és négy gyermek")), S(HU("4 - 30 év alatti anyák")),
               S(HU("5 - családi kedvezmény és 30 év alatti anyák"))},
              3, 25)
          .allowing(" 12345"));
  f.push_back(field(3, 73, "Xjogcim30", "9")
                  .entered_only_if(under_30_kind)
                  .ruled_by(listed_code)
                  .with_help({"", S(HU("1 - 2022.12.31. után született gyermek")),
                              S(HU("3 - 2022.12.31. után örökbefogadott gyermek"))},
                             5, 40)
                  .allowing(" 13"));
  f.push_back(field(5, 16, "Xcsnev"));
  f.push_back(field(6, 13, "Xutonev1"));
  f.push_back(field(6, 51, "Xutonev2").on_leave(compose));
  f.push_back(field(7, 17, "Xadoazon").ruled_by(optional_tax_id));
  f.push_back(field(7, 51, "Xtaj2", "@R 999 999 999").ruled_by(taj));
  f.push_back(field(8, 19, "Xeszulhely"));
  f.push_back(field(9, 19, "Xeszulido").on_enter(birth_date_from_tax_id).ruled_by(birth_date));
  f.push_back(field(10, 22, "Xacsnev"));
  f.push_back(field(11, 19, "Xautonev1"));
  f.push_back(field(11, 57, "Xautonev2"));
  f.push_back(field(12, 24, "Xeltjogc")
                  .ruled_by(listed_code)
                  .with_help({S(HU("Jogosultság jogcíme")),
                              S(HU("a - gyermek után családi pótlékra jogosult")),
                              S(HU("c - családi pótlékra saját jogán jogosult")),
                              S(HU("d - rokkantsági járadékban részesül"))},
                             11, 32)
                  .allowing("acd "));
  f.push_back(field(14, 11, "Xeorszag", "@!")
                  .with_help({S(HU("Ország")), S(HU("Ország 2 betűs kódja, csak külföldi címnél"))},
                             16, 2));
  f.push_back(field(14, 50, "Xeirszam"));
  f.push_back(field(15, 12, "Xehelyseg"));
  f.push_back(field(15, 54, "Xekozter"));
  f.push_back(field(16, 17, "Xekoztjell").ruled_by(public_space_kind));
  f.push_back(field(16, 50, "Xehazszam"));
  f.push_back(field(17, 11, "Xeepulet"));
  f.push_back(field(17, 52, "Xelepcso"));
  f.push_back(field(18, 11, "Xeemelet"));
  f.push_back(field(18, 47, "Xeajto"));
  const FieldHelp month_help{
      {S(HU("Eltartott kód")), S(HU("1 - kedvezményezett")), S(HU("2 - eltartott")),
       S(HU("3 - felváltva gondozott")), S(HU("4 - tartósan beteg")),
       S(HU("5 - felváltva gondozott tartósan beteg")), S(HU("0 - kedvezménybe nem számító"))},
      11,
      16};
  for (int m = 1; m <= 12; ++m) {
    char mm[3];
    std::snprintf(mm, sizeof mm, "%02d", m);
    p.labels.push_back({21, 6 * m - 4, S(mm) + ":"});
    // A month's code is mandatory: a blank is refused.
    f.push_back(field(21, 6 * m - 1, "Xeltkod" + S(mm), "9")
                    .ruled_by(listed_code)
                    .with_help(month_help)
                    .allowing("123450"));
  }
  return p;
}

}  // namespace

std::string dependant_name(std::string_view family, std::string_view given1,
                           std::string_view given2, int width) {
  return xbase::padr(
      xbase::alltrim(family) + " " + xbase::alltrim(given1) + " " + std::string(given2), width);
}

const PageSpec& dependant_page() {
  static const PageSpec page = build_dependant_page();
  return page;
}

FormOutcome dependant_form(Form& form) {
  shell::Context& ctx = form.ctx;
  support::Routine r(ctx.routines(), "DBEDGET", __LINE__);
  console::Console& con = ctx.con;
  const std::string getszin = var_text(ctx, "GETSZIN");
  con.set_colour(getszin.empty() ? "gr/n,w+/g,n,n,gr+/n" : getszin);
  ui::doboz(con, 1, 0, 24, 79);
  con.set_cursor(console::CursorShape::Normal);
  // A new dependant gets the person's keys.
  set_var(ctx, "XVKOD", xbase::Value::str(var_text(ctx, "MVKOD")));
  set_var(ctx, "XSZEMSZAM", xbase::Value::str(var_text(ctx, "MSZEMSZAM")));
  con.say(2, 2, std::string(HU("Eltartó neve : ")) + xbase::rtrim(form.holder));

  HelpBox box;
  console::GetList fields;
  build_page(form, box, dependant_page(), fields);
  READESC(ctx, fields);
  con.clear_keyboard();
  return con.last_key() == console::key::kEsc ? FormOutcome::Discard : FormOutcome::Store;
}

}  // namespace entry
