// Work areas: numbered slots that each hold one open table with its record pointer,
// current record buffer, filter, LOCATE condition, locks and orders; and the set of
// them (WorkAreas), the context that carries the selected area, the SET EXCLUSIVE,
// SET DELETED and SET EXACT settings and the replaceable error handler.
//
// Every failure becomes an Error handed to the handler; its answer is obeyed (retry
// the operation, take the default, substitute a value). Without a handler, or when
// the handler answers something the error does not allow, ErrorException is thrown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/dbf_table.h"
#include "xbase/error.h"
#include "xbase/workarea_order.h"

namespace xbase {

class WorkAreas;

enum class OpenMode { Default, Shared, Exclusive };  // Default follows SET EXCLUSIVE

// A condition on the current record of an area (filters, LOCATE, APPEND FROM … FOR).
using RecordCondition = std::function<bool()>;

class WorkArea {
 public:
  WorkArea(WorkAreas& owner, int number) : owner_(owner), number_(number) {}
  WorkArea(const WorkArea&) = delete;
  WorkArea& operator=(const WorkArea&) = delete;

  int number() const { return number_; }
  bool used() const { return table_ != nullptr; }
  const std::string& alias() const { return alias_; }
  DbfTable* table() { return table_.get(); }
  WorkAreas& owner() { return owner_; }

  // --- Structure and fields of the current record (positions are 0-based) ---
  int field_count() const;
  const FieldDef& field(int pos) const;
  const Structure& structure() const;
  int field_pos(std::string_view name) const;  // -1 when the table has no such field
  Value get(int pos) const;                    // the phantom record gives blank values
  Value get(std::string_view name) const;      // unknown name: error 14 (no variable)
  // Stores a value with the field's type and width. A number wider than the field
  // raises the data width error (34); a value of the wrong type the data type error
  // (33); a memo field refuses writing. Under shared access the record or the file
  // must be locked (38). False when nothing was stored (handler gave the default).
  bool put(int pos, const Value& v);
  bool put(std::string_view name, const Value& v);
  const char* record_bytes() const { return rec_.data(); }

  // --- Navigation ---
  void go_top();
  void go_bottom();
  void go_to(uint32_t recno);
  void skip(long n = 1);  // SKIP 0 re-reads the record from the file
  uint32_t recno() const { return recno_; }
  uint32_t lastrec();  // under shared access re-reads the file size
  bool eof() const { return eof_; }
  bool bof() const { return bof_; }
  bool found() const { return found_; }
  bool deleted() const { return used() && !eof_ && rec_[0] == '*'; }

  // --- Filter, LOCATE / CONTINUE, SEEK ---
  void set_filter(RecordCondition cond) { filter_ = std::move(cond); }
  void clear_filter() { filter_ = nullptr; }
  bool has_filter() const { return static_cast<bool>(filter_); }
  // LOCATE FOR cond [WHILE while_cond]: from the top, or with `rest` from the current
  // record. Returns FOUND().
  bool locate(RecordCondition cond, bool rest = false, RecordCondition while_cond = nullptr);
  bool continue_locate();
  // SEEK through the controlling order; error 36 without one.
  bool seek(const Value& key, bool soft = false, bool last = false);

  // --- Orders (indexes) ---
  // Adds an order kept current on every change; the first one added controls.
  void add_order(std::unique_ptr<WorkAreaOrder> order);
  void set_order(int n);  // 1-based; 0 = natural (record number) order
  int order_number() const { return controlling_; }
  WorkAreaOrder* controlling_order();
  size_t order_count() const { return orders_.size(); }
  WorkAreaOrder* order_at(size_t i) { return orders_[i].get(); }
  void clear_orders();

  // --- Changes ---
  bool append_blank();  // APPEND BLANK; under shared access locks the new record
  bool delete_record();
  bool recall();
  bool zap();
  bool pack();
  bool commit();  // the pending record and the table's window to disk, fsync

  // --- Locks ---
  bool rlock();   // releases this area's other locks, locks the current record
  bool flock();   // releases the record locks, locks the whole table
  void unlock();  // writes the pending record, releases every lock

  // Closes the table (pending changes written, locks released).
  void close();

  // Used by WorkAreas::use().
  void attach(std::unique_ptr<DbfTable> table, std::string alias);

 private:
  bool visible() const;
  void load(uint32_t recno);   // writes back a changed record, then reads recno (or the phantom)
  void write_back();           // the changed record to the table
  bool require_used(const char* op) const;
  bool require_lock(const char* op);
  void release_for_append();
  uint32_t first_rec();
  uint32_t last_rec();
  uint32_t next_rec(uint32_t r);
  uint32_t prev_rec(uint32_t r);
  void to_phantom();
  bool scan_locate();
  void mark_changing();

  WorkAreas& owner_;
  int number_;
  std::unique_ptr<DbfTable> table_;
  std::string alias_;
  std::string rec_;    // the current record (or the blank phantom record)
  std::string blank_;  // a blank record
  uint32_t recno_ = 0;
  bool eof_ = true, bof_ = true, found_ = false;
  bool dirty_ = false;
  RecordCondition filter_;
  RecordCondition locate_for_, locate_while_;
  std::vector<std::unique_ptr<WorkAreaOrder>> orders_;
  int controlling_ = 0;
};

class WorkAreas {
 public:
  static constexpr int kMaxAreas = 250;

  WorkAreas();
  ~WorkAreas();  // closes every area; errors at this point are dropped
  WorkAreas(const WorkAreas&) = delete;
  WorkAreas& operator=(const WorkAreas&) = delete;

  // --- Settings ---
  void set_error_handler(ErrorHandler h) { handler_ = std::move(h); }
  const ErrorHandler& error_handler() const { return handler_; }
  void set_exclusive(bool on) { exclusive_ = on; }  // SET EXCLUSIVE (on by default)
  bool exclusive() const { return exclusive_; }
  void set_deleted(bool on) { deleted_ = on; }  // SET DELETED: hide deleted records
  bool deleted_hidden() const { return deleted_; }
  // SET EXACT, for "=" and the comparisons of texts in every evaluation over these
  // areas (expr_workareas.h). Off: a text equals any text it begins with.
  void set_exact(bool on) { exact_ = on; }
  bool exact() const { return exact_; }
  // NETERR(): true after an open or append that failed and was given the default.
  bool neterr() const { return neterr_; }
  void set_neterr(bool v) { neterr_ = v; }

  // --- Selection ---
  int selected() const { return selected_; }
  WorkArea& current() { return area(selected_); }
  WorkArea& area(int n);           // 1 … kMaxAreas
  WorkArea* find(std::string_view alias);  // nullptr when no open area has that alias
  bool select(int n);              // SELECT n; 0 selects the next free area
  bool select(std::string_view alias);  // false when the alias is not open
  int next_free() const;           // the lowest area without a table; 0 when none

  // --- Opening, creating, closing ---
  // USE path [ALIAS alias] [SHARED|EXCLUSIVE] in the selected area. ".dbf" is added
  // when the last path component has no extension; the name is found ignoring case.
  bool use(std::string_view path, std::string_view alias = "", OpenMode mode = OpenMode::Default,
           bool read_only = false);
  // CREATE: makes an empty table with this structure (and closes it).
  bool create(std::string_view path, const Structure& fields);
  void close_area();  // the selected area
  void close_all();
  bool commit_all();  // COMMIT: every open area

  // Runs `op`; an ErrorException from it goes to the handler. Retry runs it again,
  // Default returns false, Substitute stores the value in *substitute (when given)
  // and returns false. Anything else rethrows.
  bool guarded(const std::function<void()>& op, Value* substitute = nullptr);

 private:
  std::vector<std::unique_ptr<WorkArea>> areas_;
  int selected_ = 1;
  bool exclusive_ = true;
  bool deleted_ = false;
  bool exact_ = false;
  bool neterr_ = false;
  ErrorHandler handler_;
};

// Remembers the selected area and selects it again when it goes out of scope.
class AreaSelection {
 public:
  explicit AreaSelection(WorkAreas& areas) : areas_(areas), saved_(areas.selected()) {}
  ~AreaSelection() { areas_.select(saved_); }
  AreaSelection(const AreaSelection&) = delete;
  AreaSelection& operator=(const AreaSelection&) = delete;

 private:
  WorkAreas& areas_;
  int saved_;
};

}  // namespace xbase
