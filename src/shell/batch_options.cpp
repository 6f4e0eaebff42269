#include "shell/batch_options.h"

#include <charconv>
#include <map>

namespace shell {

namespace {

// What a command takes: option name -> whether it needs a value.
using OptionSet = std::map<std::string, bool, std::less<>>;

const std::map<std::string, OptionSet, std::less<>>& command_options() {
  static const std::map<std::string, OptionSet, std::less<>> table = {
      {"check", {}},
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
      if (!v) return fail("--wait: not a number of seconds: " + value);
      o.wait_seconds = *v;
    } else if (name == "date") {
      o.date = batch_date(value);
      if (!o.date) return fail("--date: not a date of the form YYYY.MM.DD: " + value);
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
        if (!r) return fail("--companies: not a range of company codes: " + part);
        o.companies.push_back(*r);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      if (o.command != "takeover" && o.companies.size() > 1)
        return fail("--companies: one range only: " + value);
    } else if (name == "kind") {
      if (value != "employer" && value != "payer" && value != "both")
        return fail("--kind: employer, payer or both, not " + value);
      o.kind = value;
    } else if (name == "person") {
      if (value.empty() || value.size() > 10) return fail("--person: not a tax identifier: " + value);
      o.person = value;
    } else if (name == "start") {
      auto v = whole_number(value, 99999);
      if (!v || *v < 1) return fail("--start: not a sequence number: " + value);
      o.start = *v;
    } else if (name == "xml") o.xml = true;
    else if (name == "out") o.out = value;
    else if (name == "print") o.print = true;
    else if (name == "pdf") o.pdf = true;
    else if (name == "from") o.from = value;
    else if (name == "to") o.to = value;
    else if (name == "overwrite") o.overwrite = true;
    else if (name == "yes") o.yes = true;
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
        if (!o.command.empty()) return fail("unexpected argument: " + a);
        if (!command_options().count(a)) return fail("unknown command: " + a);
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
          return fail("unknown option: --" + name + (o.command.empty() ? "" : " (" + o.command + ")"));
        opts = &command_options().at(o.command);
      } else if (!o.command.empty()) {
        return fail("option --" + name + " belongs before the command");
      }
      bool needs_value = opts->at(name);
      if (needs_value && !inline_value) {
        if (i + 1 >= args.size()) return fail("missing value: --" + name);
        value = args[++i];
      } else if (!needs_value && inline_value) {
        return fail("option --" + name + " takes no value");
      }
      if (!set(name, value)) return false;
    }
    if (o.help) return true;
    if (o.command.empty()) return fail("missing command");
    if (o.print && o.pdf) return fail("--print and --pdf exclude each other");
    if (o.command == "takeover" && !o.companies_given) return fail("takeover: --companies is required");
    if (o.command == "restore" && o.from.empty()) return fail("restore: --from is required");
    if (o.command == "restore" && !o.yes) return fail("restore: --yes is required");
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
  return "usage: mvirda23 batch [--dir DIR] [--wait SEC] [--date YYYY.MM.DD] [--quiet] COMMAND "
         "[OPTIONS]";
}

std::string batch_command_help(const std::string& command) {
  static const std::map<std::string, std::string, std::less<>> text = {
      {"check",
       "mvirda23 batch check\n"
       "  Checks every table (*.dbf) and every index of the installation, changing nothing,\n"
       "  and names what an interrupted run left behind. One line per file on stdout.\n"},
      {"reindex",
       "mvirda23 batch reindex\n"
       "  Builds every index file anew (the working set opened exclusively).\n"},
      {"m30",
       "mvirda23 batch m30 [--companies RANGE] [--kind employer|payer|both] [--person TAXID]\n"
       "                   [--start N] [--xml] [--out DIR] [--print | --pdf]\n"
       "  The M30 certificates: the preview \"jovedig.prn\" into DIR (default: the\n"
       "  installation); --xml also the XML files into DIR/M30XML; --print to the configured\n"
       "  printer route; --pdf the PDF DIR/JOVEDIG.pdf. RANGE: \"007\" or \"001-050\"\n"
       "  (default: every company). --start: the first sequence number printed in each company.\n"},
      {"ekho",
       "mvirda23 batch ekho [--companies RANGE] [--kind employer|payer|both] [--person TAXID]\n"
       "                    [--out DIR] [--print | --pdf]\n"
       "  The EKHO certificates: \"ekhoig.prn\", or the printer, or DIR/EKHOIG.pdf.\n"},
      {"takeover",
       "mvirda23 batch takeover --companies all|RANGE[,RANGE...] [--from DIR] [--overwrite]\n"
       "  Takes the year's data over from the payroll program in DIR (default: kvaddir.txt).\n"
       "  Companies that have data already are kept unless --overwrite is given.\n"},
      {"backup",
       "mvirda23 batch backup [--to DIR]\n"
       "  Backs the tables up into DIR/virda23#.zip (default: the directory in masdrv.txt).\n"},
      {"restore",
       "mvirda23 batch restore --from DIR --yes\n"
       "  Restores DIR/virda23#.zip into the installation and builds the indexes anew.\n"},
  };
  auto it = text.find(command);
  return it == text.end() ? batch_help() : it->second;
}

std::string batch_help() {
  std::string h = batch_usage_line() + "\n";
  h +=
      "       mvirda23 batch --help      mvirda23 batch COMMAND --help      mvirda23 --version\n"
      "\n"
      "Runs one of the program's tasks without a terminal, never asking a question.\n"
      "\n"
      "Options before the command:\n"
      "  --dir DIR          the installation (default: the current directory)\n"
      "  --wait SEC         how long in all to wait for tables, records and the start held by\n"
      "                     other workstations (default 30, 0: no waiting)\n"
      "  --date YYYY.MM.DD  the processing date printed on the certificates (default: today)\n"
      "  --quiet            no progress lines; warnings and errors still\n"
      "\n"
      "Commands:\n";
  for (const char* c : {"check", "reindex", "m30", "ekho", "takeover", "backup", "restore"})
    h += batch_command_help(c);
  h +=
      "\n"
      "Exit codes:\n"
      "  0    done\n"
      "  1    fatal run-time error (hibauzen.dbh written, the error lines on stderr)\n"
      "  2    usage error; nothing done\n"
      "  3    done with findings: check found faults, or the run gave warnings\n"
      "  4    input missing or unusable (not an installation, payroll directory, archive or\n"
      "       archiver missing, archive refused); nothing changed\n"
      "  5    busy: another workstation held what the command needs for --wait seconds\n"
      "  6    the run asked a question its options do not answer (its text on stderr)\n"
      "  7    output not written (target not writable, disk full, printer error)\n"
      "  130  stopped by SIGINT\n"
      "  143  stopped by SIGTERM\n";
  return h;
}

}  // namespace shell
