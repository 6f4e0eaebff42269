// gen-payroll: a payroll program's installation for testing the takeover.
//
//   gen-payroll DIR [--companies N] [--persons N] [--seed S]
//       DIR becomes the payroll directory: "vallal.dbf", "orszag.dbf" and the
//       company year directories ("001.23" …) with their tables and index files.
//       The same seed gives the same bytes.
#include <cstdio>
#include <exception>
#include <string_view>

#include "store/tools/cli_number.h"
#include "takeover/tools/payroll_gen.h"
#include "xbase/error.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: gen-payroll DIR [--companies N] [--persons N] [--seed S]\n");
  return 2;
}

using store::demo::parse_number;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return usage();
  takeover::gen::Options o;
  for (int i = 2; i < argc; ++i) {
    const std::string_view a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "--companies" && has_value) {
      if (!parse_number(argv[++i], &o.companies) || o.companies < 1 || o.companies > 989)
        return usage();
    } else if (a == "--persons" && has_value) {
      if (!parse_number(argv[++i], &o.persons) || o.persons < 0) return usage();
    } else if (a == "--seed" && has_value) {
      if (!parse_number(argv[++i], &o.seed)) return usage();
    } else {
      return usage();
    }
  }
  try {
    const auto s = takeover::gen::generate_payroll(argv[1], o);
    std::printf("%s: %d companies, %d seeded persons, %d relationships, %d monthly records, "
                "%d dependants\n",
                argv[1], s.companies, s.persons, s.relationships, s.monthly, s.dependants);
    return 0;
  } catch (const xbase::ErrorException& e) {
    std::fprintf(stderr, "gen-payroll: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gen-payroll: %s\n", e.what());
  }
  return 1;
}
