#include "print/control_codes.h"

#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/cp852.h"
#include "xbase/value.h"
#include "xbase/vars.h"

namespace print {

namespace {

const std::string kEsc = "\x1b";

std::string esc(std::string_view rest) { return kEsc + std::string(rest); }
std::string bytes(std::initializer_list<unsigned char> b) { return std::string(b.begin(), b.end()); }

bool read_whole(const std::string& path, std::string& out) {
  if (!support::platform::exists(path)) return false;
  support::platform::File f;
  if (!f.open(path)) return false;
  out.clear();
  for (;;) {
    std::string block = f.read(65536);
    if (block.empty()) break;
    out += block;
  }
  return true;
}

}  // namespace

std::vector<std::pair<std::string_view, const std::string*>> ControlCodes::named() const {
  return {{"EC", &ec},           {"NYINI", &nyini},     {"COBE", &cobe},       {"COKI", &coki},
          {"AHBE", &ahbe},       {"AHKI", &ahki},       {"ELBE", &elbe},       {"ELKI", &elki},
          {"ELCOBE", &elcobe},   {"ELCOKI", &elcoki},   {"EMBE", &embe},       {"EMKI", &emki},
          {"LPI8", &lpi8},       {"LPI6", &lpi6},       {"FF", &ff},           {"DUP10BE", &dup10be},
          {"DUP10KI", &dup10ki}, {"DUP12BE", &dup12be}, {"DUP12KI", &dup12ki}, {"DUP17BE", &dup17be},
          {"DUP17KI", &dup17ki}, {"DUPBE", &dupbe},     {"DUPKI", &dupki}};
}

ControlCodes builtin_codes(std::string_view knyomtip) {
  ControlCodes c;
  c.ec = kEsc;
  if (xbase::hu852_upper(knyomtip) == "HP") {
    c.nyini = esc("E") + esc("&l3A") + esc("(17U");
    c.cobe = esc("(s16.67H");
    c.coki = esc("(s10H ");
    c.ahbe = esc("&d1D");
    c.ahki = esc("&d@");
    c.elbe = esc("(s12H");
    c.elki = esc("(s10H ");
    c.elcobe = esc("(s20H");
    c.elcoki = esc("(s10H ");
    c.embe = esc("(s3B");
    c.emki = esc("(s0B");
    c.lpi8 = esc("&l8D");
    c.lpi6 = esc("&l6D");
    c.ff = esc("&l0H");
    c.dup10be = esc("(s5H");
    c.dup10ki = esc("(s10H");
    c.dup12be = esc("(s6H");
    c.dup12ki = esc("(s12H");
    c.dup17be = esc("(s8.5H");
    c.dup17ki = esc("(s16H");
  } else {
    c.cobe = bytes({0x0F});
    c.coki = bytes({0x12});
    c.ahbe = esc("-") + bytes({0x01});
    c.ahki = esc("-") + bytes({0x00});
    c.elbe = esc("M");
    c.elki = esc("P");
    c.elcobe = esc("M") + bytes({0x0F});
    c.elcoki = bytes({0x12}) + esc("P");
    c.embe = esc("E");
    c.emki = esc("F");
    c.lpi8 = esc("0");
    c.lpi6 = esc("2");
    c.ff = bytes({0x0C});
    c.dup10be = esc("W") + bytes({0x01});
    c.dup10ki = esc("W") + bytes({0x00});
    c.dup12be = c.dup10be;
    c.dup12ki = c.dup10ki;
    c.dup17be = c.dup10be;
    c.dup17ki = c.dup10ki;
  }
  c.dupbe = c.dup10be;
  c.dupki = c.dup10ki;
  return c;
}

bool read_init_override(bool hp, const std::string& program_dir, std::string& out) {
  std::string_view name = hp ? "nyini.hp" : "nyini.eps";
  std::string local = support::platform::join(program_dir.empty() ? "." : program_dir, name);
  if (read_whole(support::platform::find_nocase(local), out)) return true;
  std::string payroll = support::platform::to_linux(std::string("\\kvad\\") + std::string(name));
  return read_whole(payroll, out);
}

ControlCodes control_codes(std::string_view knyomtip, const std::string& program_dir) {
  ControlCodes c = builtin_codes(knyomtip);
  std::string override_bytes;
  if (read_init_override(xbase::hu852_upper(knyomtip) == "HP", program_dir, override_bytes))
    c.nyini = override_bytes;
  return c;
}

void nyomtipbe(xbase::Variables& vars, const std::string& program_dir) {
  std::string tip;
  if (const xbase::Value* v = vars.find("KNYOMTIP"); v != nullptr && v->is_str()) tip = v->as_str();
  tip = xbase::hu852_upper(tip);
  if (vars.exists("KNYOMTIP")) vars.assign("KNYOMTIP", xbase::Value::str(tip));
  ControlCodes c = control_codes(tip, program_dir);
  for (const auto& [name, value] : c.named()) {
    vars.make_public(name);
    vars.assign(name, xbase::Value::str(*value));
  }
}

}  // namespace print
