#include "takeover/year_record.h"

namespace takeover {

std::string_view sum_name(Sum s) {
  static constexpr std::string_view kNames[] = {
#define MVIRDA_SUM_NAME(name) #name,
      MVIRDA_TAKEOVER_SUMS(MVIRDA_SUM_NAME)
#undef MVIRDA_SUM_NAME
  };
  static_assert(std::size(kNames) == kSumCount);
  return kNames[static_cast<std::size_t>(s)];
}

}  // namespace takeover
