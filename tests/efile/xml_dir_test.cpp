// The directory "M30XML": names that never replace another file, and the lock that
// keeps a second workstation's run from removing the files of a run whose list is
// still open.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "efile/efile_test_util.h"
#include "efile/xml_dir.h"
#include "shell/shell_test_util.h"
#include "xbase/cp852.h"

namespace efile {
namespace {

namespace fs = std::filesystem;
using shell::testing::Other;
using shell::testing::Station;
using testing::files_in;
using testing::read_file;

std::string cp(std::string_view utf8) { return xbase::utf8_to_cp852(utf8); }

TEST(XmlDirectory, ANameTakenUnderAnyCaseGetsANumber) {
  Station s;
  fs::create_directories(s.file("M30XML/23m30_0005_NAGY.xml"));  // a directory, never removed
  XmlDirectory d;
  ASSERT_EQ(d.open(*s.ctx, s.dir), XmlDirectory::Open::Ready);
  EXPECT_EQ(d.path(), s.file("M30XML"));
  std::string path;
  for (const char* content : {"first", "second", "third"}) {
    ASSERT_EQ(d.write_file(cp("23M30_0001_Kiss_Éva.xml"), content, &path), XmlDirectory::Write::Written);
  }
  EXPECT_EQ(path, s.file("M30XML/23M30_0001_Kiss_Éva_3.xml"));
  EXPECT_EQ(read_file(s.file("M30XML/23M30_0001_Kiss_Éva.xml")), "first");
  EXPECT_EQ(read_file(s.file("M30XML/23M30_0001_Kiss_Éva_2.xml")), "second");
  ASSERT_EQ(d.write_file("23M30_0005_Nagy.xml", "x", &path), XmlDirectory::Write::Written);
  EXPECT_EQ(path, s.file("M30XML/23M30_0005_Nagy_2.xml"));
  d.close();

  // The numbered names are the run's files too: the next run removes them.
  ASSERT_EQ(d.open(*s.ctx, s.dir), XmlDirectory::Open::Ready);
  EXPECT_EQ(files_in(s.file("M30XML")), std::vector<std::string>{"m30xml.lck"});
  ASSERT_EQ(d.write_file(cp("23M30_0001_Kiss_Éva.xml"), "again", &path), XmlDirectory::Write::Written);
  EXPECT_EQ(path, s.file("M30XML/23M30_0001_Kiss_Éva.xml"));
}

TEST(XmlDirectory, ASecondRunWaitsWhileTheFirstHoldsTheDirectory) {
  Station s;
  Other first([&](int from_parent, int to_parent) {
    Station mine(s.dir);
    XmlDirectory d;
    if (d.open(*mine.ctx, s.dir) != XmlDirectory::Open::Ready) return 1;
    std::string path;
    d.write_file("23M30_0001_Elso.xml", "first", &path);
    shell::testing::say_ready(to_parent);
    shell::testing::wait_parent(from_parent);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    d.close();  // the list closed
    return 0;
  });
  ASSERT_TRUE(first.ready());

  // Esc in the wait: no XML files for this run, the first run's file stays.
  s.term->esc_after = 2;
  XmlDirectory d;
  EXPECT_EQ(d.open(*s.ctx, s.dir), XmlDirectory::Open::GivenUp);
  EXPECT_NE(s.term->waits().back().row_utf8(12).find("Várakozás állományra..."), std::string::npos);
  EXPECT_EQ(read_file(s.file("M30XML/23M30_0001_Elso.xml")), "first");

  // Waiting on: the directory is ours once the first run gave it free.
  s.term->esc_after = -1;
  first.go();
  EXPECT_EQ(d.open(*s.ctx, s.dir), XmlDirectory::Open::Ready);
  EXPECT_EQ(first.finish(), 0);
  EXPECT_FALSE(fs::exists(s.file("M30XML/23M30_0001_Elso.xml")));
  EXPECT_EQ(s.windows.count(), 0);
}

}  // namespace
}  // namespace efile
