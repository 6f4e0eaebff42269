// Print jobs on their routes: the bytes a port gets (initialisation, line ends, the
// CWI letters), a preview that touches no device, the paper prompt and a route that
// is not ready, the spool directory that never replaces a waiting job, lp with the
// switches of "dosprint.par", the printer-error dialog of a failing device, and the
// lock that keeps two workstations out of one preview file.
#include "print/print_job.h"

#include <regex>

#include "console/keys.h"
#include "print/print_station.h"
#include "xbase/hutext.h"

namespace print {
namespace {

namespace fs = std::filesystem;
namespace key = console::key;
using testing::PrintStation;
using testing::slurp;
using testing::spit;

std::string esc(std::string_view s) { return "\x1b" + std::string(s); }

JobSpec preview(std::string file = "jovedig.prn") {
  JobSpec s;
  s.real = false;
  s.name = "JOVEDIG";
  s.preview_file = std::move(file);
  s.hidden = {"EMBE", "EMKI"};
  return s;
}

JobSpec real(std::string name = "JOVEDIG") {
  JobSpec s;
  s.name = std::move(name);
  return s;
}

// Two lines of a report: bold through the control variables, a name through
// EPSONKONV.
void two_lines(PrintJob& job, shell::Context& ctx) {
  ctx.con.say(1, 0, ctx.vars.find("EMBE")->as_str() + std::string(HU("Név")));
  ctx.con.say(2, 4, job.text(HU("ÁÍŰŐé")));
}

std::vector<std::string> files_in(const std::string& dir) {
  std::vector<std::string> out;
  if (!fs::exists(dir)) return out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(PrintJob, PortGetsTheInitialisationThenTextFromColumnZeroWithCrLf) {
  PrintStation s;
  s.route("LPT1", "HP");
  std::string lpt = s.lpt1_file();
  JobOutcome o = run_print_job(*s.ctx, real(), [&](PrintJob& job) {
    EXPECT_EQ(s.con->printer().pcol(), 0);  // NYINI written, the column back to 0
    two_lines(job, *s.ctx);
  });
  EXPECT_EQ(o.status, JobStatus::Done);
  EXPECT_EQ(slurp(lpt), esc("E") + esc("&l3A") + esc("(17U") + "\r\n" + esc("(s3B") +
                            std::string(HU("Név")) + "\r\n    " + std::string(HU("ÁÍŰŐé")));
  EXPECT_EQ(o.bytes, static_cast<long long>(slurp(lpt).size()));
  EXPECT_EQ(s.con->device(), console::Device::Screen);
  EXPECT_TRUE(o.files.empty());

  // Without the job initialisation nothing comes before the text.
  s.set("KHPAUTO", xbase::Value::num(2));
  run_print_job(*s.ctx, real(), [&](PrintJob& job) { two_lines(job, *s.ctx); });
  EXPECT_EQ(slurp(lpt).substr(0, 2), "\r\n");
}

TEST(PrintJob, CwiPrinterGetsItsBytesWhilePreviewAndPdfKeepTheLetters) {
  PrintStation s;
  s.route("LPT1", "EPSON", /*cwi=*/true);
  std::string lpt = s.lpt1_file();
  run_print_job(*s.ctx, real(), [&](PrintJob& job) { s.con->say(0, 0, job.text(HU("ÁÍŰŐé"))); });
  EXPECT_EQ(slurp(lpt), "\x8F\x49\x9A\x99\x82");
  EXPECT_FALSE(s.vars.find("LKAR852")->as_logical());

  JobOutcome o = run_print_job(*s.ctx, preview(), [&](PrintJob& job) {
    s.con->say(0, 0, job.text(HU("ÁÍŰŐé")));
  });
  EXPECT_EQ(slurp(s.file("jovedig.prn")), std::string(HU("ÁÍŰŐé")));
  EXPECT_EQ(o.files, std::vector<std::string>{s.file("jovedig.prn")});
}

TEST(PrintJob, PreviewOpensNoDeviceWritesNoInitialisationAndHidesTheControls) {
  PrintStation s;
  s.route("LPT1", "HP");
  ::setenv("VIRDA_LPT1", (s.dir + "/no/such/device").c_str(), 1);
  JobOutcome o = run_print_job(*s.ctx, preview(), [&](PrintJob& job) { two_lines(job, *s.ctx); });
  EXPECT_EQ(o.status, JobStatus::Done);
  EXPECT_TRUE(o.message.empty());
  EXPECT_EQ(slurp(s.file("jovedig.prn")), "\r\n" + std::string(HU("Név")) + "\r\n    " +
                                              std::string(HU("ÁÍŰŐé")));
  EXPECT_EQ(s.vars.find("EMBE")->as_str(), esc("(s3B"));  // visible again after the job
  EXPECT_EQ(s.term->waits().size(), 0u);                   // nothing asked

  // An empty preview is an empty file, and a preview hands nothing to a route.
  s.route("LPT5", "EPSON");
  run_print_job(*s.ctx, preview("ekhoig.prn"), [](PrintJob&) {});
  EXPECT_EQ(fs::file_size(s.file("ekhoig.prn")), 0u);
  EXPECT_FALSE(fs::exists(spool_dir()));
}

TEST(Ridi, AsksForPaperOncePerSizeAndNeverForPdf) {
  PrintStation s;
  s.route("LPT2", "HP");
  std::string lpt2 = s.dir + "/lpt2.out";
  spit(lpt2, "");
  ::setenv("VIRDA_LPT2", lpt2.c_str(), 1);
  s.term->keys({key::kEnter});
  EXPECT_TRUE(RIDI(*s.ctx, 1));
  ASSERT_EQ(s.term->waits().size(), 1u);
  const console::Screen& box = s.term->waits()[0];
  EXPECT_EQ(testing::cells(box, 18, 14, 58),
            std::string(HU("Tegyen keskeny papírt a HP kompatibilis nyomtatóba (LPT2)!")));
  EXPECT_EQ(testing::cells(box, 20, 14, 14), std::string(HU("Ha kész, ENTER")));
  EXPECT_TRUE(RIDI(*s.ctx, 1));  // the same paper: no question
  EXPECT_EQ(s.term->waits().size(), 1u);

  s.route("LPT2", "EPSON");
  s.set("PAPIRMERET", xbase::Value::num(1));
  s.term->keys({key::kEsc});  // the answer is not examined
  EXPECT_TRUE(RIDI(*s.ctx, 2));
  EXPECT_NE(s.term->waits()[1].text_utf8().find("Tegyen széles papírt az EPSON kompatibilis"),
            std::string::npos);

  s.route("PDF", "EPSON");
  EXPECT_TRUE(RIDI(*s.ctx, 1));
  EXPECT_TRUE(RIDI(*s.ctx, 2));
  EXPECT_EQ(s.term->waits().size(), 2u);
}

TEST(Ridi, MissingDeviceSaysWhatFailedAndNothingIsWritten) {
  PrintStation s;
  s.route("LPT3", "EPSON");
  s.set("PAPIRMERET", xbase::Value::num(1));
  std::string device = s.dir + "/dev/lp2";
  ::setenv("VIRDA_LPT3", device.c_str(), 1);
  s.term->keys({key::kEnter});
  EXPECT_FALSE(RIDI(*s.ctx, 1));
  std::string shown = s.term->waits()[0].text_utf8();
  EXPECT_NE(shown.find("A nyomtató nem érhető el: " + device), std::string::npos);
  EXPECT_NE(shown.find("Nincs ilyen eszköz."), std::string::npos);
  EXPECT_NE(shown.find("Tovább"), std::string::npos);
  EXPECT_FALSE(fs::exists(device));

  // The job itself refuses before any output, and the device file is never made.
  JobOutcome o = run_print_job(*s.ctx, real(), [](PrintJob&) { ADD_FAILURE() << "report ran"; });
  EXPECT_EQ(o.status, JobStatus::NotWritten);
  EXPECT_FALSE(fs::exists(device));
  EXPECT_EQ(STATPRT(s.dir, 3), route_status(s.dir, route_of_eprport("LPT3")).code);
  EXPECT_NE(STATPRT(s.dir, 3), 0);

  // "nyomtato.par" names the device; the workstation's own setting is stronger.
  std::string par_device = s.dir + "/par_lp";
  spit(par_device, "");
  spit(s.file("nyomtato.par"), "LPT3=" + par_device + "\r\n");
  EXPECT_EQ(lpt_device(s.dir, 3), device);
  ::unsetenv("VIRDA_LPT3");
  EXPECT_EQ(lpt_device(s.dir, 3), par_device);
  EXPECT_EQ(STATPRT(s.dir, 3), 0);
  EXPECT_EQ(lpt_device(s.dir, 4), "/dev/lp3");
}

TEST(PrintJob, FailingDeviceAsksRetryOrGiveUp) {
  PrintStation s;
  s.route("LPT1", "EPSON");
  ::setenv("VIRDA_LPT1", "/dev/full", 1);
  // "Újra próbálja" once, then "Kilépés": the program would end here.
  s.term->keys({key::kEnter, key::kDown, key::kEnter});
  JobOutcome o = run_print_job(*s.ctx, real(), [&](PrintJob&) { s.con->say(0, 0, "text"); });
  EXPECT_EQ(o.status, JobStatus::NotWritten);
  ASSERT_GE(s.term->waits().size(), 2u);
  EXPECT_NE(s.term->waits()[0].text_utf8().find("A nyomtató nem üzemkész !"), std::string::npos);
  EXPECT_NE(s.term->waits()[1].text_utf8().find("A nyomtató nem üzemkész !"), std::string::npos);
  EXPECT_EQ(s.exit_code, 1);
  EXPECT_EQ(s.con->printer().prow(), 0);
}

TEST(PrintJob, SpoolDirectoryGetsOneCompleteJobUnderAFreeName) {
  PrintStation s;
  s.route("LPT5", "EPSON");
  std::string body;
  for (int i = 0; i < 500; ++i) body += "sor " + std::to_string(i) + "\r\n";
  auto report = [&](PrintJob&) { s.con->printer().out(body); };
  JobOutcome o = run_print_job(*s.ctx, real(), report);
  ASSERT_EQ(o.status, JobStatus::Done);
  std::string dir = s.dir + "/prtwrk/prt1";
  std::vector<std::string> names = files_in(dir);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(PR\d{6}\.PRN)"))) << names[0];
  EXPECT_EQ(slurp(dir + "/" + names[0]), body);
  EXPECT_EQ(o.files, std::vector<std::string>{dir + "/" + names[0]});
  EXPECT_EQ(fs::file_size(work_file()), 0u);  // the work file is emptied

  // A random name that a waiting job holds: that job stays as it is.
  spit(dir + "/PR007007.PRN", "waiting");
  set_random_source([] { return 7; });
  o = run_print_job(*s.ctx, real(), report);
  EXPECT_EQ(slurp(dir + "/PR007007.PRN"), "waiting");
  EXPECT_EQ(files_in(dir).size(), 3u);
  for (const std::string& f : o.files) EXPECT_EQ(slurp(f), body);
}

TEST(PrintJob, ReportBrokenOffHandsNothingOver) {
  for (const char* route : {"LPT5", "PDF"}) {
    PrintStation s;
    s.route(route, "EPSON");
    JobSpec spec = real();
    spec.pdf_dir = s.dir + "/pdf";
    fs::create_directories(spec.pdf_dir);
    try {
      run_print_job(*s.ctx, spec, [&](PrintJob&) {
        s.con->say(0, 0, "half a certificate");
        throw std::runtime_error("broken off");
      });
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(files_in(s.dir + "/prtwrk/prt1").empty()) << route;
    EXPECT_TRUE(files_in(spec.pdf_dir).empty()) << route;  // no PDF, not even half of one
    EXPECT_FALSE(fs::exists(work_file() + ".pdf")) << route;
    EXPECT_EQ(s.con->device(), console::Device::Screen) << route;
    EXPECT_EQ(fs::file_size(work_file()), 0u) << route;
  }
}

TEST(PrintJob, TwoWorkstationsSpoolingAtOnceLeaveTwoCompleteJobs) {
  PrintStation s;
  s.route("LPT5", "EPSON");
  std::string body(200000, 'x');
  set_random_source([] { return 1; });  // both draw the same names
  auto job = [&] {
    return run_print_job(*s.ctx, real(), [&](PrintJob&) { s.con->printer().out(body); }).status;
  };
  shell::testing::Other other([&](int from, int to) {
    shell::testing::wait_parent(from);
    (void)to;
    return job() == JobStatus::Done ? 0 : 1;
  });
  other.go();
  EXPECT_EQ(job(), JobStatus::Done);
  EXPECT_EQ(other.finish(), 0);
  std::vector<std::string> names = files_in(s.dir + "/prtwrk/prt1");
  ASSERT_EQ(names.size(), 2u);
  for (const std::string& n : names) EXPECT_EQ(slurp(s.dir + "/prtwrk/prt1/" + n), body) << n;
}

TEST(PrintJob, UsbHandsACopyToLpWithTheSwitchesAsWords) {
  PrintStation s;
  s.route("USB", "EPSON");
  // The stand-in records its arguments one per line and the file it was given.
  s.stand_in("lp", "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$LP_LOG\"; done\n"
                   "eval last=\\${$#}; cp \"$last\" \"$LP_LOG.job\"; exit ${LP_EXIT:-0}\n");
  std::string log = s.dir + "/lp.log";
  ::setenv("LP_LOG", log.c_str(), 1);
  auto report = [&](PrintJob&) { s.con->say(0, 0, "ABC"); };

  JobOutcome o = run_print_job(*s.ctx, real(), report);
  EXPECT_EQ(o.status, JobStatus::Done);
  std::string args = slurp(log);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(args, m, std::regex("-o\nraw\n(" + s.dir + R"(/PR\d{6}\.PRN)\n)")))
      << args;
  EXPECT_FALSE(fs::exists(m[1].str()));  // lp took it: the copy is gone
  EXPECT_EQ(slurp(log + ".job"), "ABC");

  // The switches of "dosprint.par" as words; nothing in them is run.
  fs::remove(log);
  spit(s.file("dosprint.par"), "-d \"Irodai nyomtat\xc3\xb3\" -n 2\t$(touch x);\r\n");
  run_print_job(*s.ctx, real(), report);
  args = slurp(log);
  EXPECT_EQ(args.substr(0, args.find("\n" + s.dir)),
            "-o\nraw\n-d\nIrodai nyomtató\n-n\n2\n$(touch\nx);");
  EXPECT_FALSE(fs::exists(s.dir + "/x"));
  EXPECT_FALSE(fs::exists("x"));

  // lp failing: the copy stays and the message names it.
  ::setenv("LP_EXIT", "1", 1);
  ::setenv("USERPROFILE", (s.dir + "/profile").c_str(), 1);
  fs::create_directories(s.dir + "/profile/Documents");
  o = run_print_job(*s.ctx, real(), report);
  ::unsetenv("LP_EXIT");
  EXPECT_EQ(o.status, JobStatus::NotWritten);
  ASSERT_EQ(o.files.size(), 1u);
  EXPECT_EQ(o.files[0].substr(0, s.dir.size() + 9), s.dir + "/profile/");
  EXPECT_EQ(slurp(o.files[0]), "ABC");
  EXPECT_EQ(o.message[0], std::string(HU("A nyomtatás nem sikerült (lp kilépési kód 1).")));
  EXPECT_NE(o.message[1].find(o.files[0]), std::string::npos);
  ::unsetenv("LP_LOG");
}

TEST(PrintJob, UsbWithoutLpSaysSoBeforeAnyOutput) {
  PrintStation s;
  s.route("USB", "EPSON");
  ::setenv("PATH", s.bin.c_str(), 1);  // no lp anywhere
  s.set("PAPIRMERET", xbase::Value::num(1));
  s.term->keys({key::kEnter});
  EXPECT_FALSE(RIDI(*s.ctx, 1));
  EXPECT_NE(s.term->waits()[0].text_utf8().find("Az lp program nem indítható (cups-client)."),
            std::string::npos);
  JobOutcome o = run_print_job(*s.ctx, real(), [](PrintJob&) { ADD_FAILURE(); });
  EXPECT_EQ(o.status, JobStatus::NotWritten);
}

TEST(PrintJob, SecondWorkstationWaitsForThePreviewFileAndEscGivesUp) {
  PrintStation s;
  s.route("LPT1", "EPSON");
  PrintJob first(*s.ctx, preview());
  ASSERT_TRUE(first.start());
  s.con->say(0, 0, "first");
  first.finish();  // the viewer would be showing it now

  shell::testing::Other other([&](int from, int to) {
    (void)from;
    PrintStation t;
    t.ctx->program_dir = s.dir;
    t.term->esc_after = 2;
    JobOutcome o = run_print_job(*t.ctx, preview(), [&](PrintJob&) { t.con->say(0, 0, "second"); });
    shell::testing::say_ready(to);
    bool waited = !t.term->waits().empty() &&
                  t.term->waits()[0].row_utf8(12).find("Várakozás állományra...") != std::string::npos;
    return o.status == JobStatus::Busy && waited ? 0 : 1;
  });
  ASSERT_TRUE(other.ready());
  EXPECT_EQ(other.finish(), 0);
  EXPECT_EQ(slurp(first.preview_path()), "first");

  // Once the viewer closed, the file is free again.
  first.release();
  shell::testing::Other later([&](int, int) {
    PrintStation t;
    t.ctx->program_dir = s.dir;
    return run_print_job(*t.ctx, preview(), [&](PrintJob&) { t.con->say(0, 0, "second"); }).status ==
                   JobStatus::Done
               ? 0
               : 1;
  });
  EXPECT_EQ(later.finish(), 0);
  EXPECT_EQ(slurp(first.preview_path()), "second");
}

}  // namespace
}  // namespace print
