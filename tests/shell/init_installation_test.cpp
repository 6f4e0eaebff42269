// A new installation for an office: what "mvirda23 init" makes, what it refuses
// and leaves as it was, what a failure leaves behind, and its command line.
#include "shell/init_installation.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "common/forked_process.h"
#include "shell/exit_codes.h"
#include "shell/startup_files.h"
#include "store/tables.h"
#include "store/template_dir.h"
#include "xbase/dbf_table.h"
#include "xbase/hutext.h"

namespace shell {
namespace {

namespace fs = std::filesystem;

// A scratch directory holding the program's data as the build lays them out.
struct Scratch {
  fs::path root;
  std::string data;
  Scratch() {
    std::string base = (fs::temp_directory_path() / "inittest-XXXXXX").string();
    root = ::mkdtemp(base.data());
    data = (root / "share").string();
    store::write_template_dir(data + "/xxx");
  }
  ~Scratch() { fs::remove_all(root); }
  std::string drive() const { return (root / "iroda").string(); }
  std::string program_dir() const { return (root / "iroda" / "VIRDA23").string(); }
};

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry under `dir` with its bytes ("<dir>" for a directory).
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> s;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    s[e.path().string()] = e.is_directory() ? "<dir>" : read(e.path());
  return s;
}

uint32_t records(const std::string& path) {
  return xbase::DbfTable::open(path, false, true)->record_count();
}

TEST(InitInstallation, MakesAnEmptyInstallationForTheFirstStart) {
  Scratch s;
  const InitOutcome o = init_installation(s.data, s.drive(), HU("Próba és Társa Kft."));
  ASSERT_EQ(o.code, exit_code::kDone) << o.message;
  EXPECT_EQ(o.program_dir, s.program_dir());

  // The template directory and the tables copied out of it, byte for byte.
  for (const store::TableDef& t : store::program_tables()) {
    const std::string name = t.file + ".dbf";
    const std::string shipped = read(s.data + "/xxx/" + name);
    ASSERT_FALSE(shipped.empty()) << name;
    EXPECT_EQ(read(s.program_dir() + "/xxx/" + name), shipped) << name;
    EXPECT_EQ(read(s.program_dir() + "/" + name), shipped) << name;
  }
  // No company, no person; the public-space kinds and the one settings record.
  EXPECT_EQ(records(s.program_dir() + "/vallal.dbf"), 0u);
  EXPECT_EQ(records(s.program_dir() + "/virda23.dbf"), 0u);
  EXPECT_EQ(records(s.program_dir() + "/eltar23.dbf"), 0u);
  EXPECT_EQ(records(s.program_dir() + "/konstans.dbf"), 1u);
  EXPECT_EQ(records(s.program_dir() + "/kozter.dbf"), store::public_space_kinds().size());
  // The first start is still to come: no marker, no index, no work directory left.
  for (const auto& e : fs::directory_iterator(s.program_dir())) {
    const std::string n = e.path().filename().string();
    EXPECT_TRUE(n == "xxx" || n == "cegnev.txt" || e.path().extension() == ".dbf") << n;
  }
  ASSERT_EQ(std::distance(fs::directory_iterator(s.drive()), fs::directory_iterator()), 1);

  EXPECT_EQ(read(s.program_dir() + "/cegnev.txt"), std::string(HU("Próba és Társa Kft.")) + "\r\n");
  EXPECT_EQ(read_cegnev(s.program_dir()), HU("Próba és Társa Kft."));

  Scratch unnamed;
  ASSERT_EQ(init_installation(unnamed.data, unnamed.drive()).code, exit_code::kDone);
  EXPECT_FALSE(fs::exists(unnamed.program_dir() + "/cegnev.txt"));
}

TEST(InitInstallation, NeverTouchesAnExistingInstallation) {
  Scratch s;
  ASSERT_EQ(init_installation(s.data, s.drive()).code, exit_code::kDone);
  std::ofstream(s.program_dir() + "/elsoind.jel") << "x";
  const auto before = snapshot(s.root);

  InitOutcome again = init_installation(s.data, s.drive(), "Masik");
  EXPECT_EQ(again.code, exit_code::kNotWritten);
  EXPECT_NE(again.message.find(s.program_dir()), std::string::npos) << again.message;
  // The installation directory itself named as the drive.
  EXPECT_EQ(init_installation(s.data, s.program_dir()).code, exit_code::kNotWritten);
  EXPECT_EQ(snapshot(s.root), before);

  // Another spelling of the name, holding anything, is an installation too; so is
  // a file of that name. An empty directory of that name is filled.
  Scratch lower;
  fs::create_directories(lower.drive() + "/virda23");
  std::ofstream(lower.drive() + "/virda23/jegyzet.txt") << "megjegyzes";
  const auto lower_before = snapshot(lower.root);
  EXPECT_EQ(init_installation(lower.data, lower.drive()).code, exit_code::kNotWritten);
  EXPECT_EQ(snapshot(lower.root), lower_before);

  Scratch file;
  fs::create_directories(file.drive());
  std::ofstream(file.program_dir()) << "";
  EXPECT_EQ(init_installation(file.data, file.drive()).code, exit_code::kNotWritten);

  Scratch empty;
  fs::create_directories(empty.program_dir());
  EXPECT_EQ(init_installation(empty.data, empty.drive()).code, exit_code::kDone);
  EXPECT_TRUE(fs::exists(empty.program_dir() + "/vallal.dbf"));
}

TEST(InitInstallation, MissingDataOrAFailedWriteLeavesNothing) {
  {  // no data directory
    Scratch s;
    InitOutcome o = init_installation(s.data + "-nincs", s.drive());
    EXPECT_EQ(o.code, exit_code::kInput);
    EXPECT_FALSE(fs::exists(s.drive()));
  }
  {  // a table missing from the template, another cut short
    Scratch s;
    fs::remove(s.data + "/xxx/eltar23.dbf");
    InitOutcome o = init_installation(s.data, s.drive());
    EXPECT_EQ(o.code, exit_code::kInput);
    EXPECT_NE(o.message.find("xxx/eltar23.dbf"), std::string::npos) << o.message;
    EXPECT_FALSE(fs::exists(s.drive()));

    Scratch cut;
    fs::resize_file(cut.data + "/xxx/vallal.dbf", 40);
    EXPECT_EQ(init_installation(cut.data, cut.drive()).code, exit_code::kInput);
    EXPECT_FALSE(fs::exists(cut.drive()));
  }
  {  // the drive cannot be made: a file stands in the way
    Scratch s;
    std::ofstream((s.root / "fajl").string()) << "";
    InitOutcome o = init_installation(s.data, (s.root / "fajl" / "iroda").string());
    EXPECT_EQ(o.code, exit_code::kNotWritten);
  }
  {  // the disk fills up half-way (files may grow to 2 KiB only): nothing half-made
    Scratch s;
    fs::create_directories(s.drive());
    mvirda_test::ForkedProcess child([&s](int, int) {
      ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
      rlimit small{2048, 2048};
      ::setrlimit(RLIMIT_FSIZE, &small);
      return init_installation(s.data, s.drive()).code;
    });
    EXPECT_EQ(child.finish(), exit_code::kNotWritten);
    EXPECT_TRUE(fs::is_empty(s.drive()));
  }
}

TEST(InitCommand, OptionsUsageAndMessages) {
  Scratch s;
  auto run = [&s](std::vector<std::string> args, std::string* out = nullptr,
                  std::string* err = nullptr) {
    std::string o, e;
    int code = init_command(args, s.data, o, e);
    if (out) *out = o;
    if (err) *err = e;
    return code;
  };
  std::string out, err;
  EXPECT_EQ(run({}, &out, &err), exit_code::kUsage);
  EXPECT_TRUE(out.empty());
  EXPECT_NE(err.find("használat: mvirda23 init"), std::string::npos) << err;
  EXPECT_EQ(run({"--nev", s.drive()}), exit_code::kUsage);
  EXPECT_EQ(run({s.drive(), "masik"}), exit_code::kUsage);
  EXPECT_EQ(run({s.drive(), "--name"}), exit_code::kUsage);
  EXPECT_EQ(run({"--name", std::string(79, 'a'), s.drive()}), exit_code::kUsage);
  // The installation directory named instead of the drive.
  EXPECT_EQ(run({s.program_dir()}), exit_code::kUsage);
  EXPECT_EQ(run({(s.root / "iroda" / "Virda23/").string()}), exit_code::kUsage);
  EXPECT_FALSE(fs::exists(s.drive()));
  EXPECT_EQ(run({"--help"}, &out), exit_code::kDone);
  EXPECT_NE(out.find("--name"), std::string::npos);
  EXPECT_FALSE(fs::exists(s.drive()));

  // 78 characters of the code page fit, whatever their UTF-8 length.
  const std::string name = "Árvíztűrő " + std::string(68, 'x');
  EXPECT_EQ(run({"--name=" + name, s.drive() + "/"}, &out, &err), exit_code::kDone) << err;
  EXPECT_EQ(out, s.program_dir() + "\n");
  EXPECT_NE(err.find("VIRDA_DRIVE=" + s.drive() + " virda23"), std::string::npos) << err;
  EXPECT_EQ(read_cegnev(s.program_dir()).size(), 78u);

  EXPECT_EQ(run({s.drive()}, &out, &err), exit_code::kNotWritten);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST(InitInstallation, TheBuildsProgramFindsTheBuildsData) {
  // Test programs lie one directory below the build, as the program does.
  const std::string data = installed_data_dir();
  EXPECT_EQ(data, (fs::path(MVIRDA_BINARY_DIR) / "share" / "mvirda23").lexically_normal().string());
  EXPECT_TRUE(fs::exists(data + "/xxx/vallal.dbf")) << data;
}

}  // namespace
}  // namespace shell
