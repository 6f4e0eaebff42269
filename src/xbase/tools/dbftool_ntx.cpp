#include "dbftool_ntx.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "xbase/cp852.h"
#include "xbase/dbf_check.h"
#include "xbase/fileio.h"
#include "xbase/ntx_order.h"
#include "xbase/workarea.h"

namespace xbase::tools {
namespace {

// Opens the table and attaches the index with its stored key expression.
NtxOrder& open_indexed(WorkAreas& areas, const std::string& table, const std::string& index) {
  if (!areas.use(with_default_extension(table, ".dbf"), "", OpenMode::Shared, true)) {
    Error e;
    e.gen_code = gen::kOpen;
    e.subsystem = "DBFNTX";
    e.sub_code = 1001;
    e.description = "Open error";
    e.filename = table;
    throw ErrorException(std::move(e));
  }
  WorkArea& area = areas.current();
  std::string key = NtxOrder::stored_key(index);
  auto order = NtxOrder::open(area, index, ntx_key_function(areas, key));
  NtxOrder& o = *order;
  area.add_order(std::move(order));
  return o;
}

int cmd_index(const std::string& table, const std::string& key_utf8, const std::string& index) {
  WorkAreas areas;
  if (!areas.use(with_default_extension(table, ".dbf"))) return 1;
  WorkArea& area = areas.current();
  std::string key = utf8_to_cp852(key_utf8);
  auto order = NtxOrder::index_on(area, index, key, ntx_key_function(areas, key));
  std::printf("%u records indexed, key size %zu\n", area.lastrec(), order->file().key_size());
  return 0;
}

int cmd_check_index(const std::string& table, const std::string& index) {
  IndexCheck res = check_index(with_default_extension(table, ".dbf"), index);
  for (const std::string& f : res.faults) std::printf("%s\n", cp852_to_utf8(f).c_str());
  if (!res.sound()) return 1;
  std::printf("rendben: %llu kulcs, %llu lap, %d szint\n",
              static_cast<unsigned long long>(res.keys), static_cast<unsigned long long>(res.pages),
              res.depth);
  return 0;
}

int cmd_seek(const std::string& table, const std::string& index, const std::string& text_utf8) {
  WorkAreas areas;
  NtxOrder& o = open_indexed(areas, table, index);
  WorkArea& area = areas.current();
  // The text stands for a value of the key's type.
  area.go_to(area.lastrec() >= 1 ? 1 : 0);
  Value sample = o.key_value();
  std::string text = utf8_to_cp852(text_utf8);
  Value key = Value::str(text);
  if (sample.is_num()) key = Value::num(std::strtod(text.c_str(), nullptr));
  if (sample.is_date()) key = Value::date(Date::from_dtos(text));
  if (sample.is_logical()) key = Value::logical(text == "T" || text == "t");
  if (area.seek(key)) {
    std::printf("%u\n", area.recno());
    return 0;
  }
  std::printf("not found\n");
  return 1;
}

}  // namespace

int run_index_command(int argc, char** argv) {
  std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "index" && argc == 5) return cmd_index(argv[2], argv[3], argv[4]);
  if (cmd == "check-index" && argc == 4) return cmd_check_index(argv[2], argv[3]);
  if (cmd == "seek" && argc == 5) return cmd_seek(argv[2], argv[3], argv[4]);
  return -1;
}

}  // namespace xbase::tools
