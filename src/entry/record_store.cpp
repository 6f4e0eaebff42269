#include "entry/record_store.h"

#include "entry/key_check.h"
#include "shell/record_buffer.h"
#include "shell/shared_access.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

// The question after a refused lock: true to wait again.
bool try_again(console::Console& con) {
  return ui::kerdez(con, HU("Az adatok nincsenek tárolva: az állomány foglalt."),
                    {HU("Újra próbálja"), HU("Vissza az adatokhoz")}) == 1;
}

// The question about a record deleted meanwhile: true to store the entries as a new
// record. Esc asks again.
bool store_as_new(console::Console& con) {
  for (;;) {
    int k = ui::kerdez(con, HU("A tételt közben egy másik munkaállomás törölte."),
                       {HU("Újként tárolja"), HU("Elveti")});
    if (k != 0) return k == 1;
  }
}

}  // namespace

StoreResult store_record(Form& form, std::string_view unique_key, int unique_order) {
  shell::Context& ctx = form.ctx;
  support::Routine r(ctx.routines(), "TAROL", __LINE__);
  console::Console& con = ctx.con;
  xbase::WorkArea& area = ctx.areas.current();
  for (;;) {
    if (!shell::FILELOCK(ctx)) {
      if (try_again(con)) continue;
      return StoreResult::BackToForm;
    }
    if (!unique_key.empty()) {
      const int order = area.order_number();
      bool taken = key_taken(ctx, area, unique_key, unique_order, form.adding() ? 0 : form.recno);
      area.set_order(order);
      if (taken) {
        area.unlock();
        ui::kerdez(con, duplicate_message(), {"OK"});
        return StoreResult::BackToForm;
      }
    }
    if (form.adding()) {
      r.at(__LINE__);
      if (!area.append_blank()) {
        area.unlock();
        if (try_again(con)) continue;
        return StoreResult::BackToForm;
      }
    } else {
      area.go_to(form.recno);
      if (area.eof() || area.deleted()) {
        area.unlock();
        if (!store_as_new(con)) return StoreResult::Discarded;
        form.mode = FormMode::Add;
        form.recno = 0;
        continue;
      }
    }
    r.at(__LINE__);
    shell::CSERE(ctx);
    ctx.areas.commit_all();
    form.recno = area.recno();
    area.unlock();
    return StoreResult::Stored;
  }
}

}  // namespace entry
