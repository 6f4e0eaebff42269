// mvirda23: the annual personal-income-tax data service program, tax year 2023.
#include <cstdio>

int main() {
  std::printf("mvirda23 2023.01\n");
  return 0;
}
