// The bytes of one M30 XML file: eleven header lines, one field line per field of
// m30_fields() whose key the row table knows, three closing lines; Windows-1250,
// every line ended by CR LF, no indentation, no byte-order mark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "efile/m30_fields.h"
#include "efile/row_table.h"
#include "xbase/date.h"
#include "xbase/workarea.h"

namespace efile {

// The tax authority's namespace of form XML files.
inline constexpr std::string_view kFormNamespace = "http://www.apeh.hu/abev/nyomtatvanyok/2005/01";

// What one certificate's file is made of.
struct CertificateData {
  const xbase::WorkArea* person = nullptr;   // on the person's year-table record
  const xbase::WorkArea* company = nullptr;  // on the company record; nullptr or at
                                             // its end when the company has none
  std::string person_street;                 // UTCAHOSSZ of the person
  std::string company_street;                // UTCAHOSSZ of the company
  double keloleg = 0, kelsohaz30 = 0, kgyerk30 = 0;  // from SZAMOL
  xbase::Date mainap;                        // the processing date
};

class M30XmlContent {
 public:
  // Binds the fields to the year and company tables' structures and looks every key
  // up in the row table once.
  M30XmlContent(const RowTable& rows, std::string_view ev, const xbase::Structure& person,
                const xbase::Structure& company);

  // The keys no row matched, in file order (CP852); their fields are left out.
  const std::vector<std::string>& missing_keys() const { return missing_; }

  // The file's bytes.
  std::string bytes(const CertificateData& c) const;

 private:
  struct Bound {
    const XmlField* field;
    std::string open;  // "<mezo eazon=\"…\">"
    int pos = -1;      // the field's position in its table
    int base_pos = -1; // the month's base field
  };
  std::string ev_;
  std::vector<Bound> bound_;
  std::vector<std::string> missing_;
  int company_vnev_ = -1, company_adoszam_ = -1, company_helyseg_ = -1;
  int person_helyseg_ = -1, person_vanhozott_ = -1;
};

}  // namespace efile
