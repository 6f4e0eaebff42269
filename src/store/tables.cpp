#include "store/tables.h"

#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace store {
namespace {

using xbase::FieldDef;
using xbase::Structure;

// Widths shared by every table that has a field of the name (one buffer value per
// field name), and the widths the composed texts are summed from.
constexpr int kVkod = 3;
constexpr int kSzemszam = 10;
constexpr int kIrszam = 4;
constexpr int kHelyseg = 25;
constexpr int kKozterNev = 25;  // name of a public space ("koztnev", "ekozter")
constexpr int kKozter = 10;     // kind of a public space: "lakótelep", "postafiók" are 9
constexpr int kHazszam = 5;
constexpr int kEpulet = 2;
constexpr int kLepcso = 2;
constexpr int kEmelet = 5;
constexpr int kAjto = 2;
// The street line is composed from the seven address parts with a blank between
// each two, so it takes every part whole.
constexpr int kUtca =
    kKozterNev + kKozter + kHazszam + kEpulet + kLepcso + kEmelet + kAjto + 6;  // 57
constexpr int kTitle = 8;  // "Ifj. Dr.", "Özv. Dr."
constexpr int kSurname = 15;
constexpr int kGiven = 15;
constexpr int kNev = kTitle + 1 + kSurname + 1 + kGiven;  // 40: title, surname, given names
constexpr int kPartName = kSurname + 1 + kGiven;          // 31: birth name, mother's name
// A dependant's name is composed from the surname and two given names into `nev`.
constexpr int kDepSurname = 15;
constexpr int kDepGiven1 = 12;
constexpr int kDepGiven2 = kNev - kDepSurname - kDepGiven1 - 2;  // 11
constexpr int kTown = 25;  // places of birth
constexpr int kTaxNumber = 11;

static_assert(kDepGiven2 >= 10);

std::string upper_name(std::string_view n) {
  std::string s(n);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

FieldDef C(std::string_view name, int width) { return {upper_name(name), 'C', width, 0}; }
FieldDef N(std::string_view name, int width) { return {upper_name(name), 'N', width, 0}; }
FieldDef D(std::string_view name) { return {upper_name(name), 'D', 8, 0}; }

std::string two(int n) {
  return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

// The nine parts of a company address; `sfx` "" for the seat, "2" for mailing.
void company_address(Structure& f, std::string_view sfx) {
  auto n = [&](std::string_view base) { return std::string(base) + std::string(sfx); };
  f.push_back(C(n("irszam"), kIrszam));
  f.push_back(C(n("helyseg"), kHelyseg));
  f.push_back(C(n("utca"), kUtca));
  f.push_back(C(n("kozter"), kKozter));
  f.push_back(C(n("hazszam"), kHazszam));
  f.push_back(C(n("epulet"), kEpulet));
  f.push_back(C(n("lepcso"), kLepcso));
  f.push_back(C(n("emelet"), kEmelet));
  f.push_back(C(n("ajto"), kAjto));
}

}  // namespace

TableDef company_table() {
  TableDef t{"vallal", "VALLAL", {}, {{"vallal", "vkod"}}};
  Structure& f = t.fields;
  f.push_back(C("vkod", kVkod));
  f.push_back(C("vnev", 40));
  f.push_back(C("vkepv", 30));
  company_address(f, "");
  company_address(f, "2");
  f.push_back(C("adoszam", kTaxNumber));
  f.push_back(C("jogelasz", kTaxNumber));
  f.push_back(C("telefon", 20));
  f.push_back(C("ugyint", 30));
  f.push_back(C("flag", 1));
  f.push_back(C("vtipus", 1));
  f.push_back(C("tbkifhely", 1));
  return t;
}

TableDef year_table(std::string_view ev) {
  const std::string name = "virda" + std::string(ev);
  TableDef t{name, "VIRDA", {}, {{name, "vkod+HUNGORD(nev)"}, {name + "2", "vkod+szemszam+nyilat"}}};
  Structure& f = t.fields;
  f.push_back(C("vkod", kVkod));
  f.push_back(C("szemszam", kSzemszam));
  f.push_back(C("nyilat", 1));
  f.push_back(C("aszjell", 1));
  f.push_back(C("vanhozott", 1));
  f.push_back(C("nev", kNev));
  f.push_back(C("grof", kTitle));
  f.push_back(C("veznev", kSurname));
  f.push_back(C("utonev", kGiven));
  f.push_back(C("leanynev", kPartName));
  f.push_back(C("lveznev", kSurname));
  f.push_back(C("lutonev", kGiven));
  f.push_back(C("neme", 1));
  f.push_back(D("szulido"));
  f.push_back(C("szulhely", kTown));
  f.push_back(C("irszam", kIrszam));
  f.push_back(C("helyseg", kHelyseg));
  f.push_back(C("utca", kUtca));
  f.push_back(C("koztnev", kKozterNev));
  f.push_back(C("kozter", kKozter));
  f.push_back(C("hazszam", kHazszam));
  f.push_back(C("epulet", kEpulet));
  f.push_back(C("lepcso", kLepcso));
  f.push_back(C("emelet", kEmelet));
  f.push_back(C("ajto", kAjto));
  f.push_back(C("allampolg", 20));
  f.push_back(C("allamkod", 2));
  f.push_back(C("anyja", kPartName));
  f.push_back(C("aveznev", kSurname));
  f.push_back(C("autonev", kGiven));
  f.push_back(C("ostermig", 20));
  f.push_back(C("csalgazd", 20));
  f.push_back(C("regszam", 20));
  // Income rows: the digits of the form's edit mask (8 or 9).
  f.push_back(N("jovedelem", 9));
  for (auto n : {"mvktgter", "mvktgbizn", "kulszolg", "kulszbizn", "masberjov", "nemonallo",
                 "ktgteljes", "ktgbiznel", "onallotev", "onallktg", "ingberbe", "ingberktg",
                 "eupbev", "eupktg", "hokbev", "hokktg", "vkvbev", "vkvktg", "dijmvbev",
                 "dijmvktg"})
    f.push_back(N(n, 8));
  f.push_back(N("egyebjogc", 9));
  f.push_back(N("egyebjktg", 9));
  for (auto n : {"kulfegyez", "kulfektg", "kulfhiany", "kulfhktg", "eloleg"}) f.push_back(N(n, 8));
  for (auto n : {"arfnyer", "arfnyerp", "arfnyera", "arfnyerl"}) f.push_back(N(n, 9));
  f.push_back(N("oszt16", 10));
  f.push_back(N("oszt16p", 10));
  f.push_back(N("oszt16a", 9));
  f.push_back(N("oszt16l", 9));
  for (auto n : {"privliz", "privlizp", "privliza", "privlizl", "kivont", "kivontp", "kivonta",
                 "kivontl", "egyforr", "egyforrp", "egyforra", "egyforrl"})
    f.push_back(N(n, 9));
  f.push_back(C("egyfornev", 40));
  for (auto n : {"szctv1_3", "szctv5", "szctv5al", "szctv5ad"}) f.push_back(N(n, 9));
  for (auto n : {"negygyke", "huszon5ke", "harmincke", "rokkant"}) f.push_back(N(n, 8));
  f.push_back(C("elsohnyil", 1));
  for (auto n : {"elsohazke", "elsohaz30", "gyerkedv", "gyerk30", "szdij"}) f.push_back(N(n, 8));
  for (auto n : {"osztelo", "oszteloa", "kulfdolg", "oeelsz"}) f.push_back(N(n, 9));
  f.push_back(C("elsohnev", kNev));
  f.push_back(C("elsohadoa", kSzemszam));
  for (int m = 1; m <= 12; ++m) f.push_back(C("elsohh" + two(m), 1));
  for (auto p : {"csjka", "csjkj", "csjkk", "csjkl"})
    for (int m = 1; m <= 12; ++m) f.push_back(N(std::string(p) + two(m), 9));
  f.push_back(C("ok71_1", 1));
  f.push_back(C("ok71_2", 1));
  f.push_back(C("isin71", 12));
  f.push_back(C("fajta71", 3));
  f.push_back(N("nevert71", 9));
  f.push_back(C("ekhofeor", 4));
  for (auto row : {"ekho1", "ekho2", "ekho3"})
    for (auto sfx : {"b15", "_15", "b95", "_95", "beg", "_eg"})
      f.push_back(N(std::string(row) + sfx, 9));
  f.push_back(C("ekho_av2", 1));
  f.push_back(C("ekho_av3", 1));
  f.push_back(N("ekhos_95", 9));
  f.push_back(C("ekhohat", 1));
  for (auto n : {"ekho1n", "ekho2n", "ekho3n", "ekho4n"}) f.push_back(N(n, 9));
  return t;
}

TableDef dependants_table(std::string_view ev) {
  const std::string name = "eltar" + std::string(ev);
  TableDef t{name, "ELTAR", {}, {{name, "vkod+szemszam"}}};
  Structure& f = t.fields;
  f.push_back(C("vkod", kVkod));
  f.push_back(C("szemszam", kSzemszam));
  f.push_back(C("kedvtipus", 1));
  f.push_back(C("jogcim30", 1));
  f.push_back(C("nev", kNev));
  f.push_back(C("csnev", kDepSurname));
  f.push_back(C("utonev1", kDepGiven1));
  f.push_back(C("utonev2", kDepGiven2));
  f.push_back(C("adoazon", kSzemszam));
  f.push_back(C("taj2", 9));
  f.push_back(C("eszulhely", kTown));
  f.push_back(D("eszulido"));
  f.push_back(C("acsnev", kDepSurname));
  f.push_back(C("autonev1", kDepGiven1));
  f.push_back(C("autonev2", kDepGiven2));
  f.push_back(C("eltjogc", 1));
  f.push_back(C("eorszag", 2));
  f.push_back(C("eirszam", 10));  // a foreign postcode may be longer than four digits
  f.push_back(C("ehelyseg", kHelyseg));
  f.push_back(C("ekozter", kKozterNev));  // the name of the public space
  f.push_back(C("ekoztjell", kKozter));   // its kind
  f.push_back(C("ehazszam", kHazszam));
  f.push_back(C("eepulet", kEpulet));
  f.push_back(C("elepcso", kLepcso));
  f.push_back(C("eemelet", kEmelet));
  f.push_back(C("eajto", kAjto));
  for (int m = 1; m <= 12; ++m) f.push_back(C("eltkod" + two(m), 1));
  return t;
}

TableDef public_space_table() {
  // The name field is as wide as the kind fields it is compared with: the lookup is a
  // prefix comparison that includes the kind's trailing blanks.
  return {"kozter", "KOZTER", {C("kozternev", kKozter)}, {}};
}

TableDef settings_table() {
  return {"konstans",
          "KONSTANS",
          {N("nyomtip", 1), N("kpage", 1), N("kkar852", 1), N("nprport", 1), N("khpauto", 1),
           N("kwwwellen", 1)},
          {}};
}

std::vector<TableDef> program_tables(std::string_view ev) {
  return {company_table(), year_table(ev), dependants_table(ev), public_space_table(),
          settings_table()};
}

TableDef m30_row_table(std::string_view ev) {
  // A row's designation and a field identifier, with room to spare.
  return {"seg" + std::string(ev) + "m30", "SEGED", {C("sor", 80), C("xmlkod", 30)}, {}};
}

std::vector<IndexedTable> index_set(std::string_view ev) {
  std::vector<IndexedTable> out;
  for (const TableDef& t : {company_table(), dependants_table(ev), year_table(ev)})
    for (const IndexDef& i : t.indexes) out.push_back({t.file, i});
  return out;
}

const FieldDef* find_field(const TableDef& t, std::string_view name) {
  const std::string u = upper_name(name);
  for (const FieldDef& f : t.fields)
    if (f.name == u) return &f;
  return nullptr;
}

const std::vector<std::string_view>& public_space_kinds() {
  static const std::vector<std::string_view> kinds = {
      HU("utca"),      HU("út"),        HU("útja"),       HU("tér"),      HU("tere"),
      HU("körút"),     HU("körtér"),    HU("köz"),        HU("sor"),      HU("sétány"),
      HU("fasor"),     HU("dűlő"),      HU("dűlőút"),     HU("park"),     HU("rakpart"),
      HU("lakótelep"), HU("lakópark"),  HU("liget"),      HU("sugárút"),  HU("sikátor"),
      HU("lejtő"),     HU("lépcső"),    HU("ösvény"),     HU("udvar"),    HU("kert"),
      HU("major"),     HU("tanya"),     HU("telep"),      HU("zug"),      HU("határút"),
      HU("országút"),  HU("part"),      HU("sziget"),     HU("zsákutca"), HU("körönd"),
      HU("hegy"),      HU("domb"),      HU("postafiók"),
  };
  return kinds;
}

std::string_view post_box_kind() { return HU("postafiók"); }

const std::vector<std::string_view>& name_titles() {
  static const std::vector<std::string_view> titles = {
      HU("Dr."),  HU("Dr. Dr."),  HU("Dr. Pr."), HU("Id."),      HU("Id. Dr."), HU("Ifj."),
      HU("Ifj. Dr."), HU("Özv."), HU("Özv. Dr."), HU("Pr. Dr."), HU("Prof."),
  };
  return titles;
}

}  // namespace store
