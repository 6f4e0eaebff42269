// gen-installation: builds a demonstration or test installation.
//
//   gen-installation DIR [--persons N] [--companies N] [--dependants N] [--seed S]
//                        [--no-indexes]
//       DIR/VIRDA23 with the template directory "xxx", the tables filled with
//       realistic data (the same seed gives the same files) and their index files.
//   gen-installation --template DIR
//       only the template directory's tables, written into DIR.
//   gen-installation --unconfirmed
//       the rows of the M30 row table whose XML field identifier is still a
//       placeholder: "key<TAB>XMLKOD<TAB>SOR" in UTF-8, then their count.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "store/m30_rows.h"
#include "store/template_dir.h"
#include "store/tools/cli_number.h"
#include "store/tools/demo_data.h"
#include "xbase/cp852.h"
#include "xbase/error.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: gen-installation DIR [--persons N] [--companies N] [--dependants N]\n"
               "                            [--seed S] [--no-indexes]\n"
               "       gen-installation --template DIR\n"
               "       gen-installation --unconfirmed\n");
  return 2;
}

using store::demo::parse_number;

int unconfirmed() {
  int n = 0;
  for (const store::M30Row& r : store::m30_rows()) {
    if (r.confirmed) continue;
    std::printf("%s\t%s\t%s\n", xbase::cp852_to_utf8(r.key).c_str(),
                xbase::cp852_to_utf8(r.xmlkod).c_str(), xbase::cp852_to_utf8(r.sor).c_str());
    ++n;
  }
  std::printf("%d of %zu XML field identifiers unconfirmed\n", n, store::m30_rows().size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 2 && std::string_view(argv[1]) == "--unconfirmed") return unconfirmed();
    if (argc == 3 && std::string_view(argv[1]) == "--template") {
      store::write_template_dir(argv[2]);
      return 0;
    }
    if (argc < 2 || argv[1][0] == '-') return usage();
    store::demo::Options o;
    for (int i = 2; i < argc; ++i) {
      const std::string_view a = argv[i];
      const bool has_value = i + 1 < argc;
      if (a == "--persons" && has_value) {
        if (!parse_number(argv[++i], &o.persons) || o.persons < 0) return usage();
      } else if (a == "--companies" && has_value) {
        if (!parse_number(argv[++i], &o.companies) || o.companies < 1 || o.companies > 999)
          return usage();
      } else if (a == "--dependants" && has_value) {
        if (!parse_number(argv[++i], &o.dependants) || o.dependants < 0) return usage();
      } else if (a == "--seed" && has_value) {
        if (!parse_number(argv[++i], &o.seed)) return usage();
      } else if (a == "--no-indexes") {
        o.indexes = false;
      } else {
        return usage();
      }
    }
    const auto s = store::demo::generate_installation(argv[1], o);
    std::printf("%s: %d companies, %d persons, %d dependants, %d index files\n",
                s.program_dir.c_str(), s.companies, s.persons, s.dependants, s.indexes);
    return 0;
  } catch (const xbase::ErrorException& e) {
    std::fprintf(stderr, "gen-installation: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gen-installation: %s\n", e.what());
  }
  return 1;
}
