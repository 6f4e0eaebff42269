// The person's year-table record while the takeover builds it: the sums of the
// certificate rows the payroll amounts land in, the monthly family contribution
// allowance figures, the first-marriage flags and whether brought-forward data were
// taken. The fields are named as in the year table.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace takeover {

// The amount fields of the year table that the takeover adds to, in table order.
#define MVIRDA_TAKEOVER_SUMS(X)                                                                 \
  X(JOVEDELEM) X(MVKTGTER) X(MVKTGBIZN) X(KULSZOLG) X(KULSZBIZN) X(MASBERJOV) X(NEMONALLO)      \
  X(KTGTELJES) X(KTGBIZNEL) X(ONALLOTEV) X(ONALLKTG) X(INGBERBE) X(INGBERKTG) X(EUPBEV)         \
  X(EUPKTG) X(HOKBEV) X(HOKKTG) X(VKVBEV) X(VKVKTG) X(DIJMVBEV) X(DIJMVKTG) X(EGYEBJOGC)        \
  X(EGYEBJKTG) X(KULFEGYEZ) X(KULFEKTG) X(KULFHIANY) X(KULFHKTG) X(ELOLEG) X(ARFNYER)          \
  X(ARFNYERP) X(ARFNYERA) X(ARFNYERL) X(OSZT16) X(OSZT16P) X(OSZT16A) X(OSZT16L) X(PRIVLIZ)     \
  X(PRIVLIZP) X(PRIVLIZA) X(PRIVLIZL) X(KIVONT) X(KIVONTP) X(KIVONTA) X(KIVONTL) X(EGYFORR)     \
  X(EGYFORRP) X(EGYFORRA) X(EGYFORRL) X(SZCTV1_3) X(SZCTV5) X(SZCTV5AL) X(SZCTV5AD)            \
  X(NEGYGYKE) X(HUSZON5KE) X(HARMINCKE) X(ROKKANT) X(ELSOHAZKE) X(ELSOHAZ30) X(GYERKEDV)       \
  X(GYERK30) X(SZDIJ) X(OSZTELO) X(OSZTELOA) X(KULFDOLG) X(EKHO1B15) X(EKHO1_15) X(EKHO1B95)   \
  X(EKHO1_95) X(EKHO1BEG) X(EKHO1_EG) X(EKHO3B15) X(EKHO3_15) X(EKHO3B95) X(EKHO3_95)          \
  X(EKHO3BEG) X(EKHO3_EG) X(EKHOS_95)

enum class Sum : int {
#define MVIRDA_SUM_ENUM(name) name,
  MVIRDA_TAKEOVER_SUMS(MVIRDA_SUM_ENUM)
#undef MVIRDA_SUM_ENUM
};

inline constexpr std::size_t kSumCount = 0
#define MVIRDA_SUM_COUNT(name) +1
    MVIRDA_TAKEOVER_SUMS(MVIRDA_SUM_COUNT)
#undef MVIRDA_SUM_COUNT
    ;

// The year-table field name of a sum ("JOVEDELEM").
std::string_view sum_name(Sum s);

// The four monthly figures of the family contribution allowance: contribution base
// (CSJKA), contributions established (CSJKJ), allowance used (CSJKK), contributions
// deducted (CSJKL); the field is the prefix followed by the month as two digits.
enum class Csjk : int { A, J, K, L };
inline constexpr std::string_view kCsjkPrefix[] = {"CSJKA", "CSJKJ", "CSJKK", "CSJKL"};

struct YearRecord {
  std::array<double, kSumCount> sums{};
  std::array<std::array<double, 12>, 4> csjk{};  // [Csjk][month - 1]
  char elsohnyil = ' ';                          // ELSOHNYIL
  std::array<char, 12> elsohh = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  bool vanhozott = false;  // VANHOZOTT "I"

  double& operator[](Sum s) { return sums[static_cast<std::size_t>(s)]; }
  double operator[](Sum s) const { return sums[static_cast<std::size_t>(s)]; }
  double& csjk_of(Csjk k, int month) {
    return csjk[static_cast<std::size_t>(k)][static_cast<std::size_t>(month - 1)];
  }
  double csjk_of(Csjk k, int month) const {
    return csjk[static_cast<std::size_t>(k)][static_cast<std::size_t>(month - 1)];
  }
};

}  // namespace takeover
