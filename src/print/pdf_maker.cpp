#include "print/pdf_maker.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <tuple>
#include <mutex>
#include <utility>
#include <vector>

#include "xbase/cp852.h"

namespace print::pdf {

namespace {

constexpr double kA4Short = 595.276;  // 210 mm
constexpr double kA4Long = 841.89;    // 297 mm
constexpr double kMargin = 18;


cairo_status_t write_to_file(void* closure, const unsigned char* data, unsigned int length) {
  auto* f = static_cast<std::FILE*>(closure);
  return std::fwrite(data, 1, length, f) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

struct Maker::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  cairo_font_face_t* cairo_face = nullptr;
  cairo_font_face_t* bold_face = nullptr;
  cairo_font_options_t* font_options = nullptr;
  double advance_em = 0.6;                  // the font's cell width in em
  // The font's height against the line pitch, and where the baseline lies in a
  // line: taken from the box-drawing glyph "│", so that frames join from line to line.
  double em_of_pitch = 10.0 / 12.0;
  double baseline_of_pitch = 0.75;
  std::array<unsigned long, 256> glyph{};   // glyph index of every CP852 byte
  std::map<std::tuple<double, double, bool>, cairo_scaled_font_t*> fonts;

  ~Impl() { unload(); }

  void unload() {
    for (auto& [key, f] : fonts) cairo_scaled_font_destroy(f);
    fonts.clear();
    if (font_options) cairo_font_options_destroy(font_options);
    font_options = nullptr;
    if (bold_face) cairo_font_face_destroy(bold_face);
    bold_face = nullptr;
    if (cairo_face) cairo_font_face_destroy(cairo_face);  // releases the FT face
    cairo_face = nullptr;
    face = nullptr;
    if (library) FT_Done_FreeType(library);
    library = nullptr;
  }

  // A scaled font whose glyphs fill a cell `sx` wide and are `sy` high.
  cairo_scaled_font_t* font(double sx, double sy, bool bold = false) {
    auto key = std::make_tuple(sx, sy, bold);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    cairo_matrix_t fm, ctm;
    cairo_matrix_init(&fm, sx / advance_em, 0, 0, sy, 0, 0);
    cairo_matrix_init_identity(&ctm);
    cairo_scaled_font_t* f = cairo_scaled_font_create(bold ? bold_face : cairo_face, &fm, &ctm, font_options);
    fonts.emplace(key, f);
    return f;
  }
};

Maker::Maker() : impl_(std::make_unique<Impl>()) {}
Maker::~Maker() = default;

bool Maker::load_font(const std::string& font_file) {
  Impl& m = *impl_;
  m.unload();
  if (::access(font_file.c_str(), R_OK) != 0) return false;
  if (FT_Init_FreeType(&m.library) != 0) return false;
  if (FT_New_Face(m.library, font_file.c_str(), 0, &m.face) != 0) {
    m.face = nullptr;
    m.unload();
    return false;
  }
  FT_Face face = m.face;
  m.cairo_face = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
  static cairo_user_data_key_t key;
  // The FreeType face lives as long as cairo's face.
  cairo_font_face_set_user_data(m.cairo_face, &key, face,
                                [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
  // Bold is the same font's outlines thickened on every side (what filling and
  // stroking a glyph does), made once per glyph by FreeType and embedded as a
  // subset of its own, instead of a stroked outline drawn at every occurrence.
  m.bold_face = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
  cairo_ft_font_face_set_synthesize(m.bold_face, CAIRO_FT_SYNTHESIZE_BOLD);
  m.font_options = cairo_font_options_create();
  cairo_font_options_set_hint_style(m.font_options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(m.font_options, CAIRO_HINT_METRICS_OFF);
  FT_UInt m_glyph = FT_Get_Char_Index(face, 'M');
  if (m_glyph != 0 && FT_Load_Glyph(face, m_glyph, FT_LOAD_NO_SCALE) == 0 && face->units_per_EM > 0)
    m.advance_em = static_cast<double>(face->glyph->advance.x) / face->units_per_EM;
  FT_UInt bar = FT_Get_Char_Index(face, 0x2502);
  if (bar != 0 && FT_Load_Glyph(face, bar, FT_LOAD_NO_SCALE) == 0 && face->units_per_EM > 0) {
    FT_BBox box;
    FT_Outline_Get_CBox(&face->glyph->outline, &box);
    double height = static_cast<double>(box.yMax - box.yMin) / face->units_per_EM;
    if (height > 0.5 && height < 2) {
      m.em_of_pitch = 1 / height;
      m.baseline_of_pitch = static_cast<double>(box.yMax) / face->units_per_EM / height;
    }
  }
  for (int c = 0; c < 256; ++c) {
    char32_t u = xbase::cp852_to_unicode(static_cast<unsigned char>(c));
    m.glyph[static_cast<size_t>(c)] = FT_Get_Char_Index(face, u);
  }
  return true;
}

Result Maker::make(std::string_view bytes, Language language, int paper, const std::string& path) {
  Impl& m = *impl_;
  Result result;
  if (!m.cairo_face) {
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
  double page_w = wide ? kA4Long : kA4Short;
  double page_h = wide ? kA4Short : kA4Long;
  double area_w = page_w - 2 * kMargin;
  double area_h = page_h - 2 * kMargin;

  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) {
    result.status = Result::Status::CreateFailed;
    return result;
  }
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(write_to_file, out, page_w, page_h);
  // Fixed document data: the same job gives the same file.
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "mvirda23");
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, "");
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 0, 0);

  std::vector<cairo_glyph_t> glyphs;
  do {
    double scale = 1;
    if (page.width > area_w) scale = std::min(scale, area_w / page.width);
    if (page.height > area_h) scale = std::min(scale, area_h / page.height);
    for (const Run& run : page.runs) {
      double cell = run.cell * scale;
      double top = kMargin + run.top * scale;
      double baseline = top + run.pitch * m.baseline_of_pitch * scale;
      double left = kMargin + run.x * scale;
      glyphs.clear();
      for (size_t i = 0; i < run.text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(run.text[i]);
        if (c == ' ' || c == 0xFF) continue;
        glyphs.push_back({m.glyph[c], left + cell * static_cast<double>(i), baseline});
      }
      if (glyphs.empty()) continue;
      cairo_set_scaled_font(cr, m.font(cell, run.pitch * m.em_of_pitch * scale, run.bold));
      int n = static_cast<int>(glyphs.size());
      cairo_show_glyphs(cr, glyphs.data(), n);
      if (run.underline) {
        double y = baseline + run.pitch * 0.1 * scale;
        cairo_set_line_width(cr, 0.05 * run.pitch * scale);
        cairo_move_to(cr, left, y);
        cairo_line_to(cr, left + cell * static_cast<double>(run.text.size()), y);
        cairo_stroke(cr);
      }
    }
    cairo_show_page(cr);
    ++result.pages;
  } while (reader.next(page));
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::remove(path.c_str());
    result.status = Result::Status::CreateFailed;
    return result;
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) result.bytes = st.st_size;
  return result;
}

Result make_pdf(std::string_view bytes, const Options& options, const std::string& path) {
  // The maker keeps its font: loading and subsetting state are built once.
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
