#include "entry/browse_screen.h"

#include <memory>

#include "console/browse_dbedit.h"
#include "console/colour.h"
#include "console/frames.h"
#include "console/get_read.h"
#include "console/keys.h"
#include "entry/browse_actions.h"
#include "entry/form_dispatch.h"
#include "entry/form_read.h"
#include "entry/record_store.h"
#include "shell/record_buffer.h"
#include "support/error_routines.h"
#include "support/helpers.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"

namespace entry {
namespace {

namespace key = console::key;

constexpr std::string_view kKeyHelp1 = HU("Felvitel  - F      Módosítás - M      Kilépés - ESC");
constexpr std::string_view kKeyHelp2 = HU("Keresés - K,G      Törlés    - T                   ");

console::Attr attr_of(const console::Console& con, std::string_view slot) {
  console::Attr a = con.attr();
  console::parse_slot(slot, a);
  return a;
}

// One browse call with its state: the search state (ELSOKERES), the quick search
// (GYORSKERES, CGYORS, GYORSKEP) and the colours.
class BrowseScreen {
 public:
  BrowseScreen(shell::Context& ctx, std::string_view holder)
      : ctx_(ctx),
        con_(ctx.con),
        area_(ctx.areas.current()),
        kind_(table_kind(area_.alias())),
        def_(browse_definition(kind_, holder)) {
    browse_colour_ = con_.is_colour() ? "bg/n,bg+/b,n,n,bg/n" : "w/n,i,n,n,w+/n";
    title_colour_ = con_.is_colour() ? "n/bg" : "i";
  }

  bool run();

 private:
  // DBEDFELVFN: the browse's user function.
  int key_function(int mode);
  int quick_search(int k);
  void show_quick_text();
  int open_form(FormMode mode);
  void draw_form_screen(FormMode mode);
  bool table_empty() const { return area_.eof(); }

  shell::Context& ctx_;
  console::Console& con_;
  xbase::WorkArea& area_;
  TableKind kind_;
  BrowseDefinition def_;
  std::string browse_colour_, title_colour_;
  bool first_search_ = true;  // ELSOKERES
  bool quick_ = false;        // GYORSKERES
  std::string quick_text_;    // CGYORS
  console::Screen::Saved quick_saved_;  // GYORSKEP
};

bool BrowseScreen::run() {
  support::Routine r(ctx_.routines(), "DBEDFELV", __LINE__);
  console::Screen::Saved screen = con_.screen().save_all();
  const int row = con_.row(), col = con_.col();
  const console::CursorShape cursor = con_.screen().cursor_shape();
  std::string colour = con_.set_colour(browse_colour_);
  const console::Attr title = attr_of(con_, title_colour_);

  con_.clear_screen();
  con_.box(0, 0, 24, 79, console::kSingleFrame);
  con_.box(0, 0, 3, 79, console::kSingleFrame, title);
  con_.say(1, 1, xbase::padc(def_.title1, 78), title);
  con_.say(2, 1, xbase::padc(def_.title2, 78), title);
  con_.box(21, 0, 24, 79, console::kSingleFrame, title);
  con_.say(22, 1, xbase::padc(kKeyHelp1, 78), title);
  con_.say(23, 1, xbase::padc(kKeyHelp2, 78), title);
  if (kind_ == TableKind::Person) {  // more columns than fit: the arrow blinks
    console::Attr blink = title;
    console::parse_slot(title_colour_ == "i" ? "i*" : "n/bg*", blink);
    con_.say(22, 78, std::string(1, '\x1a'), blink);
  }
  con_.set_cursor(console::CursorShape::Off);

  std::vector<std::string> exprs, pictures, heads;
  for (std::size_t i = 0; i < def_.f1.size() && !def_.f1[i].empty(); ++i) {
    exprs.push_back(def_.f1[i]);
    pictures.push_back(def_.f2[i]);
    heads.push_back(def_.f3[i]);
  }
  auto cols = console::browse_columns(ctx_.areas, exprs, pictures, &heads, &ctx_.vars);
  console::BrowseOptions opt;
  opt.heading_sep = std::string(HU("─"));
  opt.user = [this](int mode, int) { return key_function(mode); };
  console::dbedit(con_, area_, 4, 1, 20, 78, std::move(cols), opt);

  con_.set_colour(colour);
  con_.screen().restore(screen);
  con_.set_pos(row, col);
  con_.set_cursor(cursor);
  return con_.last_key() == key::kEsc;
}

int BrowseScreen::key_function(int mode) {
  if (mode != console::kDeException) return console::kDeContinue;
  const int k = con_.last_key();
  if (quick_ || k == 'g' || k == 'G') return quick_search(k);
  switch (k) {
    case 'f':
    case 'F': return open_form(FormMode::Add);
    case 'k':
    case 'K': return table_empty() ? console::kDeContinue : open_form(FormMode::Search);
    case 'm':
    case 'M':
    case key::kEnter: return table_empty() ? console::kDeContinue : open_form(FormMode::Modify);
    case 't':
    case 'T':
      // On an empty table there is only the blank phantom record: deleting it as a
      // company would take every person with a blank company code.
      if (table_empty()) return console::kDeContinue;
      delete_current(ctx_, kind_);
      return console::kDeRefresh;
    case key::kEsc: return console::kDeAbort;
    default: return console::kDeContinue;
  }
}

void BrowseScreen::show_quick_text() {
  // The text and the blinking cursor after it stop before the frame at column 79.
  std::string shown = quick_text_.substr(0, std::min<std::size_t>(quick_text_.size(), 47));
  con_.say(23, 31, xbase::padr(shown, 48));
  console::Attr blink = attr_of(con_, "w/n*");
  con_.say(23, 31 + static_cast<int>(shown.size()), "_", blink);
}

int BrowseScreen::quick_search(int k) {
  if (!quick_) {
    quick_ = true;
    quick_saved_ = con_.screen().save(21, 0, 24, 79);
    con_.box(21, 0, 24, 79, std::string(console::kSingleFrame) + " ");
    con_.say(22, 1,
             xbase::padc(kind_ == TableKind::Person
                             ? HU("Gyorskeresés (cég száma+dolgozó neve, keresés vége: ENTER)")
                             : HU("Gyorskeresés (keresendő adat beírása, keresés vége: ENTER)"),
                         78));
    con_.say(23, 20, HU("Keresendő:"));
    show_quick_text();
    return console::kDeContinue;
  }
  if (k < 32) {  // Enter, Esc, Backspace, the other control and function keys
    quick_ = false;
    quick_text_.clear();
    con_.screen().restore(quick_saved_);
    return console::kDeContinue;
  }
  if (k > 255) return console::kDeContinue;
  quick_text_ += static_cast<char>(k);
  show_quick_text();
  const uint32_t rec = area_.recno();
  const bool was_eof = area_.eof();
  std::string wanted = xbase::rtrim(quick_text_);
  auto* order = dynamic_cast<xbase::NtxOrder*>(area_.controlling_order());
  if (order && xbase::upper(order->key_expr()).find("HUNGORD") != std::string::npos)
    wanted = support::HUNGORD(wanted);
  if (!order || !area_.seek(xbase::Value::str(wanted))) area_.go_to(was_eof ? 0 : rec);
  return console::kDeRefresh;
}

void BrowseScreen::draw_form_screen(FormMode mode) {
  con_.clear_screen();
  const console::Attr shade = attr_of(con_, "gr/n");
  const std::string row_of_shade = xbase::replicate(HU("▒"), 80);
  for (int r = 1; r <= 24; ++r) con_.say(r, 0, row_of_shade, shade);
  const console::Attr n_g = attr_of(con_, "n/g");
  con_.say(0, 0, xbase::padc(def_.title1, 25), n_g);
  std::string_view word = mode == FormMode::Add      ? HU("Felvitel")
                          : mode == FormMode::Search ? HU("Keresés")
                                                     : HU("Módosítás");
  con_.say(0, 27, xbase::padc(word, 16), n_g);
}

int BrowseScreen::open_form(FormMode mode) {
  support::Routine r(ctx_.routines(), "DBEDFELVFN", __LINE__);
  Form form{ctx_, mode};
  const uint32_t start = area_.recno();
  const bool was_eof = area_.eof();
  switch (mode) {
    case FormMode::Add:
      shell::INI(ctx_);
      first_search_ = true;
      break;
    case FormMode::Search:
      if (first_search_) shell::INI(ctx_);  // a continued search keeps the criteria
      break;
    case FormMode::Modify:
      shell::BEOLV(ctx_);
      form.recno = area_.recno();
      first_search_ = true;
      break;
  }
  console::Screen::Saved screen = con_.screen().save_all();
  uint32_t land = was_eof ? 0 : start;  // where the browse's cursor goes afterwards
  for (;;) {
    draw_form_screen(form.mode);
    DBEDGET(form);
    if (!form_runs_own_read(kind_)) {
      console::GetList fields = ctx_.reads.getlist();
      ctx_.reads.getlist().clear();
      READESC(ctx_, fields);
      con_.clear_keyboard();
    }
    con_.set_cursor(console::CursorShape::Off);
    con_.set_colour(browse_colour_);
    if (con_.last_key() == key::kEsc) break;
    if (form.searching()) {
      search_by_form(ctx_, first_search_);
      land = area_.eof() ? land : area_.recno();
      break;
    }
    UniqueKey unique = unique_key(kind_);
    StoreResult stored = store_record(form, unique.text, unique.order);
    if (stored == StoreResult::BackToForm) continue;  // the entries are kept
    if (stored == StoreResult::Stored) land = form.recno;
    break;
  }
  area_.go_to(land);
  con_.screen().restore(screen);
  return console::kDeRefresh;
}

}  // namespace

bool TABLA(BrowseDefinition& def, int i, std::string_view expression, std::string_view picture,
           std::string_view heading) {
  if (i < 1 || i > static_cast<int>(def.f1.size())) return true;
  const auto slot = static_cast<std::size_t>(i - 1);
  def.f1[slot] = std::string(expression);
  def.f2[slot] = std::string(picture);
  def.f3[slot] = std::string(heading);
  return true;
}

BrowseDefinition browse_definition(TableKind kind, std::string_view holder) {
  BrowseDefinition d;
  switch (kind) {
    case TableKind::Company:
      d.title1 = HU("Vállalkozások");
      TABLA(d, 1, "vkod", "", HU(";Kód"));
      // The name is 40 wide: cut to 36 the four columns fill the 78 columns.
      TABLA(d, 2, "LEFT(vnev,36)", "", HU(";Név"));
      TABLA(d, 3, "LEFT(helyseg,19)", "", HU(";Helység"));
      TABLA(d, 4, "adoszam", "", HU(";Adószám"));
      break;
    case TableKind::Person:
      d.title1 = HU("SZJA adatszolgáltatás");
      TABLA(d, 1, "vkod", "", HU("Cég"));
      TABLA(d, 2, "nev", "", HU("Név"));
      TABLA(d, 3, "szemszam", "@KR XXXXXXXXXX", HU("Adóazonosító"));
      TABLA(d, 4, "nyilat", "", HU("Igazolás"));
      TABLA(d, 5, "aszjell", "", "Jelleg");
      TABLA(d, 6, "PADR(irszam+' '+TRIM(helyseg)+' '+utca,40)", "", HU("Cím"));
      break;
    case TableKind::Dependant:
      d.title1 = "Eltartottak";
      d.title2 = std::string(HU("Eltartó: ")) + xbase::rtrim(holder);
      TABLA(d, 1, "PADR(TRIM(csnev)+' '+utonev1,30)", "", "Eltartott neve");
      TABLA(d, 2, "adoazon", "", HU("Adóazon."));
      TABLA(d, 3, "PADR(eirszam+' '+TRIM(ehelyseg),28)", "", HU("Címe"));
      break;
    case TableKind::Other: break;
  }
  return d;
}

bool DBEDFELV(shell::Context& ctx, std::string_view holder) {
  return BrowseScreen(ctx, holder).run();
}

}  // namespace entry
