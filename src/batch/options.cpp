#include "batch/options.h"

#include <charconv>
#include <map>

namespace batch {

namespace {

// What a command takes: option name -> whether it needs a value.
using OptionSet = std::map<std::string, bool, std::less<>>;

const std::map<std::string, OptionSet, std::less<>>& command_options() {
  static const std::map<std::string, OptionSet, std::less<>> table = {
      {"check", {{"data", false}}},
      {"reindex", {}},
      {"m30",
       {{"companies", true}, {"kind", true}, {"person", true}, {"start", true}, {"xml", false},
        {"out", true}, {"print", false}, {"pdf", false}}},
      {"ekho",
       {{"companies", true}, {"kind", true}, {"person", true}, {"out", true}, {"print", false},
        {"pdf", false}}},
      {"takeover", {{"from", true}, {"companies", true}, {"overwrite", false}}},
      {"backup", {{"to", true}}},
      {"restore", {{"from", true}, {"yes", false}}},
      {"rows", {{"export", true}, {"import", true}}},
  };
  return table;
}

const OptionSet& common_options() {
  static const OptionSet set = {{"dir", true}, {"wait", true}, {"date", true}, {"quiet", false}};
  return set;
}

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::optional<int> whole_number(std::string_view s, int max) {
  if (!all_digits(s) || s.size() > 9) return std::nullopt;
  int v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  if (v > max) return std::nullopt;
  return v;
}

struct Parser {
  BatchOptions o;
  std::string fault;

  bool fail(std::string line) {
    fault = std::move(line);
    return false;
  }

  bool set(const std::string& name, const std::string& value) {
    if (name == "dir") o.dir = value;
    else if (name == "wait") {
      auto v = whole_number(value, 86400);
      if (!v) return fail("--wait: nem másodpercek száma: " + value);
      o.wait_seconds = *v;
    } else if (name == "date") {
      o.date = batch_date(value);
      if (!o.date) return fail("--date: nem ÉÉÉÉ.HH.NN alakú dátum: " + value);
    } else if (name == "quiet") o.quiet = true;
    else if (name == "companies") {
      o.companies_given = true;
      o.companies.clear();
      if (value == "all") return true;
      size_t start = 0;
      for (;;) {
        size_t comma = value.find(',', start);
        std::string part = value.substr(start, comma == std::string::npos ? comma : comma - start);
        auto r = code_range(part);
        if (!r) return fail("--companies: nem cégkódok tartománya: " + part);
        o.companies.push_back(*r);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      if (o.command != "takeover" && o.companies.size() > 1)
        return fail("--companies: itt csak egy tartomány adható meg: " + value);
    } else if (name == "kind") {
      if (value != "employer" && value != "payer" && value != "both")
        return fail("--kind: employer, payer vagy both lehet, nem " + value);
      o.kind = value;
    } else if (name == "person") {
      if (value.empty() || value.size() > 10) return fail("--person: nem adóazonosító: " + value);
      o.person = value;
    } else if (name == "start") {
      auto v = whole_number(value, 99999);
      if (!v || *v < 1) return fail("--start: nem sorszám: " + value);
      o.start = *v;
    } else if (name == "xml") o.xml = true;
    else if (name == "out") o.out = value;
    else if (name == "print") o.print = true;
    else if (name == "pdf") o.pdf = true;
    else if (name == "from") o.from = value;
    else if (name == "to") o.to = value;
    else if (name == "overwrite") o.overwrite = true;
    else if (name == "yes") o.yes = true;
    else if (name == "data") o.data = true;
    else if (name == "export") o.export_file = value;
    else if (name == "import") o.import_file = value;
    return true;
  }

  bool run(const std::vector<std::string>& args) {
    bool options_end = false;
    for (size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (!options_end && a == "--") {
        options_end = true;
        continue;
      }
      if (options_end || a.size() < 2 || a.compare(0, 2, "--") != 0) {
        if (!o.command.empty()) return fail("fölösleges argumentum: " + a);
        if (!command_options().count(a)) return fail("ismeretlen parancs: " + a);
        o.command = a;
        continue;
      }
      std::string name = a.substr(2), value;
      bool inline_value = false;
      if (size_t eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name.resize(eq);
        inline_value = true;
      }
      if (name == "help") {
        o.help = true;
        continue;
      }
      const OptionSet* opts = &common_options();
      if (!opts->count(name)) {
        if (o.command.empty() || !command_options().at(o.command).count(name))
          return fail(o.command.empty()
                          ? "ismeretlen kapcsoló: --" + name
                          : "ismeretlen kapcsoló a(z) " + o.command + " parancsnál: --" + name);
        opts = &command_options().at(o.command);
      } else if (!o.command.empty()) {
        return fail("a --" + name + " kapcsoló a parancs elé való");
      }
      bool needs_value = opts->at(name);
      if (needs_value && !inline_value) {
        if (i + 1 >= args.size()) return fail("hiányzik a --" + name + " kapcsoló értéke");
        value = args[++i];
      } else if (!needs_value && inline_value) {
        return fail("a --" + name + " kapcsolónak nincs értéke");
      }
      if (!set(name, value)) return false;
    }
    if (o.help) return true;
    if (o.command.empty()) return fail("hiányzik a parancs");
    if (o.print && o.pdf) return fail("a --print és a --pdf kizárja egymást");
    if (o.command == "takeover" && !o.companies_given)
      return fail("takeover: a --companies kötelező");
    if (o.command == "restore" && o.from.empty()) return fail("restore: a --from kötelező");
    if (o.command == "restore" && !o.yes) return fail("restore: a --yes kötelező");
    if (o.command == "rows" && o.export_file.empty() == o.import_file.empty())
      return fail("rows: az --export vagy az --import közül pontosan egy kell");
    return true;
  }
};

}  // namespace

std::optional<std::string> company_code(std::string_view text) {
  if (!all_digits(text) || text.size() > 3) return std::nullopt;
  return std::string(3 - text.size(), '0') + std::string(text);
}

std::optional<CodeRange> code_range(std::string_view text) {
  size_t dash = text.find('-');
  auto first = company_code(text.substr(0, dash));
  auto last = dash == std::string_view::npos ? first : company_code(text.substr(dash + 1));
  if (!first || !last || *first > *last) return std::nullopt;
  return CodeRange{*first, *last};
}

std::optional<xbase::Date> batch_date(std::string_view text) {
  if (text.size() != 10 || text[4] != '.' || text[7] != '.') return std::nullopt;
  auto y = whole_number(text.substr(0, 4), 9999), m = whole_number(text.substr(5, 2), 99),
       d = whole_number(text.substr(8, 2), 99);
  if (!y || !m || !d) return std::nullopt;
  xbase::Date date = xbase::Date::from_ymd(*y, *m, *d);
  if (date.empty()) return std::nullopt;
  return date;
}

BatchParse parse_batch_args(const std::vector<std::string>& args) {
  Parser p;
  BatchParse out;
  if (p.run(args))
    out.options = p.o;
  else
    out.fault = p.fault;
  return out;
}

std::string batch_usage_line() {
  return "használat: mvirda23 batch [--dir KÖNYVTÁR] [--wait MP] [--date ÉÉÉÉ.HH.NN] [--quiet] "
         "PARANCS [KAPCSOLÓK]";
}

std::string batch_command_help(const std::string& command) {
  static const std::map<std::string, std::string, std::less<>> text = {
      {"check",
       "mvirda23 batch check [--data]\n"
       "  Ellenőrzi a telepítés minden tábláját (*.dbf) és indexét, és megnevezi, amit egy\n"
       "  félbeszakadt futás hátrahagyott; semmit sem változtat. Fájlonként egy sor a\n"
       "  szabványos kimeneten.\n"
       "  --data: helyette minden cég, dolgozó és eltartott adatát a képernyőjének\n"
       "  szabályaival ellenőrzi; eltérésenként egy sor: cégkód, adóazonosító, név, a\n"
       "  mező neve és az ok. Van eltérés: kilépési kód 3.\n"},
      {"reindex",
       "mvirda23 batch reindex\n"
       "  Minden indexfájlt újraépít (a munkatáblák kizárólagos megnyitásával).\n"},
      {"m30",
       "mvirda23 batch m30 [--companies TARTOMÁNY] [--kind employer|payer|both]\n"
       "                   [--person ADÓAZONOSÍTÓ] [--start N] [--xml] [--out KÖNYVTÁR]\n"
       "                   [--print | --pdf]\n"
       "  Az M30 igazolások: a \"jovedig.prn\" előnézet a KÖNYVTÁR-ba (alapértelmezés: a\n"
       "  telepítés); --xml: az XML fájlok is, a KÖNYVTÁR/M30XML-be; --print: a beállított\n"
       "  nyomtatóra (a PDF nyomtatóútnál a KÖNYVTÁR/JOVEDIG.pdf); --pdf: a\n"
       "  KÖNYVTÁR/JOVEDIG.pdf. TARTOMÁNY: \"007\" vagy \"001-050\" (alapértelmezés: minden\n"
       "  cég). --kind: employer a munkáltatói, payer a kifizetői igazolások, both mind\n"
       "  (alapértelmezés). --start: az első nyomtatott sorszám cégenként.\n"},
      {"ekho",
       "mvirda23 batch ekho [--companies TARTOMÁNY] [--kind employer|payer|both]\n"
       "                    [--person ADÓAZONOSÍTÓ] [--out KÖNYVTÁR] [--print | --pdf]\n"
       "  Az EKHO igazolások: \"ekhoig.prn\", vagy a nyomtató, vagy a KÖNYVTÁR/EKHOIG.pdf.\n"},
      {"takeover",
       "mvirda23 batch takeover --companies all|TARTOMÁNY[,TARTOMÁNY...] [--from KÖNYVTÁR]\n"
       "                        [--overwrite]\n"
       "  Átveszi az év adatait a KÖNYVTÁR-ban levő bérprogramból (alapértelmezés: a\n"
       "  kvaddir.txt könyvtára). A cégek meglevő adatai --overwrite nélkül megmaradnak.\n"},
      {"backup",
       "mvirda23 batch backup [--to KÖNYVTÁR]\n"
       "  Menti a táblákat a KÖNYVTÁR/virda23#.zip archívumba (alapértelmezés: a\n"
       "  masdrv.txt könyvtára).\n"},
      {"restore",
       "mvirda23 batch restore --from KÖNYVTÁR --yes\n"
       "  Visszatölti a KÖNYVTÁR/virda23#.zip mentést a telepítésbe, és újraépíti az\n"
       "  indexeket.\n"},
      {"rows",
       "mvirda23 batch rows --export FÁJL | --import FÁJL\n"
       "  Az M30 XML sortábla (xxx/seg23m30.dbf) szövegként: soronként \"sor;xmlkod\",\n"
       "  UTF-8 kódolással, az első sor a fejléc. --export kiírja a táblát a FÁJL-ba;\n"
       "  --import ellenőrzés után betölti a FÁJL-t a táblába (hibánál semmi sem\n"
       "  változik, kilépési kód 4). Így kerülnek a táblába a nyomtatvány valódi\n"
       "  mezőazonosítói.\n"},
  };
  auto it = text.find(command);
  return it == text.end() ? batch_help() : it->second;
}

std::string batch_help() {
  std::string h = batch_usage_line() + "\n";
  h +=
      "           mvirda23 batch --help      mvirda23 batch PARANCS --help      mvirda23 --version\n"
      "\n"
      "A program egy feladatát végzi el terminál nélkül, kérdés nélkül.\n"
      "\n"
      "A parancs előtti kapcsolók:\n"
      "  --dir KÖNYVTÁR     a telepítés (alapértelmezés: az aktuális könyvtár)\n"
      "  --wait MP          összesen ennyi másodpercig várhat a más munkaállomások által\n"
      "                     foglalt táblákra, rekordokra és az indításra (alapértelmezés:\n"
      "                     30; 0: nem vár)\n"
      "  --date ÉÉÉÉ.HH.NN  az igazolásokra nyomtatott feldolgozási dátum (alapértelmezés:\n"
      "                     a mai nap)\n"
      "  --quiet            nincsenek folyamatsorok; a figyelmeztetések és a hibák megmaradnak\n"
      "\n"
      "A --to és a --from könyvtárát úgy olvassa, mint a program párbeszédei: \"A:\" a\n"
      "meghajtó gyökere, \"D:\\MENTES\" alatta van.\n"
      "\n"
      "Parancsok:\n";
  for (const char* c : {"check", "reindex", "m30", "ekho", "takeover", "backup", "restore", "rows"})
    h += batch_command_help(c);
  h +=
      "\n"
      "Kilépési kódok:\n"
      "  0    kész\n"
      "  1    végzetes futási hiba (a hibauzen.dbh megíródott, a hibasorok a hibakimeneten)\n"
      "  2    hibás parancssor; semmi sem történt\n"
      "  3    kész, észrevételekkel: a check hibát talált, vagy a futás figyelmeztetett\n"
      "  4    hiányzó vagy használhatatlan bemenet (nem telepítés; hiányzik a bérprogram\n"
      "       könyvtára, a mentés vagy a tömörítő; a mentést visszautasította; a rows\n"
      "       --import fájlja hibás); semmi sem változott\n"
      "  5    foglalt: egy másik munkaállomás --wait másodpercen át tartotta, ami a\n"
      "       parancsnak kell\n"
      "  6    a futás olyan kérdést tett fel, amelyre a kapcsolói nem felelnek (a szövege a\n"
      "       hibakimeneten)\n"
      "  7    a kimenet nem készült el (a cél nem írható, megtelt a lemez, nyomtatóhiba)\n"
      "  130  SIGINT állította le\n"
      "  143  SIGTERM állította le\n";
  return h;
}

}  // namespace batch
