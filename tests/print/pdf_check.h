// What the PDF tests share: a scratch directory with the PDF's font, the readers
// that check a made PDF from outside (the poppler tools, qpdf), and the greys of a
// page as pdftoppm renders it or as a reference image holds them.
#pragma once

#include <sys/wait.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "print/print_station.h"
#include "print/routing.h"

namespace print::pdf::testing {

// Standard output of a command (the poppler tools, qpdf); `status` its exit code.
inline std::string run(const std::string& command, int* status = nullptr) {
  std::string out;
  if (std::FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int s = ::pclose(p);
    if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  }
  return out;
}

struct Scratch {
  std::string dir;
  Scratch() {
    std::string base = std::filesystem::temp_directory_path().string() + "/pdftest-XXXXXX";
    dir = ::mkdtemp(base.data());
  }
  ~Scratch() { std::filesystem::remove_all(dir); }
  std::string font() const { return pdf_font_path(dir); }
};

// A page in greys, one byte a pixel, rows from the top.
struct Grey {
  int width = 0, height = 0;
  std::string pixels;
};

// A page of `pdf` (the first unless told) rendered at 50 dpi.
inline Grey render(const std::string& pdf, int page = 1) {
  std::string stem = pdf + "-page";
  std::string p = std::to_string(page);
  run("pdftoppm -r 50 -gray -f " + p + " -l " + p + " -singlefile '" + pdf + "' '" + stem + "'");
  std::string pgm = print::testing::slurp(stem + ".pgm");  // "P5 w h 255" and the bytes
  Grey g;
  int max = 0, used = 0;
  if (std::sscanf(pgm.c_str(), "P5 %d %d %d%n", &g.width, &g.height, &max, &used) == 3 && used > 0)
    g.pixels = pgm.substr(static_cast<size_t>(used) + 1);
  return g;
}

// A PNG image of 8 bits a sample, grey or RGB (its green taken), not interlaced.
inline Grey read_png(const std::string& path) {
  std::string f = print::testing::slurp(path);
  auto be32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(f[at]) << 24 | static_cast<unsigned char>(f[at + 1]) << 16 |
                                 static_cast<unsigned char>(f[at + 2]) << 8 | static_cast<unsigned char>(f[at + 3]));
  };
  Grey g;
  int channels = 1;
  std::string packed;
  for (size_t at = 8; at + 8 <= f.size();) {
    uint32_t len = be32(at);
    std::string type = f.substr(at + 4, 4);
    if (type == "IHDR") {
      g.width = static_cast<int>(be32(at + 8));
      g.height = static_cast<int>(be32(at + 12));
      channels = f[at + 17] == 2 ? 3 : 1;
    } else if (type == "IDAT") {
      packed += f.substr(at + 8, len);
    }
    at += 12 + len;
  }
  size_t stride = static_cast<size_t>(g.width) * static_cast<size_t>(channels);
  std::string raw((stride + 1) * static_cast<size_t>(g.height), '\0');
  uLongf size = raw.size();
  if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &size, reinterpret_cast<const Bytef*>(packed.data()),
                 packed.size()) != Z_OK)
    return {};
  std::vector<unsigned char> prev(stride, 0), line(stride);
  for (int y = 0; y < g.height; ++y) {
    const unsigned char* row = reinterpret_cast<const unsigned char*>(raw.data()) + static_cast<size_t>(y) * (stride + 1);
    unsigned char filter = row[0];
    for (size_t x = 0; x < stride; ++x) {
      int a = x >= static_cast<size_t>(channels) ? line[x - static_cast<size_t>(channels)] : 0;
      int b = prev[x];
      int c = x >= static_cast<size_t>(channels) ? prev[x - static_cast<size_t>(channels)] : 0;
      int pred = 0;
      if (filter == 1) pred = a;
      if (filter == 2) pred = b;
      if (filter == 3) pred = (a + b) / 2;
      if (filter == 4) {
        int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[x] = static_cast<unsigned char>(row[x + 1] + pred);
    }
    for (int x = 0; x < g.width; ++x)
      g.pixels += static_cast<char>(line[static_cast<size_t>(x * channels + (channels == 3 ? 1 : 0))]);
    prev = line;
  }
  return g;
}

}  // namespace print::pdf::testing
