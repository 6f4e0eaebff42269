#include "xbase/ntx_order.h"

#include <fcntl.h>
#include <unistd.h>

#include "xbase/collation.h"
#include "xbase/expr.h"
#include "xbase/expr_host.h"
#include "xbase/fileio.h"
#include "xbase/ntx_io.h"
#include "xbase/ntx_key_gather.h"

namespace xbase {

namespace {

// The work areas as the evaluator sees them, with a fixed area as the selected one:
// an index key is always evaluated on its own table, whichever area is selected.
class AreaHost : public ExprHost {
 public:
  AreaHost(WorkAreas& areas, int area) : areas_(areas), area_(area) {}
  int selected_area() const override { return area_; }
  int area_of_alias(std::string_view alias) const override {
    WorkArea* a = areas_.find(alias);
    return a ? a->number() : 0;
  }
  int field_index(int area, std::string_view name) const override {
    return area >= 1 ? areas_.area(area).field_pos(name) : -1;
  }
  Value field_value(int area, int index) const override { return areas_.area(area).get(index); }
  bool deleted(int area) const override { return areas_.area(area).deleted(); }
  int64_t recno(int area) const override { return areas_.area(area).recno(); }

 private:
  WorkAreas& areas_;
  int area_;
};

std::string ntx_path(std::string_view path) {
  return resolve_path_nocase(with_default_extension(path, ".ntx"));
}

NtxOptions options_for(WorkArea& area) {
  NtxOptions o;
  DbfTable* t = area.table();
  o.share = t && !t->exclusive() ? NtxShare::Shared : NtxShare::Exclusive;
  o.read_only = t && t->read_only();
  return o;
}

}  // namespace

NtxKeyFunction ntx_key_function(WorkAreas& areas, std::string_view key_text, Variables* vars,
                                const Functions* app) {
  auto host = std::make_shared<AreaHost>(areas, areas.selected());
  Expr expr = Expr::compile(key_text, app);
  EvalContext ctx;
  ctx.host = host.get();
  ctx.vars = vars;
  ctx.functions = app;
  return [host, expr, ctx]() mutable { return expr.eval(ctx); };
}

NtxKeyShape ntx_key_shape(const Value& v) {
  NtxKeyShape s;
  switch (v.type()) {
    case Type::Character:
      s.size = std::min<std::size_t>(v.as_str().size(), ntx::kMaxKeySize);
      break;
    case Type::Numeric:
      s.type = 'N';
      s.size = static_cast<std::size_t>(v.width() > 0 ? v.width() : 10);
      s.decimals = v.decimals();
      break;
    case Type::Date:
      s.type = 'D';
      s.size = 8;
      break;
    case Type::Logical:
      s.type = 'L';
      s.size = 1;
      break;
    default:
      break;
  }
  return s;
}

NtxOrder::NtxOrder(WorkArea& area, std::unique_ptr<NtxFile> file, NtxKeyFunction key, bool temporary)
    : area_(area), file_(std::move(file)), key_(std::move(key)), temporary_(temporary) {}

NtxOrder::~NtxOrder() {
  if (!temporary_ || !file_) return;
  std::string path = file_->path();
  file_.reset();
  ::unlink(path.c_str());
}

std::unique_ptr<NtxFile> NtxOrder::build(WorkArea& area, const std::string& path,
                                         std::string_view key_text, const NtxKeyFunction& key,
                                         NtxOptions opts) {
  uint32_t count = area.lastrec();
  // The key's type and size come from the first record (the blank record of an empty
  // table, whose fields have their full widths).
  area.go_to(count >= 1 ? 1 : 0);
  NtxKeyShape shape = ntx_key_shape(key());
  if (shape.size == 0)
    ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "key expression gives no key: " + std::string(key_text));
  NtxBuildInput in = gather_index_keys(area, key_text, key, shape, count, opts.build_threads);
  return NtxFile::create(path, key_text, shape.size, shape.decimals, std::move(in), opts);
}

std::unique_ptr<NtxOrder> NtxOrder::index_on(WorkArea& area, std::string_view path,
                                             std::string_view key_text, NtxKeyFunction key,
                                             bool temporary) {
  std::unique_ptr<NtxFile> f = build(area, ntx_path(path), key_text, key, options_for(area));
  return std::unique_ptr<NtxOrder>(new NtxOrder(area, std::move(f), std::move(key), temporary));
}

std::unique_ptr<NtxOrder> NtxOrder::open(WorkArea& area, std::string_view path, NtxKeyFunction key) {
  std::unique_ptr<NtxFile> f = NtxFile::open(ntx_path(path), options_for(area));
  return std::unique_ptr<NtxOrder>(new NtxOrder(area, std::move(f), std::move(key), false));
}

std::unique_ptr<NtxOrder> NtxOrder::index_on(WorkAreas& areas, std::string_view path,
                                             std::string_view key_text, bool temporary,
                                             Variables* vars, const Functions* app) {
  return index_on(areas.current(), path, key_text, ntx_key_function(areas, key_text, vars, app), temporary);
}

std::unique_ptr<NtxOrder> NtxOrder::open(WorkAreas& areas, std::string_view path, Variables* vars,
                                         const Functions* app) {
  NtxKeyFunction key = ntx_key_function(areas, stored_key(path), vars, app);
  key();
  return open(areas.current(), path, std::move(key));
}

std::string NtxOrder::stored_key(std::string_view path) {
  std::string p = ntx_path(path);
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ntx::throw_error(gen::kOpen, ntx::kSubOpen, p, "open", ntx::os_code_of(errno));
  unsigned char block[ntx::kPageSize];
  std::size_t got = ntx::read_at(fd, block, sizeof block, 0);
  off_t size = ::lseek(fd, 0, SEEK_END);
  ::close(fd);
  ntx::Header h;
  std::string err = got == sizeof block ? ntx::decode_header(block, static_cast<uint64_t>(size), h)
                                        : std::string("header cut short");
  if (!err.empty()) ntx::throw_error(gen::kCorruption, ntx::kSubCorrupt, p, err);
  return h.key_expr;
}

std::string NtxOrder::current_key() {
  return collation::key_of(key_(), file_->key_size(), file_->key_decimals());
}

std::string NtxOrder::seek_bytes(const Value& key) const {
  if (key.is_str()) return key.as_str().substr(0, file_->key_size());  // a prefix
  return collation::key_of(key, file_->key_size(), file_->key_decimals());
}

bool NtxOrder::position(uint32_t recno) {
  std::string k = current_key();
  if (file_->valid() && file_->recno() == recno && file_->key() == k) return true;
  return file_->go_to(k, recno);
}

uint32_t NtxOrder::first() { return file_->go_top() ? file_->recno() : 0; }
uint32_t NtxOrder::last() { return file_->go_bottom() ? file_->recno() : 0; }

uint32_t NtxOrder::next(uint32_t recno) {
  if (!position(recno)) {
    // The record is not under its key (another process changed it): go on from the key.
    if (!file_->seek(current_key())) return 0;
    if (file_->recno() != recno) return file_->recno();
  }
  return file_->next() ? file_->recno() : 0;
}

uint32_t NtxOrder::prev(uint32_t recno) {
  if (!position(recno)) {
    bool ok = file_->seek(current_key()) ? file_->prev() : file_->go_bottom();
    return ok ? file_->recno() : 0;
  }
  return file_->prev() ? file_->recno() : 0;
}

SeekResult NtxOrder::seek(const Value& key, bool last, const RecordVisible& visible) {
  std::string b = seek_bytes(key);
  auto matches = [&] { return file_->key().compare(0, b.size(), b) == 0; };
  if (last) {
    for (bool ok = file_->seek_last(b); ok && matches(); ok = file_->prev()) {
      uint32_t r = file_->recno();
      if (visible(r)) return {r, true};
    }
  }
  for (bool ok = file_->seek(b); ok; ok = file_->next()) {
    uint32_t r = file_->recno();
    bool m = matches();
    if (last && m) continue;  // every matching record was hidden
    if (visible(r)) return {r, m};
  }
  return {0, false};
}

void NtxOrder::appended(uint32_t recno) { file_->insert(current_key(), recno); }

void NtxOrder::before_change(uint32_t recno) {
  old_key_ = current_key();
  old_recno_ = recno;
}

void NtxOrder::after_change(uint32_t recno) {
  if (old_recno_ != recno) return;
  old_recno_ = 0;
  std::string k = current_key();
  if (k == old_key_) return;
  // Another process must never see the record missing or twice.
  NtxFile::Lock lock(*file_, true);
  file_->remove(old_key_, recno);
  file_->insert(k, recno);
}

void NtxOrder::table_rewritten() {
  std::string path = file_->path();
  std::string text = file_->key_expr();
  NtxOptions opts = options_for(area_);
  file_.reset();  // the rebuild needs the file's exclusive lock
  try {
    file_ = build(area_, path, text, key_, opts);
  } catch (...) {
    file_ = NtxFile::open(path, opts);  // keep an order to work with, then report
    throw;
  }
}

void NtxOrder::flush() {
  if (file_) file_->flush();
}

}  // namespace xbase
