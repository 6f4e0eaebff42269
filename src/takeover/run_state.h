// The state of a takeover run that the conversions read and change: the payroll
// directory, the company in work, the sizes of its code-slot families, the person
// in work with the list of their legal relationships, the chosen relationship, the
// brought-forward month and the month gate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/date.h"

namespace takeover {

// One entry of the person's relationship list.
struct Relationship {
  uint32_t recno = 0;  // of the relationship record (tagalk)
  char fogjel = ' ';   // kind of relationship, a payroll code
  xbase::Date start;   // not before 1 January of the tax year
  xbase::Date end;     // not after 31 December; 31 December while in force
  bool counted = true;
};

// ESET: how the person's certificate relationship was found.
enum class Eset {
  None = 0,   // no relationship in the tax year
  InForce = 1,  // a relationship in force at the year end
  Ended = 2,  // every relationship ended during the year
};

struct RunState {
  std::string elprg;  // ELPRG: the payroll directory as the user gave it (CP852)
  std::string kvkod;  // KVKOD: the company in work
  std::string eldir;  // ELDIR: its company year directory (a Linux path)
  int tax_year = 2023;
  xbase::Date utnap = xbase::Date::from_ymd(2023, 12, 31);  // UTNAP: 31 December

  // KTGDB, LEVDB, NEMRDB, TBELLDB: members of the code-slot families, counted on the
  // company's "alktb" table.
  int ktgdb = 0, levdb = 0, nemrdb = 0, tbelldb = 0;

  std::string qpofa;                  // QPOFA: the person, first 10 characters of SZEMSZAM
  std::vector<Relationship> ttagalk;  // TTAGALK: the person's relationship list
  Eset eset = Eset::None;             // ESET
  uint32_t aktrek = 0;                // AKTREK: the chosen relationship's record
  std::string hozhonap = "00";        // HOZHONAP: the person's brought-forward month
  bool vanneki = false;               // VANNEKI: an amount record was taken
  std::string pofa;                   // POFA: SZEMSZAM + FOGJEL + FOMENY in work
  uint32_t pofa_recno = 0;            // the relationship record in work
  bool bhozhonap = false;             // BHOZHONAP: the month gate for the record read

  // The month gate of a monthly record of month `honap` of the relationship in work.
  bool month_gate(const std::string& honap) const {
    return pofa_recno == aktrek || honap > hozhonap;
  }
  void start_year(int year) {
    tax_year = year;
    utnap = xbase::Date::from_ymd(year, 12, 31);
  }
};

}  // namespace takeover
