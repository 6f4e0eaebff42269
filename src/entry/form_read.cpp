#include "entry/form_read.h"

#include <algorithm>
#include <array>
#include <memory>
#include <set>

#include "console/alert.h"
#include "console/get_read.h"
#include "console/keys.h"
#include "support/error_routines.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

namespace key = console::key;

// The next step of a PgDn run, put into the keyboard buffer behind the Tab that
// leaves the field. It is no key of the keyboard: a question box that clears the
// buffer (a check's message) ends the run with it, and a user's own PgDn always
// starts a run anew.
constexpr int kRunStep = 0x10000;

constexpr std::array<int, 5> kTakenKeys = {key::kEsc, key::kPgDn, key::kPgUp, key::kCtrlEnd,
                                           kRunStep};

// The bindings of the four keys as they were, put back when the read is over (also
// when a nested form's read put its own there meanwhile).
class KeptBindings {
 public:
  explicit KeptBindings(console::Console& con) : con_(con) {
    for (std::size_t i = 0; i < kTakenKeys.size(); ++i) {
      auto it = con.hot_keys().find(kTakenKeys[i]);
      if (it != con.hot_keys().end()) saved_[i] = it->second;
      field_only_[i] = con.field_keys().count(kTakenKeys[i]) != 0;
    }
  }
  ~KeptBindings() {
    for (std::size_t i = 0; i < kTakenKeys.size(); ++i) {
      con_.set_key(kTakenKeys[i], saved_[i]);
      con_.set_field_key(kTakenKeys[i], field_only_[i]);
    }
  }
  KeptBindings(const KeptBindings&) = delete;
  KeptBindings& operator=(const KeptBindings&) = delete;

 private:
  console::Console& con_;
  std::array<console::Console::HotKey, kTakenKeys.size()> saved_;
  std::array<bool, kTakenKeys.size()> field_only_{};
};

}  // namespace

void RESC(shell::Context& ctx) {
  console::ReadSession* s = ctx.reads.active();
  if (!s || s->fields().empty()) {
    ctx.con.put_key(key::kEsc);
    return;
  }
  int answer = console::alert(ctx.con, HU("Kilépés tárolás nélkül?"), {HU("Igen"), HU("Nem")});
  if (answer == 2) return;
  s->kill();
  ctx.con.set_last_key(key::kEsc);
}

void RPGDN(shell::Context& ctx, PgDnRun& run, bool step) {
  console::ReadSession* s = ctx.reads.active();
  if (!s || !s->active_field()) return;
  const std::string name = s->active_field()->name;
  if (!step) run.utget.clear();  // the user's PgDn: a new run from this field
  if (std::find(run.twice.begin(), run.twice.end(), name) != run.twice.end()) {
    if (run.utfek != name) {
      run.utfek = name;  // the first press only notes the field
      return;
    }
    run.utfek.clear();
  }
  if (s->position() == static_cast<int>(s->fields().size())) {
    ctx.con.put_key(key::kEnter);  // the read ends after the last field's check
    return;
  }
  if (step && run.utget == name) {
    // The Tab of the last step did not leave the field: its check refused the value.
    // The run stops here, without trying the check a second time.
    run.utget.clear();
    return;
  }
  run.utget = name;
  ctx.con.put_key(key::kTab);
  ctx.con.put_key(kRunStep);
}

void READESC(shell::Context& ctx, const console::GetList& fields,
             const std::vector<std::string>& twice, bool undo) {
  support::Routine r(ctx.routines(), "READESC", __LINE__);
  console::Console& con = ctx.con;
  KeptBindings kept(con);
  auto run = std::make_shared<PgDnRun>();
  run->twice = twice;
  con.set_key(key::kEsc, [&ctx](console::Console&) { RESC(ctx); });
  for (int k : {key::kPgDn, key::kPgUp, key::kCtrlEnd})
    con.set_key(k, [&ctx, run](console::Console&) { RPGDN(ctx, *run, false); });
  con.set_key(kRunStep, [&ctx, run](console::Console&) { RPGDN(ctx, *run, true); });
  for (int k : kTakenKeys) con.set_field_key(k, true);

  console::ReadOptions options;
  options.undo_on_leave = undo;
  console::read(ctx.reads, fields, options);

  // A step of a run that ended with the read is not left for the caller (the run's
  // keys are in the keyboard buffer; keys not yet read from the terminal stay there).
  if (!con.keyboard_empty() && (con.next_key() == kRunStep || con.next_key() == key::kPgDn)) {
    int last = con.last_key();
    con.inkey();
    con.set_last_key(last);
  }
}

bool plain_read(shell::Context& ctx, const console::GetList& fields) {
  KeptBindings kept(ctx.con);
  for (int k : kTakenKeys) {
    ctx.con.clear_key(k);
    ctx.con.set_field_key(k, false);
  }
  return console::read(ctx.reads, fields);
}

}  // namespace entry
