// The alphabetical index page.
#include <string>
#include <vector>

#include "generate/bodies.h"
#include "generate/image_scheme.h"

namespace vellum::generate {
namespace {

// The letter bar shows at most this many pictures.
constexpr std::size_t kMaxLetters = 255;

// The pictures of the generation's scheme; none without one.
const ImageScheme& SchemeOrNone(const Generation& generation) {
  static constexpr ImageScheme kNoPictures{nullptr, nullptr, -1, 0, nullptr};
  return generation.scheme != nullptr ? *generation.scheme : kNoPictures;
}

// The first character of a name, widened as a signed char the way the keys
// of index pictures are.
int FirstCharacter(const char* name) { return static_cast<signed char>(name[0]); }

int UpperAscii(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool LetterTakes(const SchemePicture& picture, int c) {
  return picture.Key != kOtherKey && (c == picture.Key || UpperAscii(c) == picture.Key);
}

// Whether picture heads the group of names that begin with c.
bool Takes(const ImageScheme& scheme, const SchemePicture& picture, int c) {
  return picture.Key == kOtherKey ? !SchemeHasLetter(scheme, c) : LetterTakes(picture, c);
}

// The anchor of a picture's group: its character, or "Other".
std::string AnchorName(const SchemePicture& picture) {
  if (picture.Key == kOtherKey) return "Other";
  // c_str() of a key 0 gives an empty name, never a NUL byte in the page.
  return std::string(1, static_cast<char>(picture.Key)).c_str();
}

void WriteLetterPicture(HtmlWriter& out, const Generation& generation, const SchemePicture& picture,
                        const char* alt) {
  out.WriteImg(generation.settings.ImageFolder, picture.File, picture.Width, picture.Height,
               nullptr, nullptr, nullptr, alt);
}

// The row of jump links to the groups. False (reported) when its end could
// not be written.
bool LetterBar(HtmlWriter& out, const Generation& generation) {
  const char* other_name = generation.settings.OtherName;
  out.Write("<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD>\n");
  for (const SchemePicture* picture : generation.letters) {
    const std::string anchor = AnchorName(*picture);
    out.Write("<A HREF=\"#");
    out.Write(anchor);
    out.Write("\">");
    // The other picture always has an ALT text in the bar, if only "".
    const char* alt = picture->Key != kOtherKey ? anchor.c_str()
                      : other_name != nullptr   ? other_name
                                                : "";
    WriteLetterPicture(out, generation, *picture, alt);
    out.Write("</A>\n");
  }
  return out.WriteChecked("</TD></TR></TABLE>\n");
}

void WriteGroupHeading(HtmlWriter& out, const Generation& generation,
                       const SchemePicture& picture) {
  const std::string anchor = AnchorName(picture);
  out.Write("<A NAME=\"");
  out.Write(anchor);
  out.Write("\">");
  WriteLetterPicture(out, generation, picture,
                     picture.Key != kOtherKey ? anchor.c_str() : generation.settings.OtherName);
  out.Write("</A><BR>\n");
}

void WriteEntry(HtmlWriter& out, const Generation& generation, const IndexEntry& entry) {
  out.WriteLink(entry.name, entry.url, generation.base_path, generation.relative_links(), nullptr,
                true);
}

}  // namespace

bool SchemeHasLetter(const ImageScheme& scheme, int c) {
  for (int32_t i = 0; i < scheme.Count; ++i) {
    if (LetterTakes(scheme.Pictures[i], c)) return true;
  }
  return false;
}

void ChooseLetters(Generation& generation) {
  const ImageScheme& scheme = SchemeOrNone(generation);
  for (int32_t i = 0; i < scheme.Count && generation.letters.size() < kMaxLetters; ++i) {
    for (const IndexEntry& entry : generation.index_entries) {
      if (Takes(scheme, scheme.Pictures[i], FirstCharacter(entry.name))) {
        generation.letters.push_back(&scheme.Pictures[i]);
        break;
      }
    }
  }
}

void WalkIndex(const Generation& generation, IndexVisitor& visitor) {
  const ImageScheme& scheme = SchemeOrNone(generation);
  const std::vector<IndexEntry>& entries = generation.index_entries;
  // A name is listed under every picture that takes it.
  bool other_group = false;
  for (int32_t i = 0; i < scheme.Count; ++i) {
    const SchemePicture& picture = scheme.Pictures[i];
    bool headed = false;
    for (const IndexEntry& entry : entries) {
      if (!Takes(scheme, picture, FirstCharacter(entry.name))) continue;
      if (!headed) {
        visitor.Group(picture);
        headed = true;
        other_group = other_group || picture.Key == kOtherKey;
      }
      visitor.Entry(entry);
    }
    if (headed) visitor.EndGroup();
  }

  // Without an other picture, the names no letter takes come last.
  if (scheme.Count == 0 || !other_group) {
    bool started = false;
    for (const IndexEntry& entry : entries) {
      if (SchemeHasLetter(scheme, FirstCharacter(entry.name))) continue;
      if (!started) visitor.Rest();
      started = true;
      visitor.Entry(entry);
    }
    if (started) visitor.EndGroup();
  }
}

bool IndexPage(HtmlWriter& out, Generation& generation) {
  ChooseLetters(generation);
  const Font font = generation.font();
  out.OpenFont(0, font);
  if (generation.Has(VELLUM_GEN_LETTER_BAR_BEFORE)) LetterBar(out, generation);
  out.Write("<BR>\n\n");

  // The rest comes below a rule.
  struct Groups : IndexVisitor {
    HtmlWriter& out;
    const Generation& generation;
    Groups(HtmlWriter& out, const Generation& generation) : out(out), generation(generation) {}
    void Group(const SchemePicture& picture) override {
      WriteGroupHeading(out, generation, picture);
    }
    void Rest() override { out.Write("\n<HR>\n"); }
    void Entry(const IndexEntry& entry) override { WriteEntry(out, generation, entry); }
    void EndGroup() override {}
  } groups(out, generation);
  WalkIndex(generation, groups);

  out.Write("\n<BR>");
  if (generation.Has(VELLUM_GEN_LETTER_BAR_AFTER)) LetterBar(out, generation);
  out.CloseFont(0, font);
  return true;
}

}  // namespace vellum::generate
