#include "config/config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "config_test_support.h"
#include "core/memory.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::config {
namespace {

using test::DescribeSettings;
using test::ReadBytes;

std::string BadFile(int rule) {
  return "'Vellum.cfg' - bad profect (line " + std::to_string(rule) + ")";
}

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override { log_ = &test::InstallMessageLog(); }
  void TearDown() override {
    core::testing::FailAllocationAfter(-1);
    test::ResetSettings(record_);
    test::ResetSettings(TheConfig());
    ReleaseMember(TheConfig().RootFolder);
  }

  // Makes the scratch folder the root, with a BIN folder when asked.
  std::string UseScratchRoot(bool with_bin = true) {
    if (with_bin) std::filesystem::create_directory(dir_.path() / "BIN");
    TheConfig().RootFolder = core::CopyText(dir_.path().string() + "/");
    return dir_.path().string() + "/BIN/Vellum.cfg";
  }

  test::MessageLog* log_ = nullptr;
  test::ScratchDir dir_;
  EngineConfig record_{};
};

struct ReadCase {
  const char* name;
  std::string text;
  int result;
  std::vector<int> rules;  // the numbers reported, in order
  std::string settings;    // DescribeSettings afterwards
};

TEST_F(ConfigFileTest, ReaderFollowsEveryRuleOfTheSyntax) {
  const std::string long_key(71, 'E');
  const ReadCase cases[] = {
      {"key in any case, blanks around =",
       "extpage = \"*.htm\" \r\n\tpassive\t=\t7",
       1,
       {},
       "ExtPage=[*.htm] Passive=1"},
      {"every key, no separators",
       "USEPROXY=1firewall=\"fw\"PORTFW=21EXTPICTS=\"*.gif\"portproxy=8080",
       1,
       {},
       "ExtPicts=[*.gif] Firewall=[fw] PortFW=21 PortProxy=8080 UseProxy=1"},
      {"the last entry wins", "ExtPage=\"a\" ExtPage=\"b\"", 1, {}, "ExtPage=[b]"},
      {"zero and empty are unset", "PortFW=0 Proxy=\"\"", 1, {}, ""},
      {"number up to the first non-digit",
       "PortFW=1.5 PortProxy=99999999999999",
       1,
       {},
       "PortFW=1 PortProxy=2147483647"},
      {"escaped quote and backslash kept", R"(Editor="x\"y\\")", 1, {}, R"(Editor=[x\"y\\])"},
      {"backslash keeps the closing quote",
       R"(Editor="a\" Proxy="b")",
       0,
       {266},
       R"(Editor=[a\" Proxy=])"},
      {"comments",
       "/* note */ExtPage=\"a\"// to the CR\rProxy=\"p\"",
       1,
       {},
       "ExtPage=[a] Proxy=[p]"},
      {"a line feed does not end //", "// note\nProxy=\"p\"", 1, {}, ""},
      {"unclosed comment ends the text", "ExtPage=\"a\" /* Proxy=\"p\"", 1, {}, "ExtPage=[a]"},
      {"unclosed string at a key ends the text", "ExtPage=\"a\" \"Proxy", 1, {}, "ExtPage=[a]"},
      {"115 at a key", "*/ ExtPage=\"a\"", 1, {115}, ""},
      {"115 then 168 at the =", "ExtPage */ =\"a\"", 0, {115, 168}, ""},
      {"168", "ExtPage \"a\"", 0, {168}, ""},
      {"172 for a number", "ExtPage=5", 0, {172}, ""},
      {"172 for an unclosed string", "Proxy=\"p\" ExtPage=\"abc", 0, {172}, "Proxy=[p]"},
      {"172 at the end", "Proxy=", 0, {172}, ""},
      {"190", "PortFW \"5\"", 0, {190}, ""},
      {"194 for a sign", "PortFW=-5", 0, {194}, ""},
      {"266 for an unknown word", "ExtPage=\"a\" Bogus=\"x\"", 0, {266}, "ExtPage=[a]"},
      {"266 for a number", "ExtPage=\"a\" 12", 0, {266}, "ExtPage=[a]"},
      {"266 for =", "= ExtPage=\"a\"", 0, {266}, ""},
      {"266 for a key cut after 70", long_key + "=\"a\"", 0, {266}, ""},
      {"266 for a key with a suffix", "ProxyX=\"a\"", 0, {266}, ""},
  };
  for (const ReadCase& row : cases) {
    SCOPED_TRACE(row.name);
    test::ResetSettings(record_);
    test::InstallMessageLog();
    // Reports name Vellum.cfg whatever the file is called.
    std::string path = dir_.Write("_Vellum.cfg", row.text);
    EXPECT_EQ(ReadConfigFile(path.c_str(), record_), row.result);
    std::vector<std::string> expected;
    for (int rule : row.rules) expected.push_back(BadFile(rule));
    EXPECT_EQ(log_->info, expected);
    EXPECT_TRUE(log_->errors.empty());
    EXPECT_EQ(DescribeSettings(record_), row.settings);
  }
}

TEST_F(ConfigFileTest, ReadingKeepsWhatTheFileDoesNotGiveAndClearsAFailedText) {
  record_.ExtPage = core::CopyText("old");
  record_.Proxy = core::CopyText("kept");
  record_.PortFW = 21;
  std::string path = dir_.Write("Vellum.cfg", "ExtPage=");
  EXPECT_EQ(ReadConfigFile(path.c_str(), record_), 0);
  EXPECT_EQ(DescribeSettings(record_), "PortFW=21 Proxy=[kept]");
}

TEST_F(ConfigFileTest, AMissingFileIsSilent) {
  EXPECT_EQ(ReadConfigFile((dir_ / "none.cfg").c_str(), record_), 0);
  EXPECT_TRUE(log_->info.empty());
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(ConfigFileTest, WriterGivesTheExactBytes) {
  record_.ExtPage = core::CopyText("*.htm;*.html");
  record_.ExtPicts = core::CopyText("*.gif");
  record_.Editor = core::CopyText("ed");
  record_.Firewall = core::CopyText("fw.example");
  record_.PortFW = 21;
  record_.Passive = 7;
  record_.Proxy = core::CopyText("proxy");
  record_.PortProxy = 8080;
  record_.UseProxy = 1;
  std::string path = dir_ / "Vellum.cfg";
  ASSERT_TRUE(WriteConfigFile(path, record_));
  EXPECT_EQ(ReadBytes(path),
            "ExtPage=\"*.htm;*.html\"\r\nExtPicts=\"*.gif\"\r\nEditor=\"ed\"\r\n"
            "Firewall=\"fw.example\"\r\nPortFW=21\r\nPassive=1\r\nProxy=\"proxy\"\r\n"
            "PortProxy=8080\r\nUseProxy=1\r\n");

  test::ResetSettings(record_);
  record_.Proxy = core::CopyText("p");
  ASSERT_TRUE(WriteConfigFile(path, record_));
  EXPECT_EQ(ReadBytes(path), "Proxy=\"p\"\r\n");

  test::ResetSettings(record_);
  ASSERT_TRUE(WriteConfigFile(path, record_));
  EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(ConfigFileTest, PutThenReadGivesTheSameSettings) {
  std::string path = UseScratchRoot();
  record_.ExtPage = "*.htm;*.php";
  record_.Editor = R"(/usr/bin/editor --new \"%s\")";  // quotes kept by backslashes
  record_.Firewall = "fw";
  record_.PortFW = 2121;
  record_.Passive = 1;
  record_.Proxy = "proxy.example";
  record_.PortProxy = 3128;
  PutConfig(record_);
  record_ = {};
  EXPECT_TRUE(log_->errors.empty());

  EngineConfig read{};
  EXPECT_EQ(ReadConfigFile(path.c_str(), read), 1);
  EXPECT_EQ(DescribeSettings(read), DescribeSettings(TheConfig()));
  EXPECT_EQ(DescribeSettings(read),
            R"(ExtPage=[*.htm;*.php] Editor=[/usr/bin/editor --new \"%s\"] Firewall=[fw] )"
            "PortFW=2121 Passive=1 Proxy=[proxy.example] PortProxy=3128");
  test::ResetSettings(read);

  // The engine's own record rewrites the same bytes and keeps its texts.
  const std::string bytes = ReadBytes(path);
  const char* ext_page = TheConfig().ExtPage;
  PutConfig(TheConfig());
  EXPECT_EQ(TheConfig().ExtPage, ext_page);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(ConfigFileTest, PutFollowsTheSetStringRule) {
  UseScratchRoot();
  EngineConfig& config = TheConfig();
  config.ExtPage = core::CopyText("*.htm");
  config.Editor = core::CopyText("ed");
  const char* kept = config.ExtPage;

  record_.ExtPage = core::CopyText("*.htm");  // equal: the same text stays
  record_.Editor = core::CopyText("");        // empty: none
  record_.Proxy = core::CopyText("p");        // new: a copy
  PutConfig(record_);
  EXPECT_EQ(config.ExtPage, kept);
  EXPECT_EQ(config.Editor, nullptr);
  ASSERT_NE(config.Proxy, nullptr);
  EXPECT_NE(config.Proxy, record_.Proxy);
  EXPECT_STREQ(config.Proxy, "p");
}

TEST_F(ConfigFileTest, PutRefusesWhatTheFileCannotCarry) {
  std::string path = UseScratchRoot();
  EngineConfig& config = TheConfig();
  config.Editor = core::CopyText("old editor");
  config.PortFW = 21;

  record_.Editor = core::CopyText("say \"hi\"");
  record_.Proxy = core::CopyText("C:\\proxy\\");
  record_.Firewall = core::CopyText("a\\\"b\\\\");  // escaped: carried unchanged
  record_.PortFW = -1;
  record_.PortProxy = 80;
  PutConfig(record_);
  EXPECT_EQ(log_->errors,
            (std::vector<std::string>{
                "'Editor' not changed: Vellum.cfg can't hold a value with a double quote or "
                "ending in a backslash",
                "'PortFW' not changed: Vellum.cfg can't hold a negative number",
                "'Proxy' not changed: Vellum.cfg can't hold a value with a double quote or "
                "ending in a backslash",
            }));
  EXPECT_EQ(DescribeSettings(config),
            "Editor=[old editor] Firewall=[a\\\"b\\\\] PortFW=21 PortProxy=80");

  EngineConfig read{};
  EXPECT_EQ(ReadConfigFile(path.c_str(), read), 1);
  EXPECT_EQ(DescribeSettings(read), DescribeSettings(config));
  test::ResetSettings(read);
}

TEST_F(ConfigFileTest, PutWithoutMemoryLeavesTheTextNone) {
  UseScratchRoot();
  TheConfig().ExtPage = core::CopyText("*.htm");
  record_.ExtPage = core::CopyText("*.html");
  core::testing::FailAllocationAfter(0);
  PutConfig(record_);
  EXPECT_EQ(log_->errors, std::vector<std::string>{"memory overflou"});
  EXPECT_EQ(TheConfig().ExtPage, nullptr);
}

TEST_F(ConfigFileTest, PutIntoAMissingFolderKeepsTheNewValues) {
  std::string path = UseScratchRoot(/*with_bin=*/false);
  record_.Proxy = core::CopyText("p");
  PutConfig(record_);
  EXPECT_EQ(log_->errors, std::vector<std::string>{"can't open file '" + path + "'"});
  EXPECT_EQ(DescribeSettings(TheConfig()), "Proxy=[p]");
}

}  // namespace
}  // namespace vellum::config
