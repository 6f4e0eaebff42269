#include "print/pdf_maker.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "print/pdf_font.h"
#include "print/pdf_page.h"
#include "print/pdf_writer.h"
#include "support/platform_files.h"

namespace print::pdf {

namespace {

constexpr double kA4Short = 595.276;  // 210 mm
constexpr double kA4Long = 841.89;    // 297 mm
constexpr size_t kBuffer = 1 << 20;   // written to the file a megabyte at a time

}  // namespace

struct Maker::Impl {
  Font font;
  bool loaded = false;
};

Maker::Maker() : impl_(std::make_unique<Impl>()) {}
Maker::~Maker() = default;

bool Maker::load_font(const std::string& font_file) {
  impl_->loaded = impl_->font.load(font_file);
  return impl_->loaded;
}

Result Maker::make(std::string_view bytes, Language language, int paper, const std::string& path) {
  Result result;
  if (!impl_->loaded) {
    result.status = Result::Status::FontMissing;
    return result;
  }
  PageReader reader(bytes, language);
  Page page;
  if (!reader.next(page)) {
    result.status = Result::Status::Empty;
    return result;
  }
  bool wide = paper == 2;
  PageFrame frame;
  frame.width = wide ? kA4Long : kA4Short;
  frame.height = wide ? kA4Short : kA4Long;

  // Written under a work name and put in place when complete: a job that fails or is
  // broken off leaves no PDF.
  support::platform::ReplacingFile file;
  if (!file.create(path)) {
    result.status = Result::Status::CreateFailed;
    return result;
  }
  std::string buffer;
  buffer.reserve(kBuffer);
  bool wrote = true;
  auto flush = [&] {
    if (wrote && !buffer.empty()) wrote = file.write(buffer) == buffer.size();
    buffer.clear();
  };
  Writer w([&](std::string_view b) {
    buffer += b;
    if (buffer.size() >= kBuffer) flush();
    return wrote;
  });
  int font = impl_->font.write(w);
  std::string resources = "<</Font<</F1 " + std::to_string(font) + " 0 R>>>>";
  int res = w.object(resources);
  resources = std::to_string(res) + " 0 R";
  PageDrawer drawer(impl_->font);
  do {
    w.page(frame.width, frame.height, deflate(drawer.content(page, frame)), resources);
  } while (reader.next(page));
  result.pages = w.pages();
  bool ok = w.finish("mvirda23");
  flush();
  if (!ok || !wrote || !file.commit()) {
    result.status = Result::Status::CreateFailed;
    return result;
  }
  result.bytes = support::platform::file_size(path);
  return result;
}

Result make_pdf(std::string_view bytes, const Options& options, const std::string& path) {
  // The maker keeps its font: it is read and cut down once.
  static std::mutex lock;
  static Maker maker;
  static std::string loaded;
  std::lock_guard<std::mutex> guard(lock);
  if (loaded != options.font) {
    loaded.clear();
    if (!maker.load_font(options.font)) {
      Result r;
      r.status = Result::Status::FontMissing;
      return r;
    }
    loaded = options.font;
  }
  return maker.make(bytes, options.language, options.paper, path);
}

}  // namespace print::pdf
