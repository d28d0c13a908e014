#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/child_process.h"
#include "support/ftp_servers.h"
#include "support/golden.h"
#include "support/http_servers.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vellum::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Words = std::vector<std::string>;

// Every test starts with a new project, site.bpj, and a small site: a home
// page linking two sections, one of them by a link with arguments and a
// bookmark.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);  // the user's settings
    Succeed({"new", "site.bpj"});
    dir_.Write("site/index.html",
               "<title>Home</title><a href=\"a/one.html?x=1#part\">One</a><a href=b/two.html>");
    dir_.Write("site/a/one.html",
               "<title>One</title><meta name=description content=\"The first\">");
    dir_.Write("site/b/two.html", "<title>Two</title>");
  }
  ProgramResult Run(const Words& arguments) {
    return RunProgram(VELLUMARK_PATH, arguments, dir_.path().string());
  }
  // Runs a command that must succeed and returns what it printed.
  std::string Succeed(const Words& arguments) {
    ProgramResult result = Run(arguments);
    EXPECT_EQ(result.status, 0) << arguments.front() << ": " << result.err;
    EXPECT_EQ(result.err, "");
    return result.out;
  }
  std::string Project() const { return ReadBytes(dir_ / "site.bpj"); }
  // Runs vellumark with arguments from a folder deleted while the shell
  // stood in it.
  ProgramResult RunInDeletedFolder(const std::string& arguments) {
    return RunProgram("/bin/sh",
                      {"-c", std::string("mkdir gone && cd gone && rmdir ../gone && exec ") +
                                 VELLUMARK_PATH + " " + arguments},
                      dir_.path().string());
  }
  ScratchDir dir_;
};

TEST_F(CliTest, NewWritesTheDefaultProjectAndKeepsAnExistingFile) {
  ExpectGoldenFile(dir_ / "site.bpj", VELLUM_NEW_PROJECT);
  dir_.Write("site.bpj", "mine");
  const ProgramResult again = Run({"new", "site.bpj"});
  EXPECT_EQ(again.status, 1) << again.err;
  EXPECT_THAT(again.err, HasSubstr("exists already"));
  EXPECT_EQ(Project(), "mine");
  Succeed({"new", "site.bpj", "--force"});
  ExpectGoldenFile(dir_ / "site.bpj", VELLUM_NEW_PROJECT);
}

TEST_F(CliTest, SetChangesSettingsAndFlagsThatShowPrints) {
  Succeed({"set", "site.bpj", "title=My \"Site\"", "type=index", "font-style=bold",
           "relative-links=off", "use-link-color=on", "table-border=3",
           "site-url=https://www.example.com/"});
  std::string settings = Succeed({"show", "site.bpj", "--settings"});
  for (const char* line :
       {"title = My \"Site\"\n", "type = index\n", "font-style = bold\n", "relative-links = off\n",
        "use-link-color = on\n", "table-border = 3\n", "site-url = https://www.example.com/\n",
        "output-file = sitemap.html\n", "targets = 0\n"}) {
    EXPECT_THAT(settings, HasSubstr(line));
  }
  EXPECT_THAT(Project(), HasSubstr("\"My \\\"Site\\\"\""));
}

TEST_F(CliTest, WrongCommandLinesExitWithTwoAndLeaveTheProjectAlone) {
  for (const char* line :
       {"", "bogus site.bpj", "show site.bpj --colour", "show", "set site.bpj colour=red",
        "set site.bpj font-size=9", "set site.bpj type=spiral", "set site.bpj breadcrumbs=maybe",
        "set site.bpj site-url=www.example.com", "set site.bpj title", "scan site.bpj",
        "scan site.bpj --base a.htm --folder .",
        "scan site.bpj --base a.htm --other-sites sometimes", "generate site.bpj --type spiral",
        "target site.bpj rename", "target site.bpj add", "target site.bpj remove 0",
        "config Colour=red", "help bogus"}) {
    std::istringstream words(line);
    ProgramResult result = Run(Words(std::istream_iterator<std::string>(words), {}));
    EXPECT_EQ(result.status, 2) << line;
    EXPECT_THAT(result.err, HasSubstr("usage: vellumark"));
  }
  ExpectGoldenFile(dir_ / "site.bpj", VELLUM_NEW_PROJECT);
}

TEST_F(CliTest, HelpExplainsEveryCommand) {
  for (const char* command : {"new", "show", "scan", "generate", "upload", "publish", "set",
                              "target", "config", "entry"}) {
    std::string help = Succeed({"help", command});
    EXPECT_THAT(help, StartsWith(std::string("usage: vellumark ") + command));
    EXPECT_EQ(Succeed({command, "--help"}), help);
  }
  EXPECT_THAT(Succeed({"--help"}), HasSubstr("commands:"));
  EXPECT_THAT(Succeed({"help", "set"}), HasSubstr("letter-bar-before"));
}

TEST_F(CliTest, AProjectNotReadWholeIsReportedAndNeverSavedOver) {
  const std::string broken = "FormatVersion=1.00\r\n[Common]\r\nType=7\r\n";
  dir_.Write("site.bpj", broken);
  const std::pair<Words, const char*> cases[] = {{{"show", "missing.bpj"}, "missing.bpj"},
                                                 {{"show", "site.bpj"}, "bad profect"},
                                                 {{"set", "site.bpj", "title=x"}, "bad profect"}};
  for (const auto& [arguments, report] : cases) {
    ProgramResult result = Run(arguments);
    EXPECT_EQ(result.status, 1) << arguments[1];
    EXPECT_THAT(result.err, HasSubstr(report));
  }
  EXPECT_EQ(Project(), broken);
}

// Targets keep their settings in the project file, read back by the next
// command: plain ones in an Output entry, secure ones in a Target entry; a
// password is stored but never printed, and a target made plain again goes
// back to an Output entry.
TEST_F(CliTest, TargetsRoundTripThroughTheProjectFile) {
  struct Row {
    Words options;
    std::string listed, entry;  // entry: the project file's line, when given
  };
  const std::string key = dir_ / "id_ed25519", ca = dir_ / "ca.pem";
  const Row rows[] = {
      {{"--folder", "pub"}, "folder " + (dir_ / "pub"), ""},
      // Edited below into text mode, active, port 21.
      {{"--ftp", "ftp.example.com:2121", "--login", "joe", "--password", "s3cret",
        "--remote-folder", "/www", "--passive"},
       "ftp ftp.example.com:2121 port 21 remote-folder /www login joe password *** text",
       ""},
      {{"--sftp", "sftp.example.com", "--port", "2222", "--login", "joe", "--key", "id_ed25519",
        "--password-from", "ask", "--remote-folder", "/www"},
       "sftp sftp.example.com port 2222 remote-folder /www login joe key " + key +
           " password-from ask",
       "Target={\"sftp\",\"\",\"/www\",\"sftp.example.com\",\"joe\",\"\",2222,10000000,\"" + key +
           "\",\"\",\"ask\"}"},
      {{"--ftps", "ftps.example.com", "--password", "s3cret", "--ca-file", "ca.pem",
        "--password-from", "keyring"},
       "ftps ftps.example.com password *** ca-file " + ca + " password-from keyring",
       "Target={\"ftps\",\"\",\"\",\"ftps.example.com\",\"\",\"s3cret\",0,10000000,\"\",\"" + ca +
           "\",\"keyring\"}"},
      {{"--ftp", "ftp.example.com", "--login", "joe", "--password-from", "netrc"},
       "ftp ftp.example.com login joe password-from netrc",
       "Target={\"ftp\",\"\",\"\",\"ftp.example.com\",\"joe\",\"\",0,10000000,\"\",\"\","
       "\"netrc\"}"},
  };
  std::string listed;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    Words add = {"target", "site.bpj", "add"};
    add.insert(add.end(), rows[i].options.begin(), rows[i].options.end());
    Succeed(add);
    if (!rows[i].entry.empty()) {
      EXPECT_THAT(Project(), HasSubstr(rows[i].entry + "\r\n")) << i;
    }
    listed += std::to_string(i) + "\t" + rows[i].listed + " (0 files uploaded)\n";
  }
  Succeed({"target", "site.bpj", "edit", "1", "--text", "--no-passive", "--port", "21"});
  EXPECT_THAT(Project(), HasSubstr("Output={\"\",\"/www\",\"ftp.example.com:2121\",\"joe\","
                                   "\"s3cret\",21,10100000}"));
  EXPECT_EQ(Succeed({"target", "site.bpj", "list"}), listed);
  EXPECT_THAT(Succeed({"show", "site.bpj", "--settings"}), Not(HasSubstr("s3cret")));

  Succeed({"target", "site.bpj", "edit", "2", "--ftp", "ftp.example.com", "--key", "",
           "--password-from", "project"});
  EXPECT_THAT(Project(), HasSubstr("Output={\"\",\"/www\",\"ftp.example.com\",\"joe\",\"\","
                                   "2222,10000000}\r\n"));
  Succeed({"target", "site.bpj", "remove", "0"});
  EXPECT_THAT(Succeed({"target", "site.bpj", "list"}), StartsWith("0\tftp ftp.example.com:2121"));
  const ProgramResult wrong = Run({"target", "site.bpj", "add", "--sftp", "a", "--ftps", "b"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_THAT(wrong.err, HasSubstr("a target is one of --folder, --ftp, --sftp or --ftps"));
}

// A password asked for at upload time is the next line of standard input
// when that is not a terminal.
TEST_F(CliTest, AnAskedPasswordIsReadFromStandardInput) {
  ScratchDir served;
  FtpServer server(served.path().string(), dir_ / "ftp.log");
  Succeed({"target", "site.bpj", "add", "--ftp", "127.0.0.1", "--port",
           std::to_string(server.port()), "--login", FtpServer::kUser, "--passive",
           "--password-from", "ask"});
  Succeed({"set", "site.bpj", "output-file=map.html"});
  const auto publish = [&](const std::string& input) {
    return RunProgram("/bin/sh",
                      {"-c", "printf '" + input + "' | " + VELLUMARK_PATH + " publish site.bpj"},
                      dir_.path().string());
  };
  const ProgramResult refused = publish("wrong\\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_FALSE(std::filesystem::exists(served.path() / "map.html"));
  const ProgramResult sent = publish(std::string(FtpServer::kPassword) + "\\n");
  EXPECT_EQ(sent.status, 0) << sent.err;
  EXPECT_TRUE(std::filesystem::exists(served.path() / "map.html"));
}

// Ctrl-C at the password prompt ends the command with the terminal's echo
// back on and the prompt's line ended.
TEST_F(CliTest, CtrlCAtThePasswordPromptGivesTheTerminalItsEchoBack) {
  Succeed({"target", "site.bpj", "add", "--ftps", "127.0.0.1", "--port", "1", "--login", "joe",
           "--password-from", "ask"});
  Succeed({"set", "site.bpj", "output-file=map.html"});
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (chdir(dir_.path().c_str()) == 0)
      execl(VELLUMARK_PATH, VELLUMARK_PATH, "publish", "site.bpj", nullptr);
    _exit(127);
  }
  ASSERT_GT(child, 0);
  std::string shown;
  const auto read_shown = [&] {
    char block[256];
    for (pollfd ready{terminal, POLLIN, 0}; poll(&ready, 1, 100) > 0;) {
      const ssize_t got = read(terminal, block, sizeof block);
      if (got <= 0) break;
      shown.append(block, got);
    }
  };
  termios settings{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    read_shown();
  } while (tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO) != 0 &&
           std::chrono::steady_clock::now() < deadline);
  EXPECT_EQ(settings.c_lflag & ECHO, 0u) << shown;
  EXPECT_THAT(shown, HasSubstr("Password for joe on ftps://127.0.0.1:1: "));

  ASSERT_EQ(write(terminal, "\x03", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  ASSERT_EQ(tcgetattr(terminal, &settings), 0);
  EXPECT_NE(settings.c_lflag & ECHO, 0u);
  read_shown();
  EXPECT_THAT(shown, ::testing::EndsWith(": \r\n"));
  close(terminal);
}

TEST_F(CliTest, ScanFollowsLinksOrListsAFolderAndShowPrintsTheTree) {
  const std::string site = dir_ / "site";
  Succeed({"scan", "site.bpj", "--base", "site/index.html"});
  EXPECT_EQ(Succeed({"show", "site.bpj"}), "Home\t" + site + "/index.html\n  One\t" + site +
                                               "/a/one.html\n  Two\t" + site + "/b/two.html\n");
  Succeed(
      {"scan", "site.bpj", "--base", "site/index.html", "--keep-arguments", "--keep-bookmarks"});
  EXPECT_THAT(Succeed({"show", "site.bpj"}), HasSubstr("/a/one.html?x=1#part\n"));
  // Folder entries are named by their META description, their links
  // relative to the folder.
  Succeed({"scan", "site.bpj", "--folder", "site", "--meta"});
  std::string tree = Succeed({"show", "site.bpj"});
  EXPECT_THAT(tree, HasSubstr("a\t\n  The first\ta/one.html\n"));
  EXPECT_THAT(tree, ::testing::Not(HasSubstr("?x=1")));
}

// Each row edits the tree "News(Spring menu(Rye) Events) Shop" and shows
// it as "name=url", children in brackets; a row with an error changes
// nothing and says why.
TEST_F(CliTest, EntryEditsTheTreeByUrlOrPathOfNames) {
  const struct {
    Words words;
    std::string tree;  // empty: refused, with error
    std::string error;
  } rows[] = {
      {{"add", "--name", "Blog", "--url", "blog.html"},
       "News=news.html(Spring menu=spring.html(Rye=rye.html) Events=) Shop=shop.html "
       "Blog=blog.html",
       ""},
      {{"add", "--name", "Oats", "--under", "News/Spring menu"},
       "News=news.html(Spring menu=spring.html(Rye=rye.html Oats=) Events=) Shop=shop.html",
       ""},
      {{"add", "--name", "Top", "--before", "news.html"},
       "Top= News=news.html(Spring menu=spring.html(Rye=rye.html) Events=) Shop=shop.html",
       ""},
      {{"remove", "News"}, "Shop=shop.html", ""},
      {{"rename", "rye.html", "--name", "Rye bread", "--url", ""},
       "News=news.html(Spring menu=spring.html(Rye bread=) Events=) Shop=shop.html",
       ""},
      {{"move", "News/Spring menu", "--top"},
       "News=news.html(Events=) Shop=shop.html Spring menu=spring.html(Rye=rye.html)",
       ""},
      {{"move", "shop.html", "--after", "News/Spring menu/Rye"},
       "News=news.html(Spring menu=spring.html(Rye=rye.html Shop=shop.html) Events=)",
       ""},
      {{"move", "Shop", "--before", "News"},
       "Shop=shop.html News=news.html(Spring menu=spring.html(Rye=rye.html) Events=)",
       ""},
      {{"move", "News", "--under", "rye.html"}, "", "cannot move into its own subtree"},
      {{"rename", "News/Autumn", "--name", "X"}, "", "no entry 'News/Autumn'"},
      {{"remove", "twice.html"}, "", "'twice.html' names 2 entries"},
  };
  const auto tree = [this] {
    // "show" prints two spaces a level, the name, a tab and the URL.
    std::istringstream lines(Succeed({"show", "site.bpj"}));
    std::string text, line;
    std::size_t depth = 0;
    while (std::getline(lines, line)) {
      const std::size_t level = line.find_first_not_of(' ') / 2;
      if (level > depth) text += "(";
      for (; depth > level; --depth) text += ")";
      if (!text.empty() && text.back() != '(') text += " ";
      depth = level;
      const std::size_t tab = line.find('\t');
      text += line.substr(level * 2, tab - level * 2) + "=" + line.substr(tab + 1);
    }
    return text + std::string(depth, ')');
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.words.front() + " " + row.words[1]);
    Succeed({"new", "site.bpj", "--force"});
    Succeed({"entry", "site.bpj", "add", "--name", "News", "--url", "news.html"});
    Succeed({"entry", "site.bpj", "add", "--name", "Shop", "--url", "shop.html"});
    Succeed({"entry", "site.bpj", "add", "--name", "Spring menu", "--url", "spring.html", "--under",
             "News"});
    Succeed({"entry", "site.bpj", "add", "--name", "Events", "--after", "spring.html"});
    Succeed({"entry", "site.bpj", "add", "--name", "Rye", "--url", "rye.html", "--under",
             "News/Spring menu"});
    if (row.error.find("names 2") != std::string::npos) {
      Succeed({"entry", "site.bpj", "rename", "Shop", "--url", "twice.html"});
      Succeed({"entry", "site.bpj", "rename", "rye.html", "--url", "twice.html"});
    }
    const std::string before = tree();
    Words words{"entry", "site.bpj"};
    words.insert(words.end(), row.words.begin(), row.words.end());
    const ProgramResult result = Run(words);
    if (row.tree.empty()) {
      EXPECT_EQ(result.status, 1);
      EXPECT_THAT(result.err, HasSubstr(row.error));
      EXPECT_EQ(tree(), before);
    } else {
      EXPECT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(tree(), row.tree);
    }
  }
  EXPECT_EQ(Run({"entry", "site.bpj", "move", "News"}).status, 2);  // no place
}

TEST_F(CliTest, ConfigShowsAndChangesTheUserConfiguration) {
  // A copy of the installation of its own, so the build's configuration
  // stays as it is.
  ScratchDir root;
  std::filesystem::create_directories(root.path() / "IDE");
  for (const std::filesystem::path file : {VELLUMARK_PATH, VELLUM_LIBRARY}) {
    std::filesystem::copy(file, root.path() / "IDE" / file.filename());
  }
  root.Write("BIN/_Vellum.cfg", "ExtPage=\"*.htm\"\r\n");
  const std::string program = root / "IDE/vellumark";
  ProgramResult shown = RunProgram(program, {"config"}, dir_.path().string());
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_THAT(shown.out, HasSubstr("ExtPage = *.htm\n"));
  EXPECT_EQ(RunProgram(program, {"config", "proxy=cache.local", "PortProxy=3128"}).status, 0);
  EXPECT_EQ(ReadBytes(dir_ / "config/vellumark/Vellum.cfg"),
            "ExtPage=\"*.htm\"\r\nProxy=\"cache.local\"\r\nPortProxy=3128\r\n");
  EXPECT_FALSE(std::filesystem::exists(root / "BIN/Vellum.cfg"));
  ProgramResult refused = RunProgram(program, {"config", "Editor=say \"hi\""});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("Editor"));
}

// generate writes a page of a layout for this run only (its links relative
// to the base path) and registers it; publish sends the site map to a folder
// target, and a second run nothing.
TEST_F(CliTest, GenerateAndPublishWriteAndSendTheSiteMap) {
  EXPECT_EQ(Succeed({"upload", "site.bpj"}), "The project has no upload targets.\n");
  Succeed({"scan", "site.bpj", "--base", "site/index.html"});
  const std::string page = dir_ / "out/table.html";
  EXPECT_EQ(Succeed({"generate", "site.bpj", "--type", "table", "--output", "out/table.html",
                     "--base-path", "site/index.html"}),
            "   Generate '" + page + "' page\n");
  EXPECT_THAT(ReadBytes(page),
              ::testing::AllOf(HasSubstr("<TABLE"), HasSubstr(">One</A>"), HasSubstr("\r\n")));
  EXPECT_THAT(Project(), HasSubstr("AddFile=\"" + page + "\""));
  EXPECT_THAT(Succeed({"show", "site.bpj", "--settings"}), HasSubstr("type = ul\n"));

  Succeed({"set", "site.bpj", "type=scripttree", "output-file=out/map.html"});
  Succeed({"target", "site.bpj", "add", "--folder", "pub"});
  EXPECT_THAT(Succeed({"publish", "site.bpj"}), HasSubstr("' - Upload successful\n"));
  // The stored output file is relative to the project's folder.
  for (const char* file : {"out/map.html", "pub/map.html", "pub/tree0.js", "pub/img/iicon0.gif",
                           "pub/img/iicon4.gif"}) {
    EXPECT_TRUE(std::filesystem::exists(dir_ / file)) << file;
  }
  EXPECT_THAT(Project(), HasSubstr("HFiles={0,"));
  // The project skips unchanged files by default: nothing is sent again.
  EXPECT_THAT(Succeed({"upload", "site.bpj"}), ::testing::Not(HasSubstr("Upload successful")));
  EXPECT_THAT(Succeed({"upload", "site.bpj", "--no-skip-unchanged"}),
              HasSubstr("Upload successful"));

  // A file a shared project names outside its folder goes with
  // --allow-outside (without it, the next test sees it refused).
  ScratchDir elsewhere;
  const std::string secret = elsewhere.Write("secret.txt", "s"), bytes = Project();
  dir_.Write("site.bpj", std::string(bytes).insert(bytes.find("[Common]\r\n") + 10,
                                                   "AddFile=\"" + secret + "\"\r\n"));
  EXPECT_THAT(Succeed({"upload", "site.bpj", "--allow-outside"}), HasSubstr(secret));
  EXPECT_EQ(ReadBytes(dir_ / "pub/secret.txt"), "s");

  // A target that takes nothing fails the command, with the tally.
  dir_.Write("blocked", "a file where a folder should be");
  Succeed({"target", "site.bpj", "add", "--folder", "blocked/pub"});
  const ProgramResult failed = Run({"upload", "site.bpj", "--allow-outside"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_THAT(failed.err, ::testing::ContainsRegex(
                              "vellumark: [0-9]+ sent, [0-9]+ skipped, [1-9][0-9]* failed"));
}

// A project names where its pages go, and may be someone else's: a place
// outside its folder is written only with --allow-outside or when named by
// --output. publish then sends the page it wrote there, but no other file of
// that folder unasked.
TEST_F(CliTest, GenerateWritesOutsideTheProjectOnlyWhereTheUserSaysSo) {
  ScratchDir elsewhere;
  Succeed({"scan", "site.bpj", "--base", "site/index.html"});
  const std::string outside = elsewhere / "keys/map.html";
  Succeed({"set", "site.bpj", "output-file=" + outside});
  const ProgramResult refused = Run({"generate", "site.bpj"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("'" + outside + "' lies outside the project's folder"));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "keys"));
  Succeed({"generate", "site.bpj", "--allow-outside"});
  EXPECT_TRUE(std::filesystem::exists(outside));

  const std::string key = elsewhere.Write("pages/id_rsa", "KEY"), bytes = Project();
  dir_.Write("site.bpj", std::string(bytes).insert(bytes.find("[Common]\r\n") + 10,
                                                   "AddFile=\"" + key + "\"\r\n"));
  Succeed({"target", "site.bpj", "add", "--folder", "pub"});
  const ProgramResult published =
      Run({"publish", "site.bpj", "--output", elsewhere / "pages/map.html"});
  EXPECT_EQ(published.status, 1);
  EXPECT_THAT(published.err, HasSubstr("'" + key + "' lies outside the project's folder"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "pub/map.html"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "pub/id_rsa"));
}

// A scan that cannot start says so, exits 1 and leaves the project as it
// was; a tab or line feed in a name (here a folder's) cannot break show's one
// line an entry, nor can a control character in a title or a file name reach
// the terminal.
TEST_F(CliTest, AScanThatCannotStartKeepsTheTreeAndShowKeepsOneLineAnEntry) {
  dir_.Write("site/Two\tparts\nand a \\ line\r/two.html", "<title>Two</title>");
  // ESC, U+009B as UTF-8, DEL; a raw 0x9B byte.
  dir_.Write("site/c\x9b\x1b.html", "<title>A\x1b[31m\xc2\x9b\x7f</title>");
  Succeed({"scan", "site.bpj", "--folder", "site"});
  const std::string project = Project();
  ScratchDir served;
  HttpServer server(served.path().string(), dir_ / "http.log", {{"/loop.html", "/loop.html"}});
  for (const Words& start :
       {Words{"--base", "site/missing.html"}, Words{"--base", server.Url("none.html")},
        Words{"--base", server.Url("loop.html")}, Words{"--base", "http://127.0.0.1:1/"},
        Words{"--folder", "sight"}, Words{"--folder", server.Url("")}}) {
    const ProgramResult result = Run({"scan", "site.bpj", start[0], start[1]});
    EXPECT_EQ(result.status, 1) << start[1];
    EXPECT_THAT(result.err, HasSubstr("the project is left as it was")) << start[1];
    EXPECT_EQ(Project(), project) << start[1];
  }
  const std::string tree = Succeed({"show", "site.bpj"});
  EXPECT_THAT(tree, HasSubstr("\tTwo\\tparts\\nand a \\\\ line\\r/two.html\n"));
  EXPECT_THAT(tree, HasSubstr("A\\x1B[31m\\x9B\\x7F\tc\\x9B\\x1B.html\n"));
}

// A project whose source page is gone still opens, with a warning, and
// opening one never goes to the network.
TEST_F(CliTest, AMissingOrWebSourceDoesNotStopAProjectFromOpening) {
  ScratchDir served;
  served.Write("index.html", "<title>Served</title>");
  HttpServer server(served.path().string(), dir_ / "http.log");
  const std::string bytes = Project();
  for (const std::string& source : {dir_ / "gone/index.html", server.Url("index.html")}) {
    std::string project = bytes;
    dir_.Write("site.bpj",
               project.replace(project.find("Type=2"), 6, "Type=0\r\nSource=\"" + source + "\""));
    const ProgramResult shown = Run({"show", "site.bpj"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.err.empty(), source == server.Url("index.html")) << shown.err;
  }
  EXPECT_THAT(server.Requests(), ::testing::IsEmpty());
}

// A start-up removes the temporary folders of its user's processes that were
// killed before they could, and nothing else.
TEST_F(CliTest, TemporaryFoldersOfKilledProcessesAreRemoved) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string gone = "VMTemp-" + std::to_string(dead) + "-abcdef";
  const std::vector<std::string> kept = {"VMTemp-1-abcdef", "VMTemp-x-abcdef", "VMTemp-keep",
                                         "VMTemp-99999999999999999999-abcdef"};
  for (const std::string& folder : kept) dir_.Write("tmp/" + folder + "/file", "x");
  dir_.Write("tmp/" + gone + "/file", "x");
  setenv("TEMP", (dir_ / "tmp").c_str(), 1);
  Succeed({"show", "site.bpj"});
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ / "tmp")) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_THAT(left, ::testing::UnorderedElementsAreArray(kept));
}

// vellumark started in folder with its output in out and err, not waited for.
pid_t StartVellumark(const Words& arguments, const std::string& folder, const std::string& out,
                     const std::string& err) {
  std::vector<char*> argv{const_cast<char*>(VELLUMARK_PATH)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out_fd < 0 || err_fd < 0 || chdir(folder.c_str()) != 0) _exit(127);
    dup2(in, STDIN_FILENO);
    dup2(out_fd, STDOUT_FILENO);
    dup2(err_fd, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// Stopped by SIGTERM in the middle of a scan, vellumark leaves nothing
// behind and the project as it was.
TEST_F(CliTest, AStoppedCommandLeavesNothingBehind) {
  ScratchDir served;
  HttpServer server(served.path().string(), dir_ / "http.log");
  const std::string project = Project();
  setenv("TEMP", (dir_ / "tmp").c_str(), 1);
  std::filesystem::create_directories(dir_ / "tmp");
  CurrentFolder here(dir_.path());
  ChildProcess scan({VELLUMARK_PATH, "scan", "site.bpj", "--base", server.Url("_stall")},
                    dir_ / "scan.log");
  for (int i = 0; i < 200 && server.Requests().empty(); ++i) usleep(50000);
  ASSERT_FALSE(std::filesystem::is_empty(dir_ / "tmp"));
  // A command on the same project waits, and says for which process.
  const pid_t show = StartVellumark({"show", "site.bpj"}, dir_.path().string(), dir_ / "show.out",
                                    dir_ / "show.err");
  for (int i = 0; i < 200 && ReadBytes(dir_ / "show.err").empty(); ++i) usleep(50000);
  EXPECT_EQ(ReadBytes(dir_ / "show.err"), "vellumark: waiting for another command on '" +
                                              (dir_ / "site.bpj") + "' (process " +
                                              std::to_string(scan.pid()) + ")\n");
  scan.Stop();
  int status = 0;
  ASSERT_EQ(waitpid(show, &status, 0), show);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadBytes(dir_ / "show.err");
  EXPECT_TRUE(std::filesystem::is_empty(dir_ / "tmp"));
  EXPECT_EQ(Project(), project);
}

// Ctrl+C stops a scan while it waits for a page: the project file keeps its
// bytes and the exit status is 128 + SIGINT.
TEST_F(CliTest, InterruptingAScanKeepsTheProjectAsItWas) {
  ScratchDir served;
  served.Write("index.html", "<title>Home</title><a href=_stall>stall</a>");
  HttpServer server(served.path().string(), dir_ / "http.log");
  const std::string project = Project();
  const pid_t scan = StartVellumark({"scan", "site.bpj", "--base", server.Url("index.html")},
                                    dir_.path().string(), dir_ / "scan.out", dir_ / "scan.err");
  ASSERT_GT(scan, 0);
  for (int i = 0; i < 400 && server.CountRequests("/_stall") == 0; ++i) usleep(50000);
  kill(scan, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(scan, &status, 0), scan);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 130) << ReadBytes(dir_ / "scan.err");
  // Without a terminal nothing but the message goes to standard error.
  EXPECT_EQ(ReadBytes(dir_ / "scan.err"), "Scan stopped: the project is unchanged.\n");
  EXPECT_EQ(Project(), project);
  // The lock was let go: the next command runs at once.
  Succeed({"show", "site.bpj"});
}

// Ctrl+C in the middle of a generation of many pages leaves neither a page
// nor a temporary file behind.
TEST_F(CliTest, AnInterruptedGenerateLeavesNothingBehind) {
  for (int i = 0; i < 500; ++i) dir_.Write("many/d" + std::to_string(i) + "/p.html", "<p>");
  Succeed({"scan", "site.bpj", "--folder", "many", "--quiet"});
  const std::string out = dir_ / "out";
  const pid_t generate =
      StartVellumark({"generate", "site.bpj", "--type", "paged", "--output", out + "/map.html"},
                     dir_.path().string(), dir_ / "gen.out", dir_ / "gen.err");
  ASSERT_GT(generate, 0);
  const auto staging = [&out] {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(out, error)) {
      if (entry.path().filename().string().starts_with(".")) return true;
    }
    return false;
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!staging() && std::chrono::steady_clock::now() < deadline) usleep(1000);
  kill(generate, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(generate, &status, 0), generate);
  EXPECT_TRUE(WIFSIGNALED(status)) << ReadBytes(dir_ / "gen.err");
  EXPECT_TRUE(std::filesystem::is_empty(out));
}

// On a terminal a scan shows how far it is, unless told to be quiet.
TEST_F(CliTest, AScanOnATerminalShowsItsProgressUnlessQuiet) {
  if (access("/usr/bin/script", X_OK) != 0) GTEST_SKIP() << "no script(1) to give a terminal";
  const std::string scan = std::string(VELLUMARK_PATH) + " scan site.bpj --base site/index.html";
  const ProgramResult shown =
      RunProgram("/usr/bin/script", {"-q", "-e", "-c", scan, "/dev/null"}, dir_.path().string());
  EXPECT_EQ(shown.status, 0) << shown.out;
  // The page being read, shortened to the terminal's width.
  EXPECT_THAT(shown.out, HasSubstr("pages/s  " + std::string(dir_ / "site/").substr(0, 20)));
  EXPECT_THAT(shown.out, HasSubstr("\r    3 read, 0 queued, 0 failed, "));
  EXPECT_THAT(Succeed({"show", "site.bpj"}), HasSubstr("  Two\t"));
  const ProgramResult quiet = RunProgram(
      "/usr/bin/script", {"-q", "-e", "-c", scan + " --quiet", "/dev/null"}, dir_.path().string());
  EXPECT_EQ(quiet.status, 0) << quiet.out;
  EXPECT_THAT(quiet.out, ::testing::Not(HasSubstr("pages/s")));
  EXPECT_EQ(Succeed({"scan", "site.bpj", "--folder", "site", "--quiet"}), "");
}

// Commands on one project take turns: run together, none loses the other's
// change.
TEST_F(CliTest, CommandsRunTogetherLoseNoChange) {
  const std::string program = VELLUMARK_PATH;
  std::string script;
  for (int i = 0; i < 10; ++i) {
    const std::string n = std::to_string(i);
    script += program + " set site.bpj title=T" + n + " & " + program +
              " target site.bpj add --folder pub" + n + " & wait; ";
  }
  EXPECT_EQ(RunProgram("/bin/sh", {"-c", script}, dir_.path().string()).status, 0);
  const std::string settings = Succeed({"show", "site.bpj", "--settings"});
  EXPECT_THAT(settings, HasSubstr("title = T9\n"));
  EXPECT_THAT(settings, HasSubstr("targets = 10\n"));
}

// The lock file must be one the user made: anything else in its place (a
// link, a FIFO, a second name of a file, another user's file) stops the
// command before it reads or writes anything. An older lock file that others
// could read becomes the owner's alone, and holds the number of its holder.
TEST_F(CliTest, OnlyALockFileOfTheUsersOwnIsUsed) {
  const std::string lock = dir_ / "site.bpj.lock", planted = dir_ / "planted";
  const std::string project = Project();
  const std::function<void()> plants[] = {
      [&] { std::filesystem::create_symlink(planted, lock); },
      [&] { ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0); },
      [&] { std::filesystem::create_hard_link(dir_.Write("other", ""), lock); },
      [&] {  // only root can give a file away
        if (geteuid() == 0) {
          ASSERT_EQ(chown(dir_.Write("site.bpj.lock", "").c_str(), 65534, 0), 0);
        }
      }};
  for (const auto& plant : plants) {
    plant();
    if (!std::filesystem::exists(std::filesystem::symlink_status(lock))) continue;
    const ProgramResult result = Run({"set", "site.bpj", "title=x"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_THAT(result.err, HasSubstr("'" + lock + "' is not a lock file this user made"));
    std::filesystem::remove(lock);
  }
  EXPECT_FALSE(std::filesystem::exists(planted));
  EXPECT_EQ(Project(), project);
  chmod(dir_.Write("site.bpj.lock", "").c_str(), 0644);
  Succeed({"set", "site.bpj", "title=x"});
  struct stat info {};
  ASSERT_EQ(stat(lock.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_THAT(ReadBytes(lock), ::testing::MatchesRegex("[0-9]+\n"));
}

// Paths the system refuses end a command with a message, never an abort.
TEST_F(CliTest, HostilePathsEndWithAMessage) {
  std::filesystem::create_symlink("loop", dir_ / "loop");
  for (const Words& arguments :
       {Words{"new", std::string(300, 'n') + ".bpj"}, Words{"new", "loop/p.bpj"},
        Words{"show", "loop/p.bpj"}, Words{"scan", "site.bpj", "--folder", "loop"}}) {
    const ProgramResult result = Run(arguments);
    EXPECT_EQ(result.status, 1) << arguments[1] << result.err;
    EXPECT_FALSE(result.err.empty()) << arguments[1];
  }
  const ProgramResult orphan = RunInDeletedFolder("show site.bpj");
  EXPECT_EQ(orphan.status, 1) << orphan.err;
}

// With both extras on, a scan collects each page's pictures of the site and
// the language versions its head names; later processes write them into the
// XML map, valid by the protocol's schema and those of the two extensions,
// and an update that finds the pages unchanged keeps them. Turned off, they
// are left out again.
TEST_F(CliTest, TheXmlSiteMapListsThePicturesAndLanguageVersionsOfEachPage) {
  namespace fs = std::filesystem;
  dir_.Write("site/index.html",
             "<html><head><title>Home</title>"
             "<link rel=alternate hreflang=de href=\"https://www.example.de/?a=1&amp;b=2\">"
             "<link rel=alternate hreflang=x-default href=index.html>"
             "<link rel=alternate hreflang='\"/><x y=\"' href=evil.html></head>"
             "<body><img src=logo.png><img src=\"a/pic one.png\"><img src=logo.png#top>"
             "<img src=https://elsewhere.example/x.png><img src=\"data:image/png;base64,AA\">"
             "<a href=a/one.html>One</a><a href=b/two.html>Two</a></body></html>");
  dir_.Write("site/a/one.html", "<base href=../img/><title>One</title><img src=two.png>");
  for (const char* page : {"index.html", "a/one.html", "b/two.html"}) {
    fs::last_write_time(dir_ / (std::string("site/") + page),
                        fs::file_time_type::clock::from_sys(
                            std::chrono::sys_seconds(std::chrono::seconds(1704164645))));
  }
  HttpServer server(dir_ / "site", dir_ / "http.log");
  Succeed({"set", "site.bpj", "type=xml", "output-file=sitemap.xml", "sitemap-images=on",
           "sitemap-alternates=on"});
  Succeed({"scan", "site.bpj", "--base", server.Url("index.html")});
  const auto url = [&](const char* what, const char* path) {
    return std::string("<") + what + ">" + server.Url(path) + "</" + what + ">";
  };
  const std::string lastmod = "<lastmod>2024-01-02T03:04:05Z</lastmod>";
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\""
      " xmlns:xhtml=\"http://www.w3.org/1999/xhtml\""
      " xmlns:image=\"http://www.google.com/schemas/sitemap-image/1.1\">\n"
      "  <url>" +
      url("loc", "index.html") + lastmod +
      "<xhtml:link rel=\"alternate\" hreflang=\"de\" href=\"https://www.example.de/?a=1&amp;b=2\"/>"
      "<xhtml:link rel=\"alternate\" hreflang=\"x-default\" href=\"" +
      server.Url("index.html") + "\"/><image:image>" + url("image:loc", "logo.png") +
      "</image:image><image:image>" + url("image:loc", "a/pic%20one.png") +
      "</image:image></url>\n"
      "  <url>" +
      url("loc", "a/one.html") + lastmod + "<image:image>" + url("image:loc", "img/two.png") +
      "</image:image></url>\n"
      "  <url>" +
      url("loc", "b/two.html") + lastmod +
      "</url>\n"
      "</urlset>\n";
  const std::string map = dir_ / "sitemap.xml";
  const auto expect_map = [&] {
    Succeed({"generate", "site.bpj"});
    EXPECT_EQ(ReadBytes(map), expected);
    const ProgramResult lint =
        RunProgram("/usr/bin/xmllint",
                   {"--noout", "--schema", VELLUM_CORPUS_SCHEMAS "/sitemap-extensions.xsd", map});
    EXPECT_EQ(lint.status, 0) << lint.err;
  };
  expect_map();
  Succeed({"scan", "site.bpj", "--update", "--quiet"});
  EXPECT_EQ(server.CountConditional().not_modified, 3);
  expect_map();

  Succeed({"set", "site.bpj", "sitemap-images=off", "sitemap-alternates=off"});
  Succeed({"generate", "site.bpj"});
  EXPECT_THAT(ReadBytes(map),
              StartsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n"
                         "  <url>" +
                         url("loc", "index.html") + lastmod + "</url>\n"));
}

// A scan sums up its broken links on stderr and tells of them by its exit
// status: 3 with broken links, 0 without.
TEST_F(CliTest, AScanListsBrokenLinksAndExitsWithThree) {
  HttpServer server(dir_ / "site", dir_ / "http.log");
  Succeed({"scan", "site.bpj", "--base", server.Url("index.html")});
  dir_.Write("site/b/two.html", "<title>Two</title><a href=gone.html>Gone</a>");
  const ProgramResult broken = Run({"scan", "site.bpj", "--base", server.Url("index.html")});
  EXPECT_EQ(broken.status, 3);
  EXPECT_THAT(broken.err,
              HasSubstr("1 broken link:\n  " + server.Url("b/gone.html") +
                        "\n    HTTP status 404, linked from " + server.Url("b/two.html") + "\n"));
  EXPECT_THAT(Succeed({"show", "site.bpj"}), HasSubstr("Two\t" + server.Url("b/two.html")));
  // On disk a link is a file name, which the report and the engine's
  // message print with its control characters escaped.
  dir_.Write("site/b/two.html", "<title>Two</title><a href=\"gone\x1b]0;x\x07.html\">Gone</a>");
  const ProgramResult on_disk = Run({"scan", "site.bpj", "--base", "site/index.html"});
  EXPECT_EQ(on_disk.status, 3);
  const std::string gone = dir_ / "site/b/gone\\x1B]0;x\\x07.html";
  EXPECT_THAT(on_disk.out, HasSubstr("file '" + gone + "' not found\n"));
  EXPECT_THAT(on_disk.err, HasSubstr("1 broken link:\n  " + gone + "\n"));
}

// An update merges a new scan into the tree as the user edited it (a name
// changed, a page taken out) and reads again only what changed: on disk the
// files whose size or time moved, over HTTP the pages whose conditional
// request was not answered 304. --dry-run tells the same and keeps the file.
TEST_F(CliTest, UpdateFromTheSiteKeepsTheUsersEditsAndReadsOnlyWhatChanged) {
  HttpServer server(dir_ / "site", dir_ / "http.log");
  for (const std::string& base : {std::string("site/index.html"), server.Url("index.html")}) {
    SCOPED_TRACE(base);
    dir_.Write("site/index.html",
               "<title>Home</title><a href=\"a/one.html?x=1#part\">One</a><a href=b/two.html>");
    dir_.Write("site/b/two.html", "<title>Two</title>");
    Succeed({"scan", "site.bpj", "--base", base});
    std::string edited = Project();
    const std::size_t tree_end = edited.find("[VellumSite]");
    const std::size_t one = edited.find("\"One\"}");
    const std::size_t two = edited.rfind("\r\nMapItem=", edited.find("\"Two\"}"));
    ASSERT_TRUE(one < tree_end && two < tree_end);
    edited.erase(two, edited.find('}', two) + 1 - two);
    edited.replace(one, 5, "\"First one\"");
    dir_.Write("site.bpj", edited);

    dir_.Write("site/index.html",
               "<title>Home</title><a href=\"a/one.html?x=1#part\">One</a><a href=b/two.html>"
               "<a href=c/three.html>Three</a>");
    dir_.Write("site/b/two.html", "<title>Two, renamed</title>");
    dir_.Write("site/c/three.html", "<title>Three</title>");
    const std::string report =
        "1 added, 0 removed, 0 renamed on the site, 0 edits kept "
        "(3 pages read, 1 unchanged)\n"
        "  added    Three <";
    EXPECT_THAT(Succeed({"scan", "site.bpj", "--update", "--dry-run"}), StartsWith(report));
    EXPECT_EQ(Project(), edited);
    EXPECT_THAT(Succeed({"scan", "site.bpj", "--update", "--quiet"}), StartsWith(report));
    const std::string tree = Succeed({"show", "site.bpj"});
    EXPECT_THAT(tree, HasSubstr("Home\t"));
    EXPECT_THAT(tree, HasSubstr("\n  First one\t"));
    EXPECT_THAT(tree, HasSubstr("\n  Three\t"));
    EXPECT_THAT(tree, ::testing::Not(HasSubstr("Two")));
  }
  // Over HTTP the three pages of the last scan were asked for with their
  // validators; the one that did not change was answered 304 and not sent.
  const HttpServer::Conditional conditional = server.CountConditional();
  EXPECT_EQ(conditional.asked, 6);
  EXPECT_EQ(conditional.not_modified, 2);
  EXPECT_EQ(Run({"scan", "site.bpj", "--update", "--base", "x"}).status, 2);
}

// Trusting the site's map, an update asks only for the pages that the map
// says changed since the last scan or dates too coarsely to tell, and
// builds the tree that a full scan of the changed site builds. The map's
// dates are kept for the next update.
TEST_F(CliTest, AnUpdateTrustingTheSiteMapAsksOnlyForWhatTheMapSaysChanged) {
  namespace fs = std::filesystem;
  HttpServer server(dir_ / "site", dir_ / "http.log");
  const auto write = [&](const std::string& page, const std::string& text, int64_t seconds) {
    dir_.Write("site/" + page, text);
    fs::last_write_time(dir_ / ("site/" + page),
                        fs::file_time_type::clock::from_sys(
                            std::chrono::sys_seconds(std::chrono::seconds(seconds))));
  };
  const auto map = [&](const std::string& two) {
    dir_.Write("site/sitemap.xml",
               "<?xml version=\"1.0\"?><urlset>"
               "<url><loc>" +
                   server.Url("") +
                   "</loc><lastmod>2024-01-01T00:00:00Z</lastmod></url>"
                   "<url><loc>" +
                   server.Url("a/one.html") +
                   "</loc><lastmod>2024-01-01</lastmod></url>"
                   "<url><loc>" +
                   server.Url("b/two.html") + "</loc><lastmod>" + two +
                   "</lastmod></url>"
                   "</urlset>");
  };
  constexpr int64_t kNewYear = 1704067200;  // 2024-01-01T00:00:00Z
  write("index.html", ReadBytes(dir_ / "site/index.html"), kNewYear);
  write("a/one.html", ReadBytes(dir_ / "site/a/one.html"), kNewYear);
  write("b/two.html", "<title>Two</title>", kNewYear);
  map("2024-01-01T01:00:00+01:00");
  Succeed({"scan", "site.bpj", "--base", server.Url("index.html")});
  write("b/two.html", "<title>Two, renamed</title>", kNewYear + 31 * 86400);
  map("2024-02-01T00:00:00Z");

  const auto requests = [&] {
    return std::vector<int>{server.CountRequests("/index.html"),
                            server.CountRequests("/a/one.html"),
                            server.CountRequests("/b/two.html")};
  };
  const std::vector<int> before = requests();
  EXPECT_THAT(Succeed({"scan", "site.bpj", "--update", "--trust-sitemap", "--quiet"}),
              StartsWith("0 added, 0 removed, 1 renamed on the site, 0 edits kept "
                         "(1 pages read, 2 unchanged)\n"));
  // The page dated by its day alone was asked (and answered 304).
  EXPECT_EQ(requests(), (std::vector<int>{before[0], before[1] + 1, before[2] + 1}));
  EXPECT_THAT(Succeed({"scan", "site.bpj", "--update", "--trust-sitemap", "--quiet"}),
              StartsWith("0 added, 0 removed, 0 renamed on the site, 0 edits kept "
                         "(0 pages read, 3 unchanged)\n"));
  EXPECT_EQ(requests(), (std::vector<int>{before[0], before[1] + 1, before[2] + 1}));
  const std::string updated = Succeed({"show", "site.bpj"});
  Succeed({"scan", "site.bpj", "--base", server.Url("index.html")});
  EXPECT_EQ(updated, Succeed({"show", "site.bpj"}));
  EXPECT_EQ(Run({"scan", "site.bpj", "--trust-sitemap", "--base", "x"}).status, 2);
}

}  // namespace
}  // namespace vellum::test
