#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/message_log.h"
#include "vellum/vellum.h"

namespace vellum::test {
namespace {

TEST(Exports, TheLibraryExportsExactlyTheNineteenFunctions) {
  FILE* pipe = popen("nm -D --defined-only '" VELLUM_LIBRARY_PATH "'", "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> names;
  char address[64], type[8], name[256];
  while (std::fscanf(pipe, "%63s %7s %255s", address, type, name) == 3) names.emplace_back(name);
  pclose(pipe);
  EXPECT_THAT(
      names,
      ::testing::UnorderedElementsAre(
          "HTMLGSiteMap", "HTMLchsource", "HTMLgenSiteMap", "HTMLgetCfg", "HTMLinitmess",
          "HTMLparam", "HTMLprjAdd", "HTMLprjClose", "HTMLprjDelete", "HTMLprjDown", "HTMLprjEFind",
          "HTMLprjFind", "HTMLprjOpen", "HTMLprjPrm", "HTMLprjSave", "HTMLprjUp", "HTMLprjUpload",
          "HTMLputCfg", "HTMLsvItem", "VellumBrokenLinkAt", "VellumBrokenLinkCount",
          "VellumChooseOutput", "VellumCleanUpOnSignals", "VellumGetSiteSettings",
          "VellumGetPageSettings", "VellumLastCallStopped", "VellumLastUploadCounts",
          "VellumLastUploadNotSent", "VellumLastUploadTargetCounts", "VellumSetProgressCallback",
          "VellumSetScanOptions", "VellumSetSiteSettings", "VellumStoreItem", "VellumTreeAppend",
          "VellumTreeInsertAfter", "VellumTreeMove", "VellumTreeRemove", "VellumTreeSetText",
          "VellumUpdateFromSite", "VellumHasLastScan", "VellumUpdateChangeCount",
          "VellumUpdateChangeAt", "VellumLastUpdateCounts", "VellumSetPageSettings",
          "VellumTreeEntry", "VellumTreeSize", "VellumTreeInsert", "VellumTreeTransfer",
          "VellumTreeSwap", "VellumTreeClear", "VellumGetTargetSecurity", "VellumSetTargetSecurity",
          "VellumSetPasswordCallback", "VellumSetProgressHandler", "VellumVersion",
          "VellumKeptScanCopy", "VellumKeptScanSwap", "VellumKeptScanFree"));
}

// The page settings take a known markup and a language tag (or nothing);
// anything else leaves them as they were.
TEST(Exports, PageSettingsTakeAMarkupAndALanguageTag) {
  const struct {
    int32_t markup;
    const char* lang;
    int32_t changed;
    int32_t markup_after;
    const char* lang_after;
  } rows[] = {
      {VELLUM_MARKUP_HTML5, "de-CH", 1, VELLUM_MARKUP_HTML5, "de-CH"},
      {VELLUM_MARKUP_HTML5, "de-CH", 0, VELLUM_MARKUP_HTML5, "de-CH"},
      {2, "de", 0, VELLUM_MARKUP_HTML5, "de-CH"},
      {VELLUM_MARKUP_CLASSIC, "en\"><script>", 0, VELLUM_MARKUP_HTML5, "de-CH"},
      {VELLUM_MARKUP_CLASSIC, "de-", 0, VELLUM_MARKUP_HTML5, "de-CH"},
      {VELLUM_MARKUP_CLASSIC, "toolongtag", 0, VELLUM_MARKUP_HTML5, "de-CH"},
      {VELLUM_MARKUP_CLASSIC, nullptr, 1, VELLUM_MARKUP_CLASSIC, ""},
  };
  for (const auto& row : rows) {
    VellumPageSettings settings;
    VELLUM_RECORD_INIT(settings);
    settings.Markup = row.markup;
    settings.Lang = row.lang;
    EXPECT_EQ(VellumSetPageSettings(&settings), row.changed)
        << (row.lang != nullptr ? row.lang : "(none)");
    VellumPageSettings now;
    VELLUM_RECORD_INIT(now);
    EXPECT_EQ(VellumGetPageSettings(&now), 1);
    EXPECT_EQ(now.Markup, row.markup_after);
    EXPECT_STREQ(now.Lang, row.lang_after);
  }
  EXPECT_EQ(VellumSetPageSettings(nullptr), 0);
}

// A record whose Size the engine does not know is refused with a report,
// whichever way it goes, and nothing changes.
TEST(Exports, ARecordOfAnUnknownSizeIsRefused) {
  HTMLinitmess(RecordInfo, RecordError, RecordQuestion, 0, 0, nullptr);
  VellumSiteSettings site;
  VELLUM_RECORD_INIT(site);
  site.PageLimit = 7;
  VellumUploadCounts counts;
  VELLUM_RECORD_INIT(counts);
  for (const uint32_t size : {0u, 4u, static_cast<uint32_t>(sizeof site) + 8}) {
    SCOPED_TRACE(size);
    Messages() = {};
    site.Size = size;
    counts.Size = size;
    EXPECT_EQ(VellumSetSiteSettings(&site), 0);
    EXPECT_EQ(VellumGetSiteSettings(&site), 0);
    EXPECT_EQ(VellumLastUploadCounts(&counts), 0);
    ASSERT_EQ(Messages().errors.size(), 3u);
    EXPECT_THAT(Messages().errors[0], ::testing::StartsWith("VellumSetSiteSettings: a record of " +
                                                            std::to_string(size) + " bytes"));
  }
  VELLUM_RECORD_INIT(site);
  EXPECT_EQ(VellumGetSiteSettings(&site), 1);
  EXPECT_EQ(site.PageLimit, 0);
}

}  // namespace
}  // namespace vellum::test
