#include "config/start_up.h"

#include <gtest/gtest.h>
#include <magick/MagickCore.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "config_test_support.h"
#include "core/messages.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::config {
namespace {

namespace fs = std::filesystem;
using test::DescribeSettings;

TEST(RootFolder, ComesFromTheProgramsFolderOrItsParentNamedIde) {
  struct Row {
    const char* program;
    const char* root;
  };
  const Row rows[] = {
      {"/opt/vellum/IDE/bramblel", "/opt/vellum/"},
      {"/opt/vellum/ide/bramblel", "/opt/vellum/"},
      {"/opt/vellum/iDe/bramblel", "/opt/vellum/"},
      {"C:\\Vellum\\IDE\\BrambleL.exe", "C:\\Vellum\\"},
      {"/opt/vellum/IDE\\bramblel", "/opt/vellum/"},
      {"/IDE/bramblel", "/"},
      {"IDE/bramblel", "IDE/"},  // no parent: kept
      {"IDE\\bramblel", "IDE\\"},
      {"bramblel", "bramblel/"},  // no separator: the path is the folder
      {"/opt/vellum/bin/bramblel", "/opt/vellum/bin/"},
      {"/opt/myIDE/bramblel", "/opt/myIDE/"},
      {"/opt/vellum/IDE/sub/bramblel", "/opt/vellum/IDE/sub/"},
      {"/opt/vellum/IDEA/bramblel", "/opt/vellum/IDEA/"},
  };
  for (const Row& row : rows) EXPECT_EQ(RootFromProgramPath(row.program), row.root) << row.program;
}

// Each test runs in its own process, so the environment and the current
// folder are the test's own.
class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(cwd_);
    fs::create_directories(temp_);
    unsetenv("ZAZERIDOV");
    unsetenv("TMPDIR");
    setenv("TEMP", temp_.c_str(), 1);
    ASSERT_EQ(chdir(cwd_.c_str()), 0);
  }

  void TearDown() override { ShutDown(); }

  // A program path inside the scratch root's IDE folder.
  std::string Program() const { return root_ + "/IDE/bramblel"; }

  static void Touch(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr) << path;
    std::fclose(file);
  }

  std::vector<std::string> TemporaryFolders() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  test::ScratchDir dir_;
  const std::string root_ = dir_ / "root";
  const std::string cwd_ = dir_ / "cwd";
  const std::string temp_ = dir_ / "tmp";
};

TEST_F(StartUpTest, ConfigurationFilesAreReadInTheirOrder) {
  dir_.Write("root/BIN/_Vellum.cfg", "ExtPage=\"*.htm\" Editor=\"ed\" Proxy=\"shipped\"");
  dir_.Write("root/BIN/Vellum.cfg", "ExtPage=\"*.html\" Proxy=\"saved\"");
  dir_.Write("cwd/Vellum.cfg", "Proxy=\"here\" PortProxy=8080");
  EXPECT_EQ(StartUp(Program().c_str()), 1);
  const EngineConfig& config = TheConfig();
  EXPECT_EQ(config.Started, 1);
  EXPECT_STREQ(config.RootFolder, (root_ + "/").c_str());
  EXPECT_EQ(DescribeSettings(config), "ExtPage=[*.html] Editor=[ed] Proxy=[here] PortProxy=8080");
  EXPECT_EQ(IsMagickCoreInstantiated(), MagickTrue);
}

TEST_F(StartUpTest, ABrokenFileIsReportedOnceTheCallbacksExist) {
  dir_.Write("root/BIN/_Vellum.cfg", "ExtPage=\"*.htm\" Bogus=1 Editor=\"lost\"");
  dir_.Write("root/BIN/Vellum.cfg", "Proxy=\"p\"");
  EXPECT_EQ(StartUp(Program().c_str()), 1);
  core::ReportError("made after start-up, before the callbacks");  // dropped

  auto& log = test::InstallMessageLog();
  EXPECT_EQ(log.info, std::vector<std::string>{"'Vellum.cfg' - bad profect (line 266)"});
  EXPECT_TRUE(log.errors.empty());
  EXPECT_EQ(DescribeSettings(TheConfig()), "ExtPage=[*.htm] Proxy=[p]");
}

TEST_F(StartUpTest, ASecondStartUpChangesNothing) {
  dir_.Write("root/BIN/_Vellum.cfg", "ExtPage=\"*.htm\"");
  dir_.Write("other/BIN/_Vellum.cfg", "ExtPage=\"*.php\" Proxy=\"p\"");
  ASSERT_EQ(StartUp(Program().c_str()), 1);
  const std::string root = TheConfig().RootFolder;
  const std::string temp = TheConfig().TempFolder;

  setenv("ZAZERIDOV", (dir_ / "other").c_str(), 1);
  EXPECT_EQ(StartUp((dir_ / "other/IDE/bramblel").c_str()), 1);
  EXPECT_EQ(StartUp(nullptr), 1);
  EXPECT_EQ(TheConfig().RootFolder, root);
  EXPECT_EQ(TheConfig().TempFolder, temp);
  EXPECT_EQ(DescribeSettings(TheConfig()), "ExtPage=[*.htm]");
  EXPECT_EQ(TemporaryFolders().size(), 1u);
}

TEST_F(StartUpTest, WithoutPathOrZazeridovStartUpFailsOnce) {
  EXPECT_EQ(StartUp(nullptr), 0);
  EXPECT_EQ(TheConfig().Started, 1);
  EXPECT_EQ(TheConfig().RootFolder, nullptr);
  EXPECT_EQ(TheConfig().TempFolder, nullptr);
  EXPECT_TRUE(TemporaryFolders().empty());

  auto& log = test::InstallMessageLog();
  EXPECT_EQ(log.errors, std::vector<std::string>{"envelopment variable 'ZAZERIDOV' not found"});
  EXPECT_EQ(StartUp(nullptr), 1);
  EXPECT_EQ(log.errors.size(), 1u);
}

TEST_F(StartUpTest, AnEmptyPathTakesTheRootFromZazeridov) {
  dir_.Write("root/BIN/_Vellum.cfg", "ExtPage=\"*.htm\"");
  setenv("ZAZERIDOV", root_.c_str(), 1);
  EXPECT_EQ(StartUp(""), 1);
  EXPECT_STREQ(TheConfig().RootFolder, (root_ + "/").c_str());
  EXPECT_STREQ(TheConfig().ExtPage, "*.htm");
}

TEST_F(StartUpTest, TempEndingInASeparatorGetsNoSecond) {
  setenv("TEMP", (temp_ + "/").c_str(), 1);
  ASSERT_EQ(StartUp(Program().c_str()), 1);
  const std::string folder = TheConfig().TempFolder;
  EXPECT_EQ(folder.rfind(temp_ + "/VMTemp-", 0), 0u) << folder;
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(StartUpTest, AnEmptyTempFallsBackToTmpdir) {
  setenv("TEMP", "", 1);
  setenv("TMPDIR", temp_.c_str(), 1);
  ASSERT_EQ(StartUp(Program().c_str()), 1);
  EXPECT_EQ(std::string(TheConfig().TempFolder).rfind(temp_ + "/VMTemp-", 0), 0u);
}

TEST_F(StartUpTest, AnUnusableTempLeavesTheTemporaryFolderEmpty) {
  const std::string missing = dir_ / "missing";
  setenv("TEMP", missing.c_str(), 1);
  EXPECT_EQ(StartUp(Program().c_str()), 1);
  EXPECT_STREQ(TheConfig().TempFolder, "");
  auto& log = test::InstallMessageLog();
  EXPECT_EQ(log.errors,
            std::vector<std::string>{"can't create the temporary folder in '" + missing + "'"});
}

TEST_F(StartUpTest, ShutDownDeletesThePlainFilesAndTheFolder) {
  dir_.Write("root/BIN/_Vellum.cfg", "ExtPage=\"*.htm\"");
  ASSERT_EQ(StartUp(Program().c_str()), 1);
  const std::string folder = TheConfig().TempFolder;
  test::ScratchDir outside;
  const std::string kept = outside.Write("kept.txt", "x");
  Touch(folder + "a.txt");
  Touch(folder + "no-dot");
  fs::create_symlink(kept, folder + "link.txt");

  ShutDown();
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(fs::exists(kept));  // a link is removed, never what it points to
  EXPECT_EQ(TheConfig().TempFolder, nullptr);
  EXPECT_EQ(TheConfig().RootFolder, nullptr);
  EXPECT_EQ(TheConfig().ExtPage, nullptr);
  EXPECT_EQ(IsMagickCoreInstantiated(), MagickFalse);
}

TEST_F(StartUpTest, ShutDownLeavesSubfoldersAndSoTheFolder) {
  ASSERT_EQ(StartUp(Program().c_str()), 1);
  const std::string folder = TheConfig().TempFolder;
  fs::create_directory(folder + "sub");
  Touch(folder + "sub/inner.txt");
  Touch(folder + "plain.txt");

  ShutDown();
  EXPECT_FALSE(fs::exists(folder + "plain.txt"));
  EXPECT_TRUE(fs::exists(folder + "sub/inner.txt"));
}

TEST_F(StartUpTest, ShutDownWithoutStartUpIsHarmless) {
  ShutDown();
  ShutDown();
  EXPECT_EQ(TheConfig().Started, 0);
  EXPECT_TRUE(TemporaryFolders().empty());
}

// What the hooks saw, in order.
std::vector<std::string> events;

void LoadSchemes(const CountedStringList& files) {
  for (int i = 0; i < files.Count; ++i)
    events.push_back(std::string("load ") + files.Entries[i].Text);
}

void PurgePageCache() {
  events.push_back(std::string("purge, temporary folder ") +
                   (fs::exists(TheConfig().TempFolder) ? "present" : "gone"));
}

void ReleaseSchemes() {
  events.push_back(std::string("release, temporary folder ") +
                   (TheConfig().TempFolder == nullptr ? "gone" : "present") + ", settings " +
                   (TheConfig().ExtPage != nullptr ? "present" : "gone"));
}

TEST_F(StartUpTest, HooksSeeTheSchemeFilesAndShutDownInOrder) {
  // A root whose name holds "#" and "?": scheme paths are kept whole.
  const std::string root = dir_ / "site #1?";
  const std::string schemes = root + "/Resource/Schemes/";
  dir_.Write("site #1?/BIN/_Vellum.cfg", "ExtPage=\"*.htm\"");
  for (const char* name : {"b.scm", "a.SCM", "notes.txt", "sub/c.scm", ".hidden/d.scm"}) {
    dir_.Write("site #1?/Resource/Schemes/" + std::string(name), "");
  }
  SetStartUpHooks({LoadSchemes, ReleaseSchemes, PurgePageCache});
  ASSERT_EQ(StartUp((root + "/IDE/bramblel").c_str()), 1);
  ShutDown();
  EXPECT_EQ(events, (std::vector<std::string>{
                        "load " + schemes + "a.SCM",
                        "load " + schemes + "b.scm",
                        "load " + schemes + "sub/c.scm",
                        "purge, temporary folder present",
                        "release, temporary folder gone, settings present",
                    }));
  SetStartUpHooks({});
}

// The probe is a program of the build tree, in build/IDE/, that starts the
// engine from its own path as the front ends do and prints what it found.
TEST_F(StartUpTest, ABuiltProgramFindsItsRootFromAnyFolder) {
  dir_.Write("cwd/Vellum.cfg", "Bogus");
  const std::string command =
      std::string("cd '") + cwd_ + "' && TEMP='" + temp_ + "' '" + VELLUM_PROBE_PATH + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_TRUE(pipe);
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
  const int status = pclose(pipe.release());

  const std::string root = fs::canonical(VELLUM_BUILD_ROOT).string() + "/";
  EXPECT_EQ(output,
            "info: 'Vellum.cfg' - bad profect (line 266)\n"
            "root: " +
                root +
                "\n"
                "ExtPage: *.htm;*.html;*.shtml;*.xhtml;*.php;*.asp;*.aspx;*.jsp\n"
                "ExtPicts: *.gif;*.jpg;*.jpeg;*.png;*.bmp;*.svg;*.webp\n");
  EXPECT_EQ(status, 0);
  // Its temporary folder, with the file it left there, went at its exit.
  EXPECT_TRUE(TemporaryFolders().empty());
}

}  // namespace
}  // namespace vellum::config
