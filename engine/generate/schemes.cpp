#include "generate/schemes.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/engine_config.h"
#include "config/entry_lexer.h"
#include "config/magick_module.h"
#include "config/start_up.h"
#include "core/file_loading.h"
#include "core/memory.h"
#include "core/messages.h"
#include "core/text_utils.h"
#include "generate/picture_header.h"

namespace vellum::generate {
namespace {

using config::EntryLexer;
using config::Token;
using config::TokenKind;

// ---------------------------------------------------------------------------
// The built-in schemes. Everything here is constant-initialized and trivially
// destructible: the release at shut-down runs from an atexit handler, after
// the destructors of later statics.

constexpr int32_t kTreeIconSize = 16;
constexpr int32_t kLetterSize = 20;

constexpr int32_t kIconCount = 5;

SchemePicture built_in_icons[kIconCount] = {
    {0, "iicon0.gif", kTreeIconSize, kTreeIconSize},
    {0, "iicon1.gif", kTreeIconSize, kTreeIconSize},
    {0, "iicon2.gif", kTreeIconSize, kTreeIconSize},
    {0, "iicon3.gif", kTreeIconSize, kTreeIconSize},
    {0, "iicon4.gif", kTreeIconSize, kTreeIconSize},
};

// The letters 0 to 9 and A to Z, then the other letter.
constexpr int kLetterCount = 37;

struct LetterFiles {
  char names[kLetterCount][sizeof("icharother.gif")];
};

constexpr char LetterOf(int index) {
  return static_cast<char>(index < 10 ? '0' + index : 'A' + index - 10);
}

constexpr void CopyInto(char* to, std::string_view text) {
  for (char c : text) *to++ = c;
}

constexpr LetterFiles MakeLetterFiles() {
  LetterFiles files{};
  for (int i = 0; i < kLetterCount - 1; ++i) {
    CopyInto(files.names[i], "ichar");
    files.names[i][5] = static_cast<char>(i < 10 ? LetterOf(i) : LetterOf(i) - 'A' + 'a');
    CopyInto(files.names[i] + 6, ".gif");
  }
  CopyInto(files.names[kLetterCount - 1], "icharother.gif");
  return files;
}

constexpr LetterFiles kLetterFiles = MakeLetterFiles();

constexpr std::array<SchemePicture, kLetterCount> MakeLetters() {
  std::array<SchemePicture, kLetterCount> letters{};
  for (int i = 0; i < kLetterCount; ++i) {
    const int32_t key = i < kLetterCount - 1 ? LetterOf(i) : kOtherKey;
    letters[i] = {key, kLetterFiles.names[i], kLetterSize, kLetterSize};
  }
  return letters;
}

constinit std::array<SchemePicture, kLetterCount> built_in_letters = MakeLetters();

// Built-in schemes are only ever defaults, so their type is neither kind.
constexpr ImageScheme kBuiltInIcons{"Base", nullptr, 0, kIconCount, built_in_icons};
constexpr ImageScheme kBuiltInLetters{"Base", nullptr, 0, kLetterCount, built_in_letters.data()};

struct Schemes {
  ImageScheme icons;
  // The built-in letters, or what index.scm loaded (owned then).
  ImageScheme letters;
  bool letters_loaded;
  // The folder of both built-in schemes, owned.
  const char* built_in_folder;
  // The schemes of the scheme files, owned; mirrored in the configuration.
  ImageScheme* loaded;
  int32_t loaded_count;
};

constinit Schemes schemes{kBuiltInIcons, kBuiltInLetters, false, nullptr, nullptr, 0};

// ---------------------------------------------------------------------------
// Scheme files.

// The numbers of the syntax rules, as the reports give them.
enum SyntaxRule : int {
  kStrayCommentEnd = 71,
  kPictWithoutAssignment = 128,
  kPictWithoutString = 132,
  kTypeWithoutAssignment = 150,
  kTypeWithoutNumber = 154,
  kIPictWithoutAssignment = 216,
  kIPictWithoutKey = 221,
  kIPictWithoutComma = 226,
  kIPictWithoutString = 230,
  kNotAKey = 254,
};

// The smallest index scheme that loads.
constexpr std::size_t kMinIndexPictures = 5;

void ReportInfoMemoryOverflow() { core::ReportInfoCode(core::ErrorCode::kMemoryOverflow); }

// A picture as the file gives it; the file name points into the loaded text.
struct ParsedPicture {
  int32_t key;
  std::string_view file;
};

struct ParsedScheme {
  int32_t type = -1;
  std::vector<ParsedPicture> pictures;
};

class SchemeParser {
 public:
  SchemeParser(const std::string& path, std::string_view text)
      : path_(path), lexer_(text, [this] { SyntaxError(kStrayCommentEnd); }) {}

  // False when the file is not to be loaded (a syntax error is reported).
  bool Parse(ParsedScheme& scheme) {
    for (;;) {
      const Token key = lexer_.Next();
      if (key.kind == TokenKind::kEnd) return true;
      if (key.kind != TokenKind::kWord) return SyntaxError(kNotAKey);
      bool parsed;
      if (core::EqualsNoCase(key.text, "Type")) {
        parsed = ParseType(scheme);
      } else if (core::EqualsNoCase(key.text, "Pict")) {
        parsed = ParsePict(scheme);
      } else if (core::EqualsNoCase(key.text, "IPict")) {
        parsed = ParseIPict(scheme);
      } else {
        return SyntaxError(kNotAKey);
      }
      if (!parsed) return false;
    }
  }

 private:
  bool SyntaxError(int rule) {
    core::ReportInfo(core::FormatText("'%s' - bad scheme (line %i)", path_.c_str(), rule).c_str());
    return false;
  }

  bool Expect(TokenKind kind, Token& token) {
    token = lexer_.Next();
    return token.kind == kind;
  }

  bool ParseType(ParsedScheme& scheme) {
    Token token;
    if (!Expect(TokenKind::kAssign, token)) return SyntaxError(kTypeWithoutAssignment);
    if (!Expect(TokenKind::kNumber, token)) return SyntaxError(kTypeWithoutNumber);
    scheme.type = config::NumberValue(token.text);
    return true;
  }

  bool ParsePict(ParsedScheme& scheme) {
    Token token;
    if (!Expect(TokenKind::kAssign, token)) return SyntaxError(kPictWithoutAssignment);
    if (!Expect(TokenKind::kString, token)) return SyntaxError(kPictWithoutString);
    scheme.pictures.push_back({0, token.text});
    return true;
  }

  bool ParseIPict(ParsedScheme& scheme) {
    Token token;
    if (!Expect(TokenKind::kAssign, token)) return SyntaxError(kIPictWithoutAssignment);
    token = lexer_.Next();
    if (token.kind != TokenKind::kWord && token.kind != TokenKind::kNumber) {
      return SyntaxError(kIPictWithoutKey);
    }
    // Keys compare as signed characters widened, like the names they take.
    const int32_t key = static_cast<signed char>(token.text.front());
    if (!Expect(TokenKind::kOther, token) || token.text != ",") {
      return SyntaxError(kIPictWithoutComma);
    }
    if (!Expect(TokenKind::kString, token)) return SyntaxError(kIPictWithoutString);
    // A letter without picture: the file is not loaded, silently.
    if (token.text.empty()) return false;
    scheme.pictures.push_back({key, token.text});
    return true;
  }

  const std::string& path_;
  EntryLexer lexer_;
};

void ReleaseScheme(ImageScheme& scheme) {
  core::ReleaseText(scheme.Name);
  core::ReleaseText(scheme.Folder);
  for (int32_t i = 0; i < scheme.Count; ++i) core::ReleaseText(scheme.Pictures[i].File);
  core::Release(scheme.Pictures);
  scheme = {nullptr, nullptr, -1, 0, nullptr};
}

// Fills the empty record scheme from parsed; false (reported, scheme left
// empty) when memory runs out.
bool BuildScheme(const std::string& path, const ParsedScheme& parsed, ImageScheme& scheme) {
  const std::string_view file_name = core::FileNamePart(path.c_str());
  const std::string_view folder = std::string_view(path).substr(0, path.size() - file_name.size());
  scheme.Name = core::CopyText(file_name.substr(0, file_name.find('.')));
  scheme.Folder = core::CopyText(folder);
  scheme.Type = parsed.type;
  if (!parsed.pictures.empty()) {
    scheme.Pictures = static_cast<SchemePicture*>(
        core::AllocateZeroed(parsed.pictures.size() * sizeof(SchemePicture)));
  }
  bool failed = scheme.Name == nullptr || scheme.Folder == nullptr ||
                (!parsed.pictures.empty() && scheme.Pictures == nullptr);
  for (std::size_t i = 0; !failed && i < parsed.pictures.size(); ++i) {
    SchemePicture& picture = scheme.Pictures[scheme.Count++];
    picture.Key = parsed.pictures[i].key;
    if (parsed.pictures[i].file.empty()) continue;
    picture.File = core::CopyText(parsed.pictures[i].file);
    failed = picture.File == nullptr;
  }
  if (!failed) return true;
  ReportInfoMemoryOverflow();
  ReleaseScheme(scheme);
  return false;
}

// Loads the scheme file at path into the empty record scheme and measures
// its pictures in picture_folder, or, when that is absent, in the subfolder
// of the scheme's type. False, with scheme left empty, when the file is
// missing, has a syntax error, or is an index scheme that is too short.
bool LoadScheme(const std::string& path, ImageScheme& scheme, const char* picture_folder) {
  core::LoadedText text;
  if (!core::LoadWholePath(path, text, core::kSilent)) return false;
  ParsedScheme parsed;
  if (!SchemeParser(path, std::string_view(text.data.get(), text.length)).Parse(parsed)) {
    return false;
  }
  if (parsed.type == kIndexScheme && parsed.pictures.size() < kMinIndexPictures) return false;
  if (!BuildScheme(path, parsed, scheme)) return false;
  if (picture_folder == nullptr) {
    picture_folder = scheme.Type == kIndexScheme ? kIndexPictureFolder : kTreePictureFolder;
  }
  const std::string pictures = std::string(scheme.Folder) + picture_folder;
  for (int32_t i = 0; i < scheme.Count; ++i) {
    SchemePicture& picture = scheme.Pictures[i];
    if (picture.File == nullptr) continue;
    ReadImageSize((pictures + picture.File).c_str(), picture.Width, picture.Height);
  }
  return true;
}

void PublishLoaded() {
  EngineConfig& config = config::TheConfig();
  config.Schemes = schemes.loaded;
  config.SchemeCount = schemes.loaded_count;
}

void LoadSchemeFiles(const CountedStringList& files) {
  if (files.Count <= 0) return;
  auto* records = static_cast<ImageScheme*>(
      core::AllocateZeroed(static_cast<std::size_t>(files.Count) * sizeof(ImageScheme)));
  if (records == nullptr) {
    ReportInfoMemoryOverflow();
    return;
  }
  int32_t kept = 0;
  for (int32_t i = 0; i < files.Count; ++i) {
    records[kept] = {nullptr, nullptr, -1, 0, nullptr};
    if (LoadScheme(files.Entries[i].Text, records[kept], nullptr)) ++kept;
  }
  if (kept == 0) {
    core::Release(records);
    return;
  }
  schemes.loaded = records;
  schemes.loaded_count = kept;
  PublishLoaded();
}

// Which loaded scheme type suits an output type; 0 for the types that draw
// no pictures.
int32_t SchemeTypeFor(int output_type) {
  switch (output_type) {
    case VELLUM_OUTPUT_ICON_TREE:
    case VELLUM_OUTPUT_SCRIPT_TREE:
      return kTreeScheme;
    case VELLUM_OUTPUT_INDEX_PAGE:
      return kIndexScheme;
    default:
      return 0;
  }
}

const ImageScheme* DefaultScheme(int32_t scheme_type) {
  switch (scheme_type) {
    case kTreeScheme:
      return &schemes.icons;
    case kIndexScheme:
      return &schemes.letters;
    default:
      return nullptr;
  }
}

}  // namespace

void LoadSchemes(const CountedStringList& files) {
  ReleaseSchemes();
  LoadSchemeFiles(files);

  const char* root = config::TheConfig().RootFolder;
  const std::string resources = std::string(root != nullptr ? root : "") + "Resource/";
  schemes.built_in_folder = core::CopyText(resources);
  if (schemes.built_in_folder == nullptr) ReportInfoMemoryOverflow();
  schemes.icons.Folder = schemes.letters.Folder = schemes.built_in_folder;

  // index.scm stands for the index letters, whose pictures lie in Index/
  // whatever its type says. A file that fails to load leaves the built-in
  // letters in place.
  ImageScheme letters{nullptr, nullptr, -1, 0, nullptr};
  if (LoadScheme(resources + "index.scm", letters, kIndexPictureFolder)) {
    schemes.letters = letters;
    schemes.letters_loaded = true;
  }
}

void ReleaseSchemes() {
  for (int32_t i = 0; i < schemes.loaded_count; ++i) ReleaseScheme(schemes.loaded[i]);
  core::Release(schemes.loaded);
  schemes.loaded = nullptr;
  schemes.loaded_count = 0;
  PublishLoaded();
  if (schemes.letters_loaded) ReleaseScheme(schemes.letters);
  core::ReleaseText(schemes.built_in_folder);
  schemes = {kBuiltInIcons, kBuiltInLetters, false, nullptr, nullptr, 0};
}

const ImageScheme* FindScheme(int output_type, const char* name) {
  const int32_t scheme_type = SchemeTypeFor(output_type);
  if (name == nullptr || *name == '\0') return DefaultScheme(scheme_type);
  for (int32_t i = 0; scheme_type != 0 && i < schemes.loaded_count; ++i) {
    const ImageScheme& scheme = schemes.loaded[i];
    if (scheme.Type == scheme_type && core::EqualsNoCase(scheme.Name, name)) return &scheme;
  }
  core::ReportInfo(core::FormatText("'%s' - not found\n", name).c_str());
  return DefaultScheme(scheme_type);
}

const ImageScheme& BuiltInIcons() { return schemes.icons; }

bool ReadImageSize(const char* path, int32_t& width, int32_t& height) {
  width = height = 0;
  // Only a plain file: a folder or a device is no picture, and reading a
  // pipe would wait for a writer.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  if (const std::optional<PictureSize> size = ReadPictureHeader(path)) {
    width = size->width;
    height = size->height;
    return true;
  }
  const config::MagickModule* magick = config::StartImageLibrary();
  if (magick == nullptr) return false;
  std::size_t columns = 0, rows = 0;
  magick->ping(path, &columns, &rows);
  constexpr std::size_t kLargest = std::numeric_limits<int32_t>::max();
  width = static_cast<int32_t>(std::min(columns, kLargest));
  height = static_cast<int32_t>(std::min(rows, kLargest));
  return width > 0 && height > 0;
}

}  // namespace vellum::generate
