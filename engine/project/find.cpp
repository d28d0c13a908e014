// Text search over the project's source files.
#include <algorithm>
#include <string>
#include <string_view>

#include "core/counted_string_list.h"
#include "core/file_loading.h"
#include "core/text_utils.h"
#include "project/project.h"
#include "web/page_access.h"
#include "web/tag_tokenizer.h"
#include "web/url_class.h"

namespace vellum::project {
namespace {

// What is looked for, and in which file.
struct Search {
  std::string_view text;
  bool match_case;
  const char* path;
};

// Adds the path to found once for each occurrence of the text in run; the
// search goes on just behind each occurrence.
void CountOccurrences(std::string_view run, const Search& search, CountedStringList& found) {
  const auto same = [&search](char a, char b) {
    return search.match_case ? a == b : core::ToLowerAscii(a) == core::ToLowerAscii(b);
  };
  for (auto at = run.begin();;) {
    at = std::search(at, run.end(), search.text.begin(), search.text.end(), same);
    if (at == run.end()) return;
    std::string path = search.path;  // Add may cut its argument
    core::Add(found, path.data(), core::kKeepBookmarks | core::kKeepArguments);
    at += static_cast<std::ptrdiff_t>(search.text.size());
  }
}

// Counts the occurrences in every text run of the page's markup, passing
// over the content of COMMENT, SCRIPT and APPLET.
void CountInTextRuns(core::LoadedText page, const Search& search, CountedStringList& found) {
  web::TagTokenizer tokenizer;
  tokenizer.Attach(std::move(page));
  for (web::TokenKind kind; (kind = tokenizer.Next()) != web::TokenKind::kEnd;) {
    if (kind == web::TokenKind::kText) {
      CountOccurrences(tokenizer.TokenText(), search, found);
    } else if (kind == web::TokenKind::kStartTag &&
               (tokenizer.tag()->content == web::kCommentContent ||
                tokenizer.tag()->content == web::kRawContent)) {
      tokenizer.SkipTo("</" + std::string(tokenizer.tag()->name) + ">");
    }
  }
}

}  // namespace

void Find(Project& project, const FindRequest& request, CountedStringList& found) {
  if (request.Text == nullptr || *request.Text == '\0') return;
  EnsureSourceFiles(project);
  const CountedStringList& files = project.SourceFiles;
  for (int i = 0; i < files.Count; ++i) {
    const Search search{request.Text, request.MatchCase != 0, files.Entries[i].Text};
    core::LoadedText page;
    // A file that cannot be read is passed over; the load has reported it.
    const bool loaded = web::IsWebAddress(search.path)
                            ? web::LoadPage(search.path, page, core::kReportAsInfo)
                            : core::LoadWholePath(search.path, page, core::kReportAsInfo);
    if (!loaded) continue;
    if (request.ElementTextOnly == 0) {
      CountOccurrences(std::string_view(page.data.get(), page.length), search, found);
    }
    CountInTextRuns(std::move(page), search, found);
  }
}

}  // namespace vellum::project
