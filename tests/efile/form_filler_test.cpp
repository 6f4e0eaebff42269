// Opening a file in the form filler: where the installation is found, how its
// configuration line is read, and what a stand-in start script or java receives.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "efile/efile_test_util.h"
#include "efile/form_filler.h"
#include "shell/shell_test_util.h"
#include "xbase/cp852.h"

namespace efile {
namespace {

namespace fs = std::filesystem;
using shell::testing::Station;
using testing::read_file;

// Sets an environment variable for the test's time.
class EnvVar {
 public:
  EnvVar(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~EnvVar() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct FillerTest : ::testing::Test {
  Station s;
  std::string record = s.file("called.txt");

  void write(const std::string& path, const std::string& text, bool executable = false) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
    if (executable) ::chmod(path.c_str(), 0755);
  }
  // A stand-in that writes its working directory and each argument, one a line.
  void stand_in(const std::string& path) {
    write(path, "#!/bin/sh\npwd > '" + record + ".part'\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" +
                    record + ".part'; done\nmv '" + record + ".part' '" + record + "'\n",
          true);
  }
  // What the stand-in recorded (it runs detached: waited for up to 10 s).
  std::string recorded() {
    for (int i = 0; i < 200 && !fs::exists(record); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return read_file(record);
  }
  FormFillerPlaces places() {
    FormFillerPlaces p;
    p.user_cfg = s.file("home/.abevjava/abevjavapath.cfg");
    p.system_cfg = s.file("etc/abevjavapath.cfg");
    p.default_dir = s.file("public/abevjava");
    return p;
  }
};

TEST_F(FillerTest, TheVariableThenTheUsersThenTheSystemsConfigurationThenTheDefault) {
  FormFillerPlaces p = places();
  EXPECT_EQ(form_filler_dir(p), s.file("public/abevjava"));
  write(p.system_cfg, "abevjava.path = /opt/rendszer\n");
  EXPECT_EQ(form_filler_dir(p), "/opt/rendszer");
  write(p.user_cfg, "# ÁNYK\r\nabevjava.path=/home/user/abevjava\r\n");
  EXPECT_EQ(form_filler_dir(p), "/home/user/abevjava");
  p.env_dir = "/srv/abevjava";
  EXPECT_EQ(form_filler_dir(p), "/srv/abevjava");
  // A configuration without the line names no directory.
  p.env_dir.clear();
  write(p.user_cfg, "abevjava.version = 3.44\n");
  EXPECT_EQ(form_filler_dir(p), std::nullopt);
  // A long installation path after a long line is still read whole.
  std::string deep = "/opt/" + std::string(120, 'x') + "/abevjava";
  write(p.user_cfg, "# " + std::string(1200, '-') + "\nabevjava.path = " + deep + "\n");
  EXPECT_EQ(form_filler_dir(p), deep);
}

TEST_F(FillerTest, ThePathLineAsJavaPropertiesWriteIt) {
  EXPECT_EQ(abevjava_path_value("abevjava.path = /opt/abevjava/"), "/opt/abevjava");
  EXPECT_EQ(abevjava_path_value("abevjava.path=//opt//ANYK\\ 2023//"), "/opt/ANYK 2023");
  EXPECT_EQ(abevjava_path_value("abevjava.path = /a\\=b/c=d"), "/a=b/c=d");
  EXPECT_EQ(abevjava_path_value("abevjava.path"), "");
  // A Windows value lies under the drive root.
  fs::create_directories(s.file("Program Files/abevjava"));
  EnvVar drive("VIRDA_DRIVE", s.dir);
  EXPECT_EQ(abevjava_path_value("abevjava.path = C\\:/Program Files/abevjava"), s.file("Program Files/abevjava"));
  EXPECT_EQ(abevjava_path_value("abevjava.path = C\\:\\\\program files\\\\ABEVJAVA"), s.file("Program Files/abevjava"));
}

TEST_F(FillerTest, TheStartScriptGetsThePathAsOneArgumentAndRunsNothingElse) {
  const std::string dir = s.file("Program Files/abevjava");
  stand_in(dir + "/abevjava_start");
  FormFillerPlaces p = places();
  write(p.user_cfg, "abevjava.path = C\\:/Program Files/abevjava\n");
  EnvVar drive("VIRDA_DRIVE", s.dir);
  const std::string xml = s.file("a b/it's \"q\"; $(touch " + s.file("pwned") + ")/23M30_0001_Kovács_János.xml");
  EXPECT_TRUE(ANYKM30NYIT(*s.con, xml, p));
  EXPECT_EQ(recorded(), dir + "\ncmd:file.import " + xml + "\n");
  EXPECT_FALSE(fs::exists(s.file("pwned")));
}

TEST_F(FillerTest, OnlyTheJarStartsWithJava) {
  const std::string dir = s.file("public/abevjava");
  write(dir + "/abevjava.jar", "PK");
  stand_in(s.file("bin/java"));
  EnvVar path("PATH", s.file("bin") + ":" + std::getenv("PATH"));
  EXPECT_TRUE(ANYKM30NYIT(*s.con, "/x/23M30_0001_A.xml", places()));
  EXPECT_EQ(recorded(), dir + "\n-jar\n" + dir + "/abevjava.jar\ncmd:file.import /x/23M30_0001_A.xml\n");
  // JAVA_HOME's java before PATH's.
  fs::remove(record);
  stand_in(s.file("jdk/bin/java"));
  FormFillerPlaces p = places();
  p.java_home = s.file("jdk");
  fs::remove(s.file("bin/java"));
  EXPECT_TRUE(ANYKM30NYIT(*s.con, "/x/y.xml", p));
  EXPECT_EQ(recorded(), dir + "\n-jar\n" + dir + "/abevjava.jar\ncmd:file.import /x/y.xml\n");
}

TEST_F(FillerTest, NotInstalledGivesTheAlert) {
  auto alert_shown = [&] {
    const console::Screen& scr = s.term->waits().back();
    for (int r = 0; r < 25; ++r)
      if (scr.row_utf8(r).find("Ezen a gépen a programból nem nyitható meg az ÁNYK!") != std::string::npos)
        return true;
    return false;
  };
  FormFillerPlaces p = places();
  s.term->key(console::key::kEnter);
  EXPECT_FALSE(ANYKM30NYIT(*s.con, "/x/y.xml", p));  // nothing at the default place
  EXPECT_TRUE(alert_shown());
  // A script that is not executable, or a java that cannot be started.
  write(s.file("public/abevjava/abevjava_start"), "#!/bin/sh\n");
  s.term->key(console::key::kEnter);
  EXPECT_FALSE(ANYKM30NYIT(*s.con, "/x/y.xml", p));
  write(s.file("public/abevjava/abevjava.jar"), "PK");
  p.java_home = s.file("nojdk");
  s.term->key(console::key::kEnter);
  EXPECT_FALSE(ANYKM30NYIT(*s.con, "/x/y.xml", p));
  EXPECT_TRUE(alert_shown());
  // A configuration whose line names nothing.
  write(p.user_cfg, "abevjava.path =\n");
  s.term->key(console::key::kEnter);
  EXPECT_FALSE(ANYKM30NYIT(*s.con, "/x/y.xml", p));
  EXPECT_FALSE(fs::exists(record));
}

}  // namespace
}  // namespace efile
