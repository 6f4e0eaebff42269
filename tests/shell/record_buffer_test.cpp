// The record buffer: blank values, one buffer value per field name across tables,
// loading (also what another process changed), writing back with the overflow check
// and the data-width error, the Esc answer of READE and CLOSE2TOL.
#include <gtest/gtest.h>

#include "shell/record_buffer.h"
#include "shell/shell_test_util.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {
namespace {

using testing::Station;
using xbase::Value;
namespace key = console::key;

const xbase::Structure kPersons = {{"VKOD", 'C', 3, 0},      {"NEV", 'C', 30, 0},
                                   {"JOVEDELEM", 'N', 9, 0}, {"ADO", 'N', 10, 2},
                                   {"SZULIDO", 'D', 8, 0},   {"NYUGDIJAS", 'L', 1, 0}};
const xbase::Structure kCompanies = {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 30, 0}};

// Opens `name` in the selected area exclusively, with one record.
void table_with_record(Station& s, const std::string& name, const xbase::Structure& fields) {
  ASSERT_TRUE(s.areas.create(s.file(name), fields));
  ASSERT_TRUE(s.areas.use(s.file(name), "", xbase::OpenMode::Exclusive));
  ASSERT_TRUE(s.areas.current().append_blank());
}

double num(Station& s, const char* field) { return s.areas.current().get(field).as_num(); }

TEST(RecordBuffer, BlankValuesAndOneBufferPerFieldName) {
  Station s;
  table_with_record(s, "virda23", kPersons);
  s.vars.make_public("XNEV", Value::str("MEGLEVO"));
  PUBI(*s.ctx);
  EXPECT_EQ(s.vars.find("XNEV")->as_str(), "MEGLEVO");  // an existing one keeps its value
  EXPECT_EQ(s.vars.find("XVKOD")->as_str(), "   ");

  INI(*s.ctx);
  EXPECT_EQ(s.vars.find("XNEV")->as_str(), std::string(30, ' '));
  EXPECT_EQ(s.vars.find("XJOVEDELEM")->as_num(), 0);
  ASSERT_TRUE(s.vars.find("XSZULIDO")->is_date());
  EXPECT_EQ(xbase::dtoc(s.vars.find("XSZULIDO")->as_date()), "    .  .  ");
  EXPECT_FALSE(s.vars.find("XNYUGDIJAS")->as_logical());

  s.areas.current().put("NEV", Value::str("KISS ANNA"));
  s.areas.current().put("SZULIDO", Value::date(xbase::Date::from_ymd(1980, 2, 29)));
  BEOLV(*s.ctx);
  EXPECT_EQ(xbase::rtrim(s.vars.find("XNEV")->as_str()), "KISS ANNA");
  EXPECT_EQ(xbase::dtoc(s.vars.find("XSZULIDO")->as_date()), "1980.02.29");

  // Loading a company overwrites the name a person form may still show.
  s.areas.select(2);
  table_with_record(s, "vallal", kCompanies);
  s.areas.current().put("NEV", Value::str("ACME KFT"));
  BEOLV(*s.ctx);
  EXPECT_EQ(xbase::rtrim(s.vars.find("XNEV")->as_str()), "ACME KFT");
}

TEST(RecordBuffer, CsereRefusesNumbersTheFieldCannotShow) {
  Station s;
  table_with_record(s, "virda23", kPersons);
  PUBI(*s.ctx);
  s.vars.assign("XVKOD", Value::str("001"));
  s.vars.assign("XNEV", Value::str(xbase::padr("KISS ANNA", 30)));
  s.vars.assign("XJOVEDELEM", Value::num(999999999));
  s.vars.assign("XADO", Value::num(9999999.99, 10, 2));
  CSERE(*s.ctx);
  EXPECT_EQ(num(s, "JOVEDELEM"), 999999999);
  EXPECT_DOUBLE_EQ(num(s, "ADO"), 9999999.99);
  EXPECT_EQ(s.term->waits().size(), 0u);

  // Too large: the row-24 message until a key, the old value kept, the rest written.
  s.vars.assign("XJOVEDELEM", Value::num(1000000000));
  s.vars.assign("XADO", Value::num(10000000));
  s.vars.assign("XVKOD", Value::str("002"));
  s.term->keys({key::kEnter, key::kEnter});
  CSERE(*s.ctx);
  EXPECT_EQ(num(s, "JOVEDELEM"), 999999999);
  EXPECT_DOUBLE_EQ(num(s, "ADO"), 9999999.99);
  EXPECT_EQ(s.areas.current().get("VKOD").as_str(), "002");
  ASSERT_EQ(s.term->waits().size(), 2u);
  std::string first = s.term->waits()[0].row_utf8(24);
  EXPECT_EQ(xbase::rtrim(first), "Túl nagy szám: 002 " + xbase::padr("KISS ANNA", 30) +
                                      " JOVEDELEM 1000000000");
  EXPECT_NE(s.term->waits()[1].row_utf8(24).find(" ADO   10000000"), std::string::npos);
  EXPECT_EQ(xbase::rtrim(s.con->screen().row_utf8(24)), "");  // cleared again
}

TEST(RecordBuffer, CsereReportsDataWidthNamingTheFieldAndGoesOn) {
  Station s;
  table_with_record(s, "virda23", kPersons);
  PUBI(*s.ctx);
  s.areas.current().put("JOVEDELEM", Value::num(5));
  s.vars.assign("XJOVEDELEM", Value::num(-123456789));  // ten characters in a field of nine
  s.vars.assign("XNEV", Value::str("NAGY PETER"));
  s.term->keys({key::kEnter});
  CSERE(*s.ctx);
  EXPECT_EQ(num(s, "JOVEDELEM"), 5);
  EXPECT_EQ(xbase::rtrim(s.areas.current().get("NEV").as_str()), "NAGY PETER");
  ASSERT_EQ(s.term->waits().size(), 1u);
  EXPECT_NE(s.term->waits()[0].text_utf8().find("JOVEDELEM  túl nagy szám !"), std::string::npos);
  EXPECT_EQ(s.exit_code, -1);
}

TEST(RecordBuffer, BeolvSeesWhatAnotherWorkstationStored) {
  Station s;
  ASSERT_TRUE(s.areas.create(s.file("virda23"), kPersons));
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", xbase::OpenMode::Shared));
  ASSERT_TRUE(s.areas.current().append_blank());
  s.areas.current().put("JOVEDELEM", Value::num(100));
  s.areas.current().commit();
  s.areas.current().unlock();
  PUBI(*s.ctx);
  BEOLV(*s.ctx);
  EXPECT_EQ(s.vars.find("XJOVEDELEM")->as_num(), 100);

  testing::Other other([&](int, int up) {
    xbase::WorkAreas areas;
    if (!areas.use(s.file("virda23"), "", xbase::OpenMode::Shared)) return 2;
    areas.current().go_to(1);
    if (!areas.current().rlock()) return 3;
    areas.current().put("JOVEDELEM", Value::num(250000));
    areas.current().commit();
    areas.current().unlock();
    testing::say_ready(up);
    return 0;
  });
  ASSERT_TRUE(other.ready());
  BEOLV(*s.ctx);
  EXPECT_EQ(s.vars.find("XJOVEDELEM")->as_num(), 250000);
  EXPECT_EQ(other.finish(), 0);
}

TEST(RecordBuffer, ReadeTellsWhetherTheReadEndedWithEsc) {
  Station s;
  s.vars.make_public("XNEV", Value::str("ABC"));
  s.reads->getlist().add(*s.con, s.vars, 5, 10, "XNEV");
  s.term->keys({key::kEnter});
  EXPECT_FALSE(READE(*s.ctx));
  EXPECT_TRUE(s.reads->getlist().empty());
  s.reads->getlist().add(*s.con, s.vars, 5, 10, "XNEV");
  s.term->keys({'Z', key::kEsc});
  EXPECT_TRUE(READE(*s.ctx));
  EXPECT_EQ(s.vars.find("XNEV")->as_str(), "ABC");
}

TEST(RecordBuffer, Close2tolClosesAreasTwoToTwentyOnly) {
  Station s;
  xbase::Structure one = {{"A", 'C', 1, 0}};
  for (int n : {1, 2, 3, 20, 21}) {
    std::string name = "t" + std::to_string(n);
    ASSERT_TRUE(s.areas.create(s.file(name), one));
    s.areas.select(n);
    ASSERT_TRUE(s.areas.use(s.file(name)));
  }
  s.areas.select(3);
  EXPECT_TRUE(CLOSE2TOL(*s.ctx));
  EXPECT_EQ(s.areas.selected(), 3);
  EXPECT_TRUE(s.areas.area(1).used());
  EXPECT_FALSE(s.areas.area(2).used());
  EXPECT_FALSE(s.areas.area(3).used());
  EXPECT_FALSE(s.areas.area(20).used());
  EXPECT_TRUE(s.areas.area(21).used());
}

}  // namespace
}  // namespace shell
