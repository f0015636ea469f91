// The real program in a pseudo-terminal, with HOME and TMPDIR in fresh temporary folders.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "e2e/program_run.hpp"
#include "e2e/pty_screen.hpp"
#include "sequencer/project.hpp"
#include "ui/harness.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;
using e2e::read_file;

TEST_F(ProgramRun, StartsOnTheProjectListOpensANewProjectAndQuits) {
  PtySession program(options());
  ASSERT_TRUE(program.wait_for_text("+ New Project", 10s)) << program.screen_text();
  EXPECT_TRUE(program.find("Select or create a project:"));
  auto selected = program.find("> + New Project");
  ASSERT_TRUE(selected);
  EXPECT_EQ(program.cell(selected->first, selected->second).bg, e2e::rgb("CDD6F4"));
  EXPECT_EQ(program.cell(0, 0).bg, e2e::rgb("181825"));

  program.send("\r");
  ASSERT_TRUE(program.wait_for_text("[SEQ]", 5s)) << program.screen_text();
  EXPECT_TRUE(program.row_text(0).starts_with(" QUORVELAN ")) << program.screen_text();
  EXPECT_NE(program.row_text(0).find("BPM:120  [ ]"), std::string::npos) << program.screen_text();
  EXPECT_TRUE(program.row_text(program.rows() - 2)
                  .starts_with(" NORMAL   Pat:A01  Trk:1/4  Oct:4  Step:01/16  BPM:120"))
      << program.screen_text();
  EXPECT_TRUE(program.row_text(program.rows() - 1).starts_with("Left/Right:Step"))
      << program.screen_text();

  quit(program);

  auto log = read_file(log_file());
  auto first_line = log.substr(0, log.find('\n'));
  EXPECT_TRUE(first_line.starts_with("[")) << first_line;
  EXPECT_TRUE(first_line.ends_with(" INFO  quorvelan] Quorvelan - Terminal FM Groovebox"))
      << first_line;
}

TEST_F(ProgramRun, WithoutATerminalItFailsWithStatusOneAndSaysWhyInTheLog) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, STDIN_FILENO);
    dup2(null_fd, STDOUT_FILENO);
    setenv("HOME", home().c_str(), 1);
    setenv("TMPDIR", tmp().c_str(), 1);
    setenv("JACK_DEFAULT_SERVER", "quorvelan-e2e-none", 1);
    execl(QUORVELAN_BINARY, QUORVELAN_BINARY, nullptr);
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(read_file(log_file()).find("Error: "), std::string::npos) << read_file(log_file());
}

// Without a sound device no report from the audio thread wakes the screen: what changes by
// itself must draw all the same.
TEST_F(ProgramRun, TinyAndResizedTerminalsDoNotCrashItAndAreRedrawnWithoutAKey) {
  PtySession program(options(3, 10));
  program.pump(1s);
  EXPECT_TRUE(program.running());
  program.send("\r");
  program.pump(300ms);
  program.resize(40, 120);
  ASSERT_TRUE(program.wait_for_text("[SEQ]", 5s)) << program.screen_text();
  program.send("\x19");  // Ctrl+Y copies the pattern and says so for 2 s
  ASSERT_TRUE(program.wait_for_text("[Copied pattern 1]", 5s)) << program.screen_text();
  program.pump(3s);
  EXPECT_FALSE(program.find("[Copied pattern 1]")) << "the status outlived its 2 s";
  program.resize(2, 5);
  program.send("-");
  program.pump(300ms);
  EXPECT_TRUE(program.running());
  program.send("\x03");  // Ctrl+C
  EXPECT_EQ(program.wait_exit(5s), 0);
}

// Every letter is a command here: "d" slows the tempo, Space plays, "s" opens the save dialog,
// "w" shows the synth. A paste runs none of them, even when a slow link splits it.
TEST_F(ProgramRun, PastedTextIsDroppedWholeAndALostEndGivesTheKeysBackAfterAPause) {
  PtySession program(options());
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  ASSERT_TRUE(program.marks_pastes()) << "the terminal was not asked to mark pastes";
  const std::string before = program.screen_text();
  program.paste({"dddd sw"});
  program.paste({"dd d", "d sw"}, 600ms);
  program.pump(300ms);
  EXPECT_EQ(program.screen_text(), before);

  program.send("\x1b[200~");  // a paste whose end never comes
  program.pump(2500ms);
  program.send("w");
  ASSERT_TRUE(program.wait_for_text("Track 1 - Algorithm", 5s)) << program.screen_text();
  quit(program);
  EXPECT_FALSE(program.marks_pastes()) << "pastes are still marked after the quit";
}

// Before, the handlers came only with the main loop: a signal the instant the terminal had been
// taken over, before the first screen, left it raw, on the alternate screen, with pastes marked.
TEST_F(ProgramRun, ASignalToEndGivesTheTerminalBackAndExitsWith128PlusItsNumber) {
  for (const auto& [signal_number, in_start_up] :
       {std::pair{SIGTERM, false}, {SIGQUIT, false}, {SIGTERM, true}, {SIGQUIT, true},
        {SIGHUP, true}}) {
    SCOPED_TRACE(in_start_up ? "in start-up" : "after the first screen");
    PtySession program(options());
    ASSERT_TRUE(in_start_up ? program.wait_until_pastes_marked(10s) : open_new_project(program))
        << program.screen_text();
    ASSERT_EQ(kill(program.pid(), signal_number), 0);
    EXPECT_EQ(program.wait_exit(5s), 128 + signal_number);
    const termios modes = program.modes();
    EXPECT_TRUE(modes.c_lflag & ICANON) << "still in raw mode after signal " << signal_number;
    EXPECT_TRUE(modes.c_lflag & ECHO) << "typing does not echo after signal " << signal_number;
    EXPECT_FALSE(program.find("[SEQ]")) << "still on the alternate screen";
    EXPECT_FALSE(program.marks_pastes()) << "pastes are still marked";
  }
}

TEST_F(ProgramRun, ASavedProjectOpensFromTheListAndTheAutosaveWritesItBack) {
  using namespace quorvelan;
  // The file a save of this state writes: autosaving the opened project must write the same.
  auto harness = ui::app::Harness::make();
  ui::app::App& state = harness.app;
  state.project_name = "Groove";
  state.bpm = 97.0;
  auto file = projects() / "Groove.json";
  ASSERT_TRUE(state.build_project().save(file).has_value());
  const std::string saved = read_file(file);
  struct stat before {};
  ASSERT_EQ(stat(file.c_str(), &before), 0);

  // A broken project beside it, listed first: opening it keeps the list up and says why.
  std::ofstream(projects() / "Broken.json") << "{ not a project";

  PtySession program(options());
  ASSERT_TRUE(program.wait_for_text("  Groove", 10s)) << program.screen_text();
  program.send("j\r");
  ASSERT_TRUE(program.wait_for_text("[Load error: ", 5s)) << program.screen_text();
  EXPECT_TRUE(program.find("> Broken"));
  program.send("j\r");
  ASSERT_TRUE(program.wait_for_text("[Loaded: Groove]", 5s)) << program.screen_text();
  EXPECT_NE(program.row_text(0).find("BPM:97"), std::string::npos);

  program.pump(32s);  // one autosave period
  struct stat after {};
  ASSERT_EQ(stat(file.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "the project was not written again";
  EXPECT_EQ(read_file(file), saved);
  EXPECT_NE(read_file(log_file()).find("Auto-saved project: Groove"), std::string::npos);
  quit(program);
}

}  // namespace
