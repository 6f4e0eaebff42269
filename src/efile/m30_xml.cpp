#include "efile/m30_xml.h"

#include "efile/xml_text.h"
#include "xbase/functions.h"

namespace efile {
namespace {

int position(const xbase::Structure& s, std::string_view name) {
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i].name == name) return static_cast<int>(i);
  return -1;
}

bool has_company(const CertificateData& c) { return c.company && !c.company->eof(); }

xbase::Value field(const xbase::WorkArea* a, int pos) {
  return a && pos >= 0 ? a->get(pos) : xbase::Value();
}

std::string text_of(const xbase::Value& v) { return v.is_str() ? v.as_str() : std::string(); }
double number_of(const xbase::Value& v) { return v.is_num() ? v.as_num() : 0; }

}  // namespace

M30XmlContent::M30XmlContent(const RowTable& rows, std::string_view ev,
                             const xbase::Structure& person, const xbase::Structure& company)
    : ev_(ev) {
  company_vnev_ = position(company, "VNEV");
  company_adoszam_ = position(company, "ADOSZAM");
  company_helyseg_ = position(company, "HELYSEG");
  person_helyseg_ = position(person, "HELYSEG");
  person_vanhozott_ = position(person, "VANHOZOTT");
  for (const XmlField& f : m30_fields()) {
    std::optional<std::string> id = rows.find(f.key, f.type == ValueType::Number);
    if (!id) {
      missing_.push_back(f.key);
      continue;
    }
    // The identifier passes the text rule's cleaning; it is Windows-1250 already.
    Bound b{&f, "<mezo eazon=\"" + XMLSZUR(*id) + "\">"};
    if (f.source == Source::Person) b.pos = position(person, f.name);
    if (f.source == Source::Company) b.pos = position(company, f.name);
    if (f.zero == ZeroRule::WhenMonthBase) b.base_pos = position(person, f.base);
    bound_.push_back(std::move(b));
  }
}

std::string M30XmlContent::bytes(const CertificateData& c) const {
  const xbase::WorkArea* company = has_company(c) ? c.company : nullptr;
  std::string out;
  out.reserve(8192);
  auto line = [&](std::string_view s) {
    out += s;
    out += "\r\n";
  };
  line("<?xml version=\"1.0\" encoding=\"windows-1250\"?>");
  out += "<nyomtatvanyok xmlns=\"";
  out += kFormNamespace;
  line("\">");
  line("<nyomtatvany>");
  line("<nyomtatvanyinformacio>");
  line("<nyomtatvanyazonosito>" + ev_ + "M30</nyomtatvanyazonosito>");
  line("<adozo>");
  line("<nev>" + text_value(text_of(field(company, company_vnev_))) + "</nev>");
  line("<adoszam>" + text_value(text_of(field(company, company_adoszam_))) + "</adoszam>");
  line("</adozo>");
  line("</nyomtatvanyinformacio>");
  line("<mezok>");

  for (const Bound& b : bound_) {
    const XmlField& f = *b.field;
    std::string value;
    switch (f.source) {
      case Source::Person:
      case Source::Company: {
        const xbase::WorkArea* from = f.source == Source::Person ? c.person : company;
        xbase::Value v = field(from, b.pos);
        if (f.type == ValueType::Text) {
          value = text_value(text_of(v));
        } else if (f.type == ValueType::Date) {
          value = date_value(v.is_date() ? v.as_date() : xbase::Date());
        } else {
          bool zero_written = f.zero == ZeroRule::Written ||
                              (f.zero == ZeroRule::WhenMonthBase &&
                               number_of(field(c.person, b.base_pos)) != 0);
          value = number_value(number_of(v), zero_written);
        }
        break;
      }
      case Source::CompanyCity:
        if (company)
          value = text_value(xbase::alltrim(text_of(field(company, company_helyseg_))) + " " +
                             c.company_street);
        break;
      case Source::PersonCity: {
        std::string city =
            xbase::alltrim(text_of(field(c.person, person_helyseg_))) + " " + c.person_street;
        if (city.size() > 80) city.resize(80);
        value = text_value(city);
        break;
      }
      case Source::Previous:
        value = text_of(field(c.person, person_vanhozott_)) == "I" ? "I" : "N";
        break;
      case Source::Derived: {
        double v = f.name == "KELOLEG" ? c.keloleg : f.name == "KELSOHAZ30" ? c.kelsohaz30 : c.kgyerk30;
        value = number_value(v, f.zero == ZeroRule::Written);
        break;
      }
      case Source::ProcessingDate:
        value = date_value(c.mainap);
        break;
    }
    out += b.open;
    out += value;
    line("</mezo>");
  }

  line("</mezok>");
  line("</nyomtatvany>");
  line("</nyomtatvanyok>");
  return out;
}

}  // namespace efile
