#include "print/pdf_writer.h"

#include <zlib.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

namespace print::pdf {

namespace {

// Fast enough for a page in a few tens of microseconds, and every page the same way.
constexpr int kLevel = 1;

void append_int(std::string& out, uint64_t v) {
  char buf[24];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

}  // namespace

void append_number(std::string& out, double v, int decimals) {
  static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
  double scaled = std::round(std::fabs(v) * kScale[decimals]);
  auto units = static_cast<uint64_t>(scaled);
  if (units == 0) {
    out += '0';
    return;
  }
  if (v < 0) out += '-';
  auto whole = static_cast<uint64_t>(units / static_cast<uint64_t>(kScale[decimals]));
  auto frac = static_cast<uint64_t>(units % static_cast<uint64_t>(kScale[decimals]));
  append_int(out, whole);
  if (frac == 0) return;
  out += '.';
  for (int d = decimals - 1; d >= 0 && frac; --d) {
    auto unit = static_cast<uint64_t>(kScale[d]);
    out += static_cast<char>('0' + frac / unit);
    frac %= unit;
  }
}

std::string deflate(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), kLevel) != Z_OK)
    return {};
  out.resize(size);
  return out;
}

Writer::Writer(std::function<bool(std::string_view)> sink) : sink_(std::move(sink)) {
  // The header, and a comment of bytes above 127 so that the file is taken as binary.
  put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  pages_object_ = reserve();
}

void Writer::put(std::string_view bytes) {
  if (ok_ && !sink_(bytes)) ok_ = false;
  offset_ += bytes.size();
}

int Writer::reserve() {
  offsets_.push_back(0);
  return static_cast<int>(offsets_.size());
}

void Writer::begin_object(int n) {
  offsets_[static_cast<size_t>(n - 1)] = offset_;
  scratch_.clear();
  append_int(scratch_, static_cast<uint64_t>(n));
  scratch_ += " 0 obj\n";
  put(scratch_);
}

int Writer::object(std::string_view body, int n) {
  if (n == 0) n = reserve();
  begin_object(n);
  put(body);
  put("\nendobj\n");
  return n;
}

int Writer::compressed_stream(std::string_view dict, std::string_view deflated, int n) {
  if (n == 0) n = reserve();
  begin_object(n);
  std::string head = "<<";
  head += dict;
  head += "/Filter/FlateDecode/Length ";
  append_int(head, deflated.size());
  head += ">>\nstream\n";
  put(head);
  put(deflated);
  put("\nendstream\nendobj\n");
  return n;
}

int Writer::stream(std::string_view dict, std::string_view data, int n) {
  return compressed_stream(dict, deflate(data), n);
}

void Writer::page(std::string_view deflated) {
  int content = compressed_stream("", deflated);
  std::string body = "<</Type/Page/Parent ";
  append_int(body, static_cast<uint64_t>(pages_object_));
  body += " 0 R/Contents ";
  append_int(body, static_cast<uint64_t>(content));
  body += " 0 R>>";
  kids_.push_back(object(body));
}

bool Writer::finish(std::string_view shared, std::string_view producer) {
  std::string kids = "<</Type/Pages";
  kids += shared;
  kids += "/Count ";
  append_int(kids, kids_.size());
  kids += "/Kids[";
  for (size_t i = 0; i < kids_.size(); ++i) {
    if (i) kids += (i % 16 == 0) ? '\n' : ' ';
    append_int(kids, static_cast<uint64_t>(kids_[i]));
    kids += " 0 R";
  }
  kids += "]>>";
  object(kids, pages_object_);
  std::string info = "<</Producer(";
  info += producer;
  info += ")/Creator(";
  info += producer;
  info += ")>>";
  int info_n = object(info);
  std::string catalog = "<</Type/Catalog/Pages ";
  append_int(catalog, static_cast<uint64_t>(pages_object_));
  catalog += " 0 R>>";
  int root = object(catalog);

  uint64_t xref = offset_;
  std::string table = "xref\n0 ";
  append_int(table, offsets_.size() + 1);
  table += "\n0000000000 65535 f \n";
  char line[24];
  for (uint64_t off : offsets_) {
    std::snprintf(line, sizeof line, "%010llu 00000 n \n", static_cast<unsigned long long>(off));
    table += line;
  }
  table += "trailer\n<</Size ";
  append_int(table, offsets_.size() + 1);
  table += "/Root ";
  append_int(table, static_cast<uint64_t>(root));
  table += " 0 R/Info ";
  append_int(table, static_cast<uint64_t>(info_n));
  table += " 0 R>>\nstartxref\n";
  append_int(table, xref);
  table += "\n%%EOF\n";
  put(table);
  return ok_;
}

}  // namespace print::pdf
