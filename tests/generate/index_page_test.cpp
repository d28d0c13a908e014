// The index page, with the built-in letters and with schemes of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generate/bodies.h"
#include "generate/schemes.h"
#include "generate/site_map.h"
#include "generate_support.h"
#include "support/message_log.h"

namespace vellum::generate {
namespace {

using test::ExpectGoldenPage;
using test::Generate;
using test::InScratchDir;
using test::Settings;
using test::Tree;

class IndexBody : public ::testing::Test {
 protected:
  // The body of the index page of outline, with the scheme given (the
  // built-in letters by default).
  std::string Body(std::string_view outline, uint32_t flags = 0) {
    Tree tree(outline);
    generation.flags = flags;
    generation.index_entries = IndexEntries(tree.list());
    HtmlWriter out(0);
    EXPECT_TRUE(IndexPage(out, generation));
    return out.text();
  }

  std::vector<std::string> Letters() const {
    std::vector<std::string> files;
    for (const SchemePicture* letter : generation.letters) files.emplace_back(letter->File);
    return files;
  }

  SiteMapSettings settings{};
  Generation generation{.settings = settings,
                        .base_path = nullptr,
                        .flags = 0,
                        .scheme = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr)};
};

TEST_F(IndexBody, AnEmptyProjectGivesTheFrameAndEmptyLetterBars) {
  settings.FontStyle = 2;
  EXPECT_EQ(Body("", VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER),
            "<I>\n<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD>\n</TD></TR></TABLE>\n"
            "<BR>\n\n\n<BR>"
            "<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD>\n</TD></TR></TABLE>\n</I>\n");
  EXPECT_TRUE(Letters().empty());
}

TEST_F(IndexBody, GroupsFollowTheSchemeAndNamesTheSortedList) {
  settings.ImageFolder = "img";
  EXPECT_EQ(Body("beta -> b.htm\nAlpha -> A.htm\nalpha -> a.htm\n9lives -> 9.htm\n_x -> x.htm"),
            "<BR>\n\n"
            "<A NAME=\"9\"><IMG WIDTH=20 HEIGHT=20 SRC=\"img/ichar9.gif\" ALT=\"9\" BORDER=0>"
            "</A><BR>\n<A HREF=\"9.htm\">9lives</A><BR>\n"
            "<A NAME=\"A\"><IMG WIDTH=20 HEIGHT=20 SRC=\"img/ichara.gif\" ALT=\"A\" BORDER=0>"
            "</A><BR>\n<A HREF=\"A.htm\">Alpha</A><BR>\n<A HREF=\"a.htm\">alpha</A><BR>\n"
            "<A NAME=\"B\"><IMG WIDTH=20 HEIGHT=20 SRC=\"img/icharb.gif\" ALT=\"B\" BORDER=0>"
            "</A><BR>\n<A HREF=\"b.htm\">beta</A><BR>\n"
            "<A NAME=\"Other\"><IMG WIDTH=20 HEIGHT=20 SRC=\"img/icharother.gif\" BORDER=0>"
            "</A><BR>\n<A HREF=\"x.htm\">_x</A><BR>\n"
            "\n<BR>");
  EXPECT_EQ(Letters(),
            (std::vector<std::string>{"ichar9.gif", "ichara.gif", "icharb.gif", "icharother.gif"}));
}

TEST_F(IndexBody, OtherTakesWhatNoLetterTakesBytesAbove127Included) {
  const std::string body = Body("-dash -> d.htm\n\xC9mile -> e.htm\n7up -> 7.htm\n~ -> blank.htm");
  EXPECT_NE(body.find("<A NAME=\"7\">"), std::string::npos);
  const std::size_t other = body.find("<A NAME=\"Other\">");
  ASSERT_NE(other, std::string::npos);
  EXPECT_NE(body.find("<A HREF=\"blank.htm\"> </A>", other), std::string::npos);
  EXPECT_NE(body.find("<A HREF=\"d.htm\">-dash</A>", other), std::string::npos);
  EXPECT_NE(body.find("<A HREF=\"e.htm\">\xC9mile</A>", other), std::string::npos);
  EXPECT_EQ(body.find("<HR>"), std::string::npos);
}

TEST_F(IndexBody, ItemsWithoutUrlAreLeftOutAndRepeatedNamesListedTwice) {
  const std::string body = Body("Shop\n  Saws -> saws.htm\n  Saws -> saws.htm");
  EXPECT_EQ(body.find("Shop"), std::string::npos);
  EXPECT_NE(body.find("<A HREF=\"saws.htm\">Saws</A><BR>\n<A HREF=\"saws.htm\">Saws</A><BR>\n"),
            std::string::npos);
}

TEST_F(IndexBody, WithoutOtherPictureTheRestComesAfterARule) {
  SchemePicture pictures[] = {{'B', "b.gif", 0, 0}, {'A', "a.gif", 7, 9}};
  const ImageScheme letters{"abc", "/x/", kIndexScheme, 2, pictures};
  generation.scheme = &letters;
  EXPECT_EQ(Body("_x -> x.htm\nbeta -> b.htm\nAlpha -> a.htm\n9 -> 9.htm"),
            "<BR>\n\n<A NAME=\"B\"><IMG SRC=\"b.gif\" ALT=\"B\" BORDER=0></A><BR>\n"
            "<A HREF=\"b.htm\">beta</A><BR>\n"
            "<A NAME=\"A\"><IMG WIDTH=9 HEIGHT=7 SRC=\"a.gif\" ALT=\"A\" BORDER=0></A><BR>\n"
            "<A HREF=\"a.htm\">Alpha</A><BR>\n"
            "\n<HR>\n<A HREF=\"9.htm\">9</A><BR>\n<A HREF=\"x.htm\">_x</A><BR>\n\n<BR>");
  EXPECT_EQ(Letters(), (std::vector<std::string>{"b.gif", "a.gif"}));
}

TEST_F(IndexBody, ASchemeWithoutPicturesListsEverythingAfterARule) {
  const ImageScheme none{"none", "/x/", kIndexScheme, 0, nullptr};
  generation.scheme = &none;
  EXPECT_EQ(Body("b -> b.htm\na -> a.htm"),
            "<BR>\n\n\n<HR>\n<A HREF=\"a.htm\">a</A><BR>\n<A HREF=\"b.htm\">b</A><BR>\n\n<BR>");
}

TEST_F(IndexBody, ALowerCaseKeyTakesOnlyLowerCaseAndANameCanHeadTwoGroups) {
  SchemePicture pictures[] = {{'a', "small.gif", 0, 0}, {'A', "big.gif", 0, 0}};
  const ImageScheme letters{"cases", "/x/", kIndexScheme, 2, pictures};
  generation.scheme = &letters;
  const std::string body = Body("apple -> a.htm\nApple -> A.htm");
  EXPECT_NE(body.find("<A NAME=\"a\"><IMG SRC=\"small.gif\" ALT=\"a\" BORDER=0></A><BR>\n"
                      "<A HREF=\"a.htm\">apple</A><BR>\n<A NAME=\"A\">"),
            std::string::npos);
  EXPECT_NE(body.find("<A NAME=\"A\"><IMG SRC=\"big.gif\" ALT=\"A\" BORDER=0></A><BR>\n"
                      "<A HREF=\"A.htm\">Apple</A><BR>\n<A HREF=\"a.htm\">apple</A><BR>\n"),
            std::string::npos);
  EXPECT_TRUE(SchemeHasLetter(letters, 'a'));
  EXPECT_FALSE(SchemeHasLetter(letters, 'b'));
}

TEST_F(IndexBody, TheLetterBarShowsAtMost255Pictures) {
  std::vector<SchemePicture> pictures;
  std::string outline;
  for (int i = 0; i < 256; ++i) pictures.push_back({'x', "x.gif", 0, 0});
  const ImageScheme crowded{"crowded", "/x/", kIndexScheme, 256, pictures.data()};
  generation.scheme = &crowded;
  const std::string body = Body("x -> x.htm", VELLUM_GEN_LETTER_BAR_BEFORE);
  EXPECT_EQ(generation.letters.size(), 255u);
  std::size_t groups = 0;
  for (std::size_t at = body.find("<A NAME="); at != std::string::npos;
       at = body.find("<A NAME=", at + 1)) {
    ++groups;
  }
  EXPECT_EQ(groups, 256u);
}

TEST(IndexPagePage, LetterBarsAroundTheGroupsWithTheOtherName) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree(R"(beta -> beta.htm
Alpha -> Alpha.htm
  alpha -> alpha.htm
Links
  9lives -> 9lives.htm
  _x -> x.htm)");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_INDEX_PAGE, "index.htm");
  settings.Title = "Index";
  settings.ImageFolder = "letters";
  settings.OtherName = "Other";
  settings.FontColor = "003063";
  settings.FontSize = 2;
  Generate(settings, tree.list(),
           VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER | VELLUM_GEN_USE_FONT_SIZE |
               VELLUM_GEN_USE_FONT_COLOR);
  ExpectGoldenPage("index.htm", "index_page.html");
}

TEST(IndexPagePage, TheOtherPictureOfTheBarAlwaysHasAnAltText) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree("_x -> x.htm");
  Generate(Settings(VELLUM_OUTPUT_INDEX_PAGE, "index.htm"), tree.list(),
           VELLUM_GEN_LETTER_BAR_BEFORE);
  const std::string page = test::ReadBytes("index.htm");
  EXPECT_NE(page.find("<A HREF=\"#Other\"><IMG WIDTH=20 HEIGHT=20 SRC=\"icharother.gif\" ALT=\"\" "
                      "BORDER=0></A>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("<A NAME=\"Other\"><IMG WIDTH=20 HEIGHT=20 SRC=\"icharother.gif\" "
                      "BORDER=0></A><BR>\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace vellum::generate
