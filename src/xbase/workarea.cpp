#include "xbase/workarea.h"

#include <cstring>

#include "xbase/fileio.h"

namespace xbase {
namespace {

constexpr int kNotIndexed = 1201;

[[noreturn]] void raise(int gen_code, int sub_code, std::string file, std::string op,
                        bool can_default = false) {
  throw ErrorException(dbf_error(gen_code, sub_code, std::move(file), std::move(op), 0, false,
                                 can_default));
}

}  // namespace

// ---------------------------------------------------------------- WorkArea

void WorkArea::attach(std::unique_ptr<DbfTable> table, std::string alias) {
  table_ = std::move(table);
  alias_ = std::move(alias);
  blank_.assign(table_->record_length(), ' ');
  rec_ = blank_;
  dirty_ = false;
  found_ = false;
  filter_ = nullptr;
  locate_for_ = locate_while_ = nullptr;
  go_top();
}

int WorkArea::field_count() const { return used() ? static_cast<int>(structure().size()) : 0; }
const FieldDef& WorkArea::field(int pos) const { return structure()[static_cast<size_t>(pos)]; }
const Structure& WorkArea::structure() const {
  static const Structure kNone;
  return used() ? table_->fields() : kNone;
}
int WorkArea::field_pos(std::string_view name) const {
  return used() ? table_->field_index(name) : -1;
}

Value WorkArea::get(int pos) const {
  if (!used() || pos < 0 || pos >= field_count()) return Value();
  return decode_field(field(pos), rec_.data() + table_->field_offset(pos));
}

Value WorkArea::get(std::string_view name) const {
  int pos = field_pos(name);
  if (pos < 0) {
    Error e = dbf_error(gen::kNoVar, 1003, used() ? table_->path() : "", std::string(name));
    e.subsystem = "BASE";
    e.description = "Variable does not exist";
    throw ErrorException(std::move(e));
  }
  return get(pos);
}

bool WorkArea::require_used(const char* op) const {
  if (used()) return true;
  raise(gen::kNoTable, dbferr::kNoTable, "", op);
}

bool WorkArea::require_lock(const char* op) {
  if (table_->read_only()) raise(gen::kReadOnly, dbferr::kReadOnly, table_->path(), op);
  if (table_->exclusive() || table_->file_locked() || table_->record_locked(recno_)) return true;
  raise(gen::kUnlocked, dbferr::kUnlocked, table_->path(), op);
}

void WorkArea::mark_changing() {
  if (dirty_) return;
  for (auto& o : orders_) o->before_change(recno_);
}

bool WorkArea::put(int pos, const Value& v) {
  // The common case straight through: a field that takes the value, on a record this
  // process may change. Everything else goes the long way, through the handler.
  if (used() && !eof_ && pos >= 0 && pos < field_count() && !table_->read_only() &&
      (table_->exclusive() || table_->file_locked() || table_->record_locked(recno_))) {
    const FieldDef& f = field(pos);
    char tmp[64];
    if (f.width <= static_cast<int>(sizeof tmp) && encode_field(f, v, tmp) == EncodeResult::Ok) {
      mark_changing();
      std::memcpy(rec_.data() + table_->field_offset(pos), tmp, static_cast<size_t>(f.width));
      dirty_ = true;
      return true;
    }
  }
  Value value = v;
  return owner_.guarded([&] {
    require_used("REPLACE");
    if (pos < 0 || pos >= field_count())
      raise(gen::kArg, dbferr::kBadArgument, table_->path(), "REPLACE");
    if (eof_) return;  // assignments to the phantom record are dropped
    require_lock("REPLACE");
    const FieldDef& f = field(pos);
    char tmp[256];
    std::string big;
    char* p = tmp;
    if (f.width > static_cast<int>(sizeof tmp)) {
      big.resize(static_cast<size_t>(f.width));
      p = big.data();
    }
    switch (encode_field(f, value, p)) {
      case EncodeResult::Ok:
        break;
      case EncodeResult::WrongType:
        raise(gen::kDataType, dbferr::kDataType, table_->path(), f.name);
      case EncodeResult::NotWritable:
        raise(gen::kDataType, dbferr::kDataType, table_->path(), f.name + " (memo field)");
      case EncodeResult::TooWide: {
        Error e = dbf_error(gen::kDataWidth, dbferr::kDataWidth, table_->path(), f.name, 0,
                            false, true);
        e.can_substitute = true;
        e.args.push_back(value);
        throw ErrorException(std::move(e));
      }
    }
    mark_changing();
    std::memcpy(rec_.data() + table_->field_offset(pos), p, static_cast<size_t>(f.width));
    dirty_ = true;
  }, &value);
}

bool WorkArea::put(std::string_view name, const Value& v) {
  int pos = field_pos(name);
  if (pos < 0) {
    return owner_.guarded([&] {
      raise(gen::kNoVar, dbferr::kBadArgument, used() ? table_->path() : "", std::string(name));
    });
  }
  return put(pos, v);
}

bool WorkArea::visible() const {
  if (eof_) return false;
  if (owner_.deleted_hidden() && rec_[0] == '*') return false;
  if (filter_ && !filter_()) return false;
  return true;
}

void WorkArea::write_back() {
  if (!dirty_ || !used()) return;
  table_->write_record(recno_, rec_.data());
  dirty_ = false;
  for (auto& o : orders_) o->after_change(recno_);
}

void WorkArea::to_phantom() {
  rec_ = blank_;
  recno_ = table_->record_count() + 1;
  eof_ = true;
}

void WorkArea::load(uint32_t r) {
  write_back();
  // An index may name a record another process appended since the count was read.
  if (r > table_->record_count()) table_->refresh_count();
  if (r >= 1 && r <= table_->record_count() && table_->read_record(r, rec_.data())) {
    recno_ = r;
    eof_ = false;
  } else {
    to_phantom();
  }
}

uint32_t WorkArea::first_rec() {
  if (WorkAreaOrder* o = controlling_order()) return o->first();
  return table_->refresh_count() >= 1 ? 1 : 0;
}

uint32_t WorkArea::last_rec() {
  if (WorkAreaOrder* o = controlling_order()) return o->last();
  return table_->refresh_count();
}

uint32_t WorkArea::next_rec(uint32_t r) {
  if (WorkAreaOrder* o = controlling_order()) return o->next(r);
  if (r + 1 > table_->record_count()) table_->refresh_count();  // past the known end
  return r + 1 <= table_->record_count() ? r + 1 : 0;
}

uint32_t WorkArea::prev_rec(uint32_t r) {
  if (WorkAreaOrder* o = controlling_order()) return o->prev(r);
  return r > 1 ? r - 1 : 0;
}

void WorkArea::go_top() {
  if (!used()) return;
  owner_.guarded([&] {
    write_back();
    uint32_t r = first_rec();
    while (r) {
      load(r);
      if (visible()) break;
      r = next_rec(r);
    }
    if (!r) load(0);
    bof_ = eof_;
  });
}

void WorkArea::go_bottom() {
  if (!used()) return;
  owner_.guarded([&] {
    write_back();
    uint32_t r = last_rec();
    while (r) {
      load(r);
      if (visible()) break;
      r = prev_rec(r);
    }
    if (!r) load(0);
    bof_ = eof_;
  });
}

void WorkArea::go_to(uint32_t r) {
  if (!used()) return;
  owner_.guarded([&] {
    write_back();
    if (r > table_->record_count()) table_->refresh_count();
    load(r);
    bof_ = table_->record_count() == 0;
  });
}

void WorkArea::skip(long n) {
  if (!used()) return;
  owner_.guarded([&] {
    if (n == 0) {  // re-read: see what other processes committed
      write_back();
      if (!eof_) load(recno_);
      return;
    }
    bof_ = false;
    if (n > 0) {
      for (long i = 0; i < n && !eof_; ++i) {
        uint32_t r = next_rec(recno_);
        while (r) {
          load(r);
          if (visible()) break;
          r = next_rec(r);
        }
        if (!r) load(0);
      }
      return;
    }
    for (long i = 0; i < -n; ++i) {
      uint32_t r = eof_ ? last_rec() : prev_rec(recno_);
      while (r) {
        load(r);
        if (visible()) break;
        r = prev_rec(r);
      }
      if (!r) {  // before the first record: BOF, positioned on the first visible one
        uint32_t top = first_rec();
        while (top) {
          load(top);
          if (visible()) break;
          top = next_rec(top);
        }
        if (!top) load(0);
        bof_ = true;
        return;
      }
    }
  });
}

uint32_t WorkArea::lastrec() {
  if (!used()) return 0;
  uint32_t n = 0;
  owner_.guarded([&] { n = table_->refresh_count(); });
  return n;
}

bool WorkArea::scan_locate() {
  found_ = false;
  while (!eof_) {
    if (locate_while_ && !locate_while_()) return false;
    if (locate_for_ && locate_for_()) {
      found_ = true;
      return true;
    }
    skip(1);
  }
  return false;
}

bool WorkArea::locate(RecordCondition cond, bool rest, RecordCondition while_cond) {
  if (!used()) return false;
  locate_for_ = std::move(cond);
  locate_while_ = std::move(while_cond);
  if (!rest) go_top();
  else if (!eof_ && !visible()) skip(1);
  return scan_locate();
}

bool WorkArea::continue_locate() {
  if (!used() || !locate_for_) return found_ = false;
  skip(1);
  return scan_locate();
}

bool WorkArea::seek(const Value& key, bool soft, bool last) {
  found_ = false;
  if (!used()) return false;
  owner_.guarded([&] {
    WorkAreaOrder* o = controlling_order();
    if (!o) raise(gen::kNoOrder, kNotIndexed, table_->path(), "SEEK");
    write_back();
    SeekResult res = o->seek(key, last, [this](uint32_t r) {
      load(r);
      return visible();
    });
    if (res.recno && (res.found || soft)) load(res.recno);
    else load(0);
    found_ = res.recno && res.found;
    bof_ = false;
  });
  return found_;
}

void WorkArea::add_order(std::unique_ptr<WorkAreaOrder> order) {
  orders_.push_back(std::move(order));
  if (controlling_ == 0) controlling_ = 1;
}

void WorkArea::set_order(int n) {
  controlling_ = (n >= 1 && n <= static_cast<int>(orders_.size())) ? n : 0;
}

WorkAreaOrder* WorkArea::controlling_order() {
  return controlling_ ? orders_[static_cast<size_t>(controlling_ - 1)].get() : nullptr;
}

void WorkArea::clear_orders() {
  for (auto& o : orders_) o->flush();
  orders_.clear();
  controlling_ = 0;
}

void WorkArea::release_for_append() {
  // APPEND under shared access gives up this area's record locks (a file lock stays).
  if (!table_->exclusive() && !table_->file_locked()) table_->unlock_all();
}

bool WorkArea::append_blank() {
  if (!used()) return owner_.guarded([] { raise(gen::kNoTable, dbferr::kNoTable, "", "APPEND"); });
  owner_.set_neterr(false);
  bool ok = owner_.guarded([&] {
    write_back();
    if (table_->read_only()) raise(gen::kReadOnly, dbferr::kReadOnly, table_->path(), "APPEND");
    release_for_append();
    uint32_t r = table_->append_record(blank_.data());
    rec_ = blank_;
    recno_ = r;
    eof_ = bof_ = false;
    dirty_ = false;
    for (auto& o : orders_) o->appended(r);
  });
  if (!ok) owner_.set_neterr(true);
  return ok;
}

bool WorkArea::delete_record() {
  return owner_.guarded([&] {
    require_used("DELETE");
    if (eof_) return;
    require_lock("DELETE");
    if (rec_[0] == '*') return;
    mark_changing();
    rec_[0] = '*';
    dirty_ = true;
    for (auto& o : orders_) o->deleted_changed(recno_, true);
  });
}

bool WorkArea::recall() {
  return owner_.guarded([&] {
    require_used("RECALL");
    if (eof_) return;
    require_lock("RECALL");
    if (rec_[0] != '*') return;
    mark_changing();
    rec_[0] = ' ';
    dirty_ = true;
    for (auto& o : orders_) o->deleted_changed(recno_, false);
  });
}

bool WorkArea::zap() {
  return owner_.guarded([&] {
    require_used("ZAP");
    dirty_ = false;
    table_->zap();
    for (auto& o : orders_) o->table_rewritten();
    load(0);
    bof_ = true;
  });
}

bool WorkArea::pack() {
  return owner_.guarded([&] {
    require_used("PACK");
    write_back();
    table_->pack();
    for (auto& o : orders_) o->table_rewritten();
  }) && (go_top(), true);
}

bool WorkArea::commit() {
  if (!used()) return true;
  return owner_.guarded([&] {
    write_back();
    table_->commit();
  });
}

bool WorkArea::rlock() {
  if (!used()) return false;
  bool granted = false;
  owner_.guarded([&] {
    write_back();
    if (table_->exclusive()) {
      granted = true;
      return;
    }
    if (!table_->record_locked(recno_)) table_->unlock_all();
    granted = table_->lock_record(recno_);
    if (granted && !eof_) load(recno_);  // what the last holder committed
  });
  return granted;
}

bool WorkArea::flock() {
  if (!used()) return false;
  bool granted = false;
  owner_.guarded([&] {
    write_back();
    if (table_->exclusive()) {
      granted = true;
      return;
    }
    if (!table_->file_locked()) table_->unlock_all();
    granted = table_->lock_file();
    if (granted) {
      table_->refresh_count();
      if (!eof_) load(recno_);
    }
  });
  return granted;
}

void WorkArea::unlock() {
  if (!used()) return;
  owner_.guarded([&] {
    write_back();
    table_->flush();
    table_->unlock_all();
  });
}

void WorkArea::close() {
  if (!used()) return;
  owner_.guarded([&] {
    write_back();
    for (auto& o : orders_) o->flush();
    table_->close();
  });
  orders_.clear();
  controlling_ = 0;
  table_.reset();
  alias_.clear();
  rec_.clear();
  blank_.clear();
  recno_ = 0;
  eof_ = bof_ = true;
  found_ = dirty_ = false;
  filter_ = locate_for_ = locate_while_ = nullptr;
}

// ---------------------------------------------------------------- WorkAreas

WorkAreas::WorkAreas() {
  areas_.resize(kMaxAreas + 1);
}

WorkAreas::~WorkAreas() {
  handler_ = nullptr;
  for (auto& a : areas_) {
    if (!a || !a->used()) continue;
    try {
      a->close();
    } catch (const ErrorException&) {
    }
  }
}

WorkArea& WorkAreas::area(int n) {
  if (n < 1 || n > kMaxAreas) n = selected_;
  auto& slot = areas_[static_cast<size_t>(n)];
  if (!slot) slot = std::make_unique<WorkArea>(*this, n);
  return *slot;
}

WorkArea* WorkAreas::find(std::string_view alias) {
  std::string a(alias);
  for (char& c : a)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  for (auto& slot : areas_)
    if (slot && slot->used() && slot->alias() == a) return slot.get();
  return nullptr;
}

int WorkAreas::next_free() const {
  for (int n = 1; n <= kMaxAreas; ++n) {
    const auto& slot = areas_[static_cast<size_t>(n)];
    if (!slot || !slot->used()) return n;
  }
  return 0;
}

bool WorkAreas::select(int n) {
  if (n == 0) n = next_free();
  if (n < 1 || n > kMaxAreas) return false;
  selected_ = n;
  return true;
}

bool WorkAreas::select(std::string_view alias) {
  WorkArea* a = find(alias);
  if (!a) return false;
  selected_ = a->number();
  return true;
}

bool WorkAreas::guarded(const std::function<void()>& op, Value* substitute) {
  int tries = 0;
  while (true) {
    try {
      op();
      return true;
    } catch (const ErrorException& ex) {
      if (!handler_) throw;
      Error e = ex.error();
      e.tries = ++tries;
      ErrorAnswer a = handler_(e);
      switch (a.kind) {
        case ErrorAnswer::Kind::Retry:
          if (e.can_retry) continue;
          break;
        case ErrorAnswer::Kind::Default:
          if (e.can_default) return false;
          break;
        case ErrorAnswer::Kind::Substitute:
          if (e.can_substitute && substitute) {
            *substitute = a.value;
            continue;  // the operation runs again with the substituted value
          }
          if (e.can_default) return false;
          break;
        case ErrorAnswer::Kind::Fail:
          break;
      }
      throw ErrorException(std::move(e));
    }
  }
}

bool WorkAreas::use(std::string_view path, std::string_view alias, OpenMode mode,
                    bool read_only) {
  WorkArea& a = current();
  a.close();
  neterr_ = false;
  std::string file = with_default_extension(path, ".dbf");
  std::string name = alias.empty() ? default_alias(file) : std::string(alias);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  bool exclusive = mode == OpenMode::Exclusive || (mode == OpenMode::Default && exclusive_);
  std::unique_ptr<DbfTable> t;
  bool ok = guarded([&] {
    if (WorkArea* other = find(name); other && other != &a)
      raise(gen::kDupAlias, dbferr::kDupAlias, file, name);
    t = DbfTable::open(file, exclusive, read_only);
  });
  if (!ok || !t) {
    neterr_ = true;
    return false;
  }
  a.attach(std::move(t), std::move(name));
  return true;
}

bool WorkAreas::create(std::string_view path, const Structure& fields) {
  std::string file = with_default_extension(path, ".dbf");
  return guarded([&] { DbfTable::create(file, fields)->close(); });
}

void WorkAreas::close_area() { current().close(); }

void WorkAreas::close_all() {
  for (auto& slot : areas_)
    if (slot && slot->used()) slot->close();
}

bool WorkAreas::commit_all() {
  bool ok = true;
  for (auto& slot : areas_)
    if (slot && slot->used()) ok = slot->commit() && ok;
  return ok;
}

}  // namespace xbase
