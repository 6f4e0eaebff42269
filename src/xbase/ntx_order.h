// An NTX index as an order of a work area: INDEX ON, SET INDEX TO, navigation in key
// order and keeping the index current on every change of the area's records.
//
//   auto key = ntx_key_function(areas, "vkod+HUNGORD(nev)");
//   area.add_order(NtxOrder::index_on(area, "virda23", "vkod+HUNGORD(nev)", key));
//   area.add_order(NtxOrder::open(area, "virda232", ntx_key_function(areas, …)));
//
// The key is evaluated on the area's current record (the work area positions itself
// on the record concerned before it calls an order).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "xbase/ntx_file.h"
#include "xbase/workarea.h"
#include "xbase/workarea_order.h"

namespace xbase {

class Functions;
class Variables;

// The key expression's value for the area's current record.
using NtxKeyFunction = std::function<Value()>;

// Compiles `key_text` and evaluates it with the selected area of `areas` as the
// current one (fields by name, alias->field, memory variables from `vars` when given,
// the application's functions from `app`). Throws ErrorException on a syntax error.
NtxKeyFunction ntx_key_function(WorkAreas& areas, std::string_view key_text,
                                Variables* vars = nullptr, const Functions* app = nullptr);

// Key size and decimals of a key value: C its length (at most 256), N the value's STR()
// width and decimals, D 8, L 1.
struct NtxKeyShape {
  std::size_t size = 0;
  int decimals = 0;
  char type = 'C';
};
NtxKeyShape ntx_key_shape(const Value& v);

class NtxOrder : public WorkAreaOrder {
 public:
  // INDEX ON key TO path: evaluates the key for every record (deleted ones too), builds
  // the file (".ntx" added when the name has none) and leaves it open; a temporary
  // index is removed from disk when the order is closed. Moves the area's record pointer.
  static std::unique_ptr<NtxOrder> index_on(WorkArea& area, std::string_view path,
                                            std::string_view key_text, NtxKeyFunction key,
                                            bool temporary = false);
  // SET INDEX TO path: opens an existing file, shared when the table is shared. The
  // key function must evaluate the file's stored key expression (key_expr()).
  static std::unique_ptr<NtxOrder> open(WorkArea& area, std::string_view path, NtxKeyFunction key);
  // The stored key expression of an index file, for building its key function.
  static std::string stored_key(std::string_view path);

  // The same on the selected area of `areas`, with the key function made from the key
  // text (INDEX ON) or from the file's stored key expression (SET INDEX TO). Opening
  // evaluates the stored key once, so a key that no longer evaluates (a field gone) is
  // reported here as the evaluator's error object.
  static std::unique_ptr<NtxOrder> index_on(WorkAreas& areas, std::string_view path,
                                            std::string_view key_text, bool temporary = false,
                                            Variables* vars = nullptr, const Functions* app = nullptr);
  static std::unique_ptr<NtxOrder> open(WorkAreas& areas, std::string_view path,
                                        Variables* vars = nullptr, const Functions* app = nullptr);

  ~NtxOrder() override;

  NtxFile& file() { return *file_; }
  const std::string& key_expr() const { return file_->key_expr(); }
  // The key's value and key bytes for the area's current record.
  Value key_value() { return key_(); }
  std::string current_key();

  uint32_t first() override;
  uint32_t last() override;
  uint32_t next(uint32_t recno) override;
  uint32_t prev(uint32_t recno) override;
  SeekResult seek(const Value& key, bool last, const RecordVisible& visible) override;
  bool cursor_key_begins(const Value& prefix) override;

  void appended(uint32_t recno) override;
  void before_change(uint32_t recno) override;
  void after_change(uint32_t recno) override;
  void table_rewritten() override;
  void flush() override;

  // The key bytes a SEEK value stands for (a prefix for character keys).
  std::string seek_bytes(const Value& key) const;

 private:
  NtxOrder(WorkArea& area, std::unique_ptr<NtxFile> file, NtxKeyFunction key, bool temporary);
  // Puts the index cursor on the area's current record `recno`.
  bool position(uint32_t recno);
  static std::unique_ptr<NtxFile> build(WorkArea& area, const std::string& path,
                                        std::string_view key_text, const NtxKeyFunction& key,
                                        NtxOptions opts);

  WorkArea& area_;
  std::unique_ptr<NtxFile> file_;
  NtxKeyFunction key_;
  bool temporary_;
  std::string old_key_;
  uint32_t old_recno_ = 0;
};

}  // namespace xbase
