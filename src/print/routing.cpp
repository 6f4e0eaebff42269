#include "print/routing.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>

#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace print {

namespace pf = support::platform;

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

int system_random() {
  static std::mt19937 gen{std::random_device{}()};
  return std::uniform_int_distribution<int>(1, 256)(gen);
}

RandomSource& random_source() {
  static RandomSource source = system_random;
  return source;
}

std::string print_name(int r1, int r2) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "PR%03d%03d.PRN", r1, r2);
  return buf;
}

constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

}  // namespace

Route route_of_eprport(std::string_view eprport) {
  std::string r = xbase::upper(xbase::alltrim(eprport));
  if (r == "USB") return {RouteKind::Usb, 6, "USB"};
  if (r == "PDF") return {RouteKind::Pdf, 7, "PDF"};
  if (r.size() == 4 && r.rfind("LPT", 0) == 0 && r[3] >= '1' && r[3] <= '5') {
    int n = r[3] - '0';
    return {n == 5 ? RouteKind::Spool : RouteKind::Port, n, r};
  }
  return {RouteKind::Port, 1, "LPT1"};
}

std::string printer_par(const std::string& program_dir, std::string_view key) {
  std::string path = pf::find_nocase(pf::join(program_dir.empty() ? "." : program_dir, "nyomtato.par"));
  for (const std::string& line : pf::read_lines(path, 4096, 1 << 16)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (xbase::upper(xbase::alltrim(line.substr(0, eq))) == xbase::upper(key))
      return xbase::alltrim(line.substr(eq + 1));
  }
  return {};
}

std::string lpt_device(const std::string& program_dir, int port) {
  std::string n = std::to_string(port);
  std::string own = env(("VIRDA_LPT" + n).c_str());
  if (!own.empty()) return own;
  std::string par = printer_par(program_dir, "LPT" + n);
  if (!par.empty()) return par;
  return "/dev/lp" + std::to_string(port - 1);
}

std::string work_file() {
  std::string dir = env("TEMP");
  if (dir.empty()) dir = env("TMPDIR");
  if (dir.empty()) dir = "/tmp";
  static std::once_flag registered;
  std::call_once(registered, [] { std::atexit(remove_work_file); });
  return pf::join(dir, "DOSPRINT-" + std::to_string(::getpid()) + ".PRN");
}

void remove_work_file() {
  std::string dir = env("TEMP");
  if (dir.empty()) dir = env("TMPDIR");
  if (dir.empty()) dir = "/tmp";
  std::string f = pf::join(dir, "DOSPRINT-" + std::to_string(::getpid()) + ".PRN");
  ::unlink(f.c_str());
  ::unlink((f + ".pdf").c_str());
}

std::string spool_dir() { return pf::to_linux("C:\\prtwrk\\prt1"); }

std::string pdf_font_path(const std::string& program_dir) {
  std::string own = env("VIRDA_PDFFONT");
  if (!own.empty()) return own;
  std::string par = printer_par(program_dir, "PDFFONT");
  if (!par.empty()) return par;
  std::string found = kDefaultFont;
  if (FcConfig* config = FcInitLoadConfigAndFonts()) {
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans Mono:style=Book"));
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    if (FcPattern* match = FcFontMatch(config, pat, &result)) {
      FcChar8* family = nullptr;
      FcChar8* file = nullptr;
      // Only the font itself: a substitute would draw other letters.
      if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
          std::string(reinterpret_cast<char*>(family)) == "DejaVu Sans Mono" &&
          FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        found = reinterpret_cast<char*>(file);
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
    FcConfigDestroy(config);
  }
  return found;
}

bool on_path(std::string_view program) {
  std::string path = env("PATH");
  size_t i = 0;
  while (i <= path.size()) {
    size_t end = path.find(':', i);
    if (end == std::string::npos) end = path.size();
    std::string dir = path.substr(i, end - i);
    if (dir.empty()) dir = ".";
    std::string candidate = pf::join(dir, program);
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return true;
    i = end + 1;
  }
  return false;
}

std::vector<std::string> split_words(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (i < text.size()) {
    while (i < text.size() && blank(text[i])) ++i;
    if (i >= text.size()) break;
    std::string word;
    bool quoted = false;
    while (i < text.size() && (quoted || !blank(text[i]))) {
      if (text[i] == '"')
        quoted = !quoted;
      else
        word += text[i];
      ++i;
    }
    words.push_back(std::move(word));
  }
  return words;
}

void set_random_source(RandomSource source) {
  random_source() = source ? std::move(source) : RandomSource(system_random);
}

std::string random_print_name() {
  int r1 = random_source()();
  int r2 = random_source()();
  return print_name(r1, r2);
}

std::string place_under_random_name(const std::string& dir,
                                    const std::function<bool(const std::string& path)>& place) {
  auto attempt = [&](const std::string& name, bool& taken) {
    std::string path = pf::join(dir, name);
    errno = 0;
    if (place(path)) return path;
    taken = errno == EEXIST;
    return std::string();
  };
  for (int i = 0; i < 64; ++i) {
    bool taken = false;
    std::string p = attempt(random_print_name(), taken);
    if (!p.empty()) return p;
    if (!taken) return {};
  }
  for (int r1 = 1; r1 <= 256; ++r1)
    for (int r2 = 1; r2 <= 256; ++r2) {
      bool taken = false;
      std::string p = attempt(print_name(r1, r2), taken);
      if (!p.empty()) return p;
      if (!taken) return {};
    }
  return {};
}

std::vector<std::string> device_message(const std::string& device, int error) {
  std::string why;
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV: why = HU("Nincs ilyen eszköz."); break;
    case EACCES:
    case EPERM:
    case EROFS: why = HU("Nincs írási jog."); break;
    case EBUSY: why = HU("Az eszközt más használja."); break;
    default: why = std::string(HU("Rendszerhiba: ")) + std::to_string(error) + "."; break;
  }
  return {std::string(HU("A nyomtató nem érhető el: ")) + pf::shown_path(device), why};
}

std::vector<std::string> spool_message(const std::string& dir) {
  return {std::string(HU("A nyomtatási könyvtár nem hozható létre: ")) + pf::shown_path(dir)};
}

std::vector<std::string> lp_missing_message() {
  return {std::string(HU("Az lp program nem indítható (cups-client)."))};
}

std::vector<std::string> lp_failed_message(int code, const std::string& kept_copy) {
  return {
      std::string(HU("A nyomtatás nem sikerült (lp kilépési kód ")) + std::to_string(code) + ").",
      std::string(HU("A nyomtatási fájl megmaradt: ")) + pf::shown_path(kept_copy)};
}

std::vector<std::string> font_message(const std::string& font) {
  return {std::string(HU("A PDF-hez szükséges betűkészlet hiányzik: ")) + pf::shown_path(font)};
}

std::vector<std::string> pdf_create_message(const std::string& path) {
  return {std::string(HU("A PDF fájl nem hozható létre: ")) + pf::shown_path(path)};
}

std::vector<std::string> viewer_missing_message() {
  return {std::string(HU("A PDF megtekintő nem indítható (xdg-open)."))};
}

std::vector<std::string> work_file_message(const std::string& path) {
  return {std::string(HU("A nyomtatási fájl nem írható: ")) + pf::shown_path(path),
          std::string(HU("Lehet, hogy megtelt a lemez."))};
}

RouteStatus route_status(const std::string& program_dir, const Route& route) {
  RouteStatus s;
  switch (route.kind) {
    case RouteKind::Port: {
      std::string device = lpt_device(program_dir, route.port);
      int fd = ::open(device.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
      if (fd < 0) {
        s.code = errno == 0 ? 1 : errno;
        s.message = device_message(device, errno);
      } else {
        ::close(fd);
      }
      break;
    }
    case RouteKind::Spool: {
      std::string dir = spool_dir();
      if (!pf::make_dirs(dir)) {
        s.code = 1;
        s.message = spool_message(dir);
      }
      break;
    }
    case RouteKind::Usb:
      if (!on_path("lp")) {
        s.code = 1;
        s.message = lp_missing_message();
      }
      break;
    case RouteKind::Pdf: {
      std::string font = pdf_font_path(program_dir);
      if (::access(font.c_str(), R_OK) != 0) {
        s.code = 1;
        s.message = font_message(font);
      }
      break;
    }
  }
  return s;
}

int STATPRT(const std::string& program_dir, int port) {
  Route r = port == 6 ? Route{RouteKind::Usb, 6, "USB"}
            : port == 7 ? Route{RouteKind::Pdf, 7, "PDF"}
                        : route_of_eprport("LPT" + std::to_string(port < 1 || port > 5 ? 1 : port));
  return route_status(program_dir, r).code;
}

}  // namespace print
