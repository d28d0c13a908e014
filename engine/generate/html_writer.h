// The small writers every site map page is put together from: the page head,
// the BODY tag, the page end, IMG and FONT markup, links and indentation.
//
// A writer collects the page in a buffer and hands it to its file in large
// blocks, so a page of a hundred thousand links costs a few hundred writes,
// not one per tag. The file is a text-mode file: every "\n" is stored as
// CR LF. Most pieces are written unchecked; the fixed blocks (indentation,
// the pieces of the page head, the end of the BODY tag, the texts around the
// map, the page end) are checked: a checked write fails once anything written
// so far could not be stored, and the first such failure is reported as
// "write error in the file" with the file's name. A failed checked write
// ends the page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/text_file.h"

namespace vellum::generate {

// Where the generator paragraph of a page footer links to.
inline constexpr std::string_view kProductPageAddress = "https://fernbright.example/vellumark/";

// The FONT and style markup around a site map. The closing markup is derived
// from the same record, so it always matches the opening.
struct Font {
  int size_index = 0;           // 0 to 6, written as SIZE 1 to 7
  const char* color = nullptr;  // six hexadecimal digits without "#", or none
  bool use_size = false;
  bool use_color = false;
  int style = 0;  // 0 none, 1 bold, 2 italic, 3 bold italic

  bool opens_font_tag() const { return use_size || use_color; }
};

// The attributes of the opening BODY tag and the text right after it. Colours
// are six hexadecimal digits without "#".
struct BodyTag {
  const char* bg_color = nullptr;
  const char* background = nullptr;  // written as given, behind the subfolder
  const char* subfolder = nullptr;
  const char* text_color = nullptr;
  const char* link_color = nullptr;
  const char* visited_color = nullptr;
  const char* text_above = nullptr;
  bool use_text = false;
  bool use_link = false;
  bool use_visited = false;
};

// The part of url that a link writes when relative links are on: with
// base_path's folder part F (up to its last "\" or "/"), a url that starts
// with F followed by a separator loses that prefix. Otherwise (relative off,
// no base path, a base path without folder, another folder) url is returned
// whole.
std::string_view RelativeLink(bool relative, std::string_view url, const char* base_path);

// Indentation stops growing at this level. Past it, each line of a deep
// tree would grow with its depth, the page with the square of it: a chain of
// 100,000 pages, as a crawler trap gives, would take gigabytes.
inline constexpr int kMaxIndentLevel = 64;

class HtmlWriter {
 public:
  // Keeps the whole page in memory, readable through text().
  explicit HtmlWriter(int up_indent);
  // Writes to file, which must stay open while the writer is used; name is
  // the file as a write error names it.
  HtmlWriter(core::TextFile& file, int up_indent, std::string name = {});
  HtmlWriter(const HtmlWriter&) = delete;
  HtmlWriter& operator=(const HtmlWriter&) = delete;

  // The number of "../" written in front of every link target: the page's
  // depth below the folder its links are relative to.
  int up_indent() const { return up_indent_; }

  // What is buffered and not yet handed to the file (in memory: everything).
  const std::string& text() const { return buffer_; }

  // Unchecked writes.
  void Write(std::string_view bytes);
  void WriteNumber(long value);

  // A checked write: false once anything written so far could not be stored.
  bool WriteChecked(std::string_view bytes);

  // Ends the page: hands everything buffered to the file; the result is that
  // of a checked write.
  bool Flush();

  // level tabs (none for 0 or less, at most kMaxIndentLevel); checked.
  bool WriteIndent(int level);

  // One IMG tag without a line end; attributes in the order WIDTH, HEIGHT,
  // NAME, SRC, ALIGN, CLASS, ALT, BORDER. A size of 0 or less is left out, as
  // is any absent text (an empty alt still writes ALT=""). An absent file is
  // written as empty.
  void WriteImg(const char* subfolder, const char* file, int width, int height,
                const char* css_class, const char* name, const char* align, const char* alt);

  // The opening and closing font markup, each on a line of its own at level;
  // nothing when the font asks for no tag and no style. A failed indentation
  // is reported but does not stop the markup.
  void OpenFont(int level, const Font& font);
  void CloseFont(int level, const Font& font);

  // "../" up_indent() times, then the link target of url: its RelativeLink,
  // with "file://" in front when that is an absolute local path (a drive
  // path or one starting with "/"). The prefixes are written even in front
  // of a "file://" target or a web address. A target made relative that
  // would read as a scheme gets "./" in front, and the quote and angle
  // brackets are written percent-encoded, so no address leaves its
  // attribute.
  // With valid_addresses set, white space, control characters and the
  // other characters that an address may not hold (` ^ { | }) are written
  // percent-encoded too, and "&" as "&amp;", so that the address is the
  // file's name as it stands.
  void WriteLinkTarget(bool relative, std::string_view url, const char* base_path);
  void set_valid_addresses(bool valid) { valid_addresses_ = valid; }

  // A link to url with text (three non-breaking spaces for an empty text),
  // " suffix" inside the link when a suffix is given; the text alone when
  // url is absent; then "<BR>" when line_break, and a line end.
  void WriteLink(const char* text, const char* url, const char* base_path, bool relative,
                 const char* suffix, bool line_break);

  // <HTML>, the HEAD up to the generator comment, and head_tags when given.
  // An empty or absent title is written as one space.
  //
  // A page that holds any byte beyond ASCII declares UTF-8 right behind the
  // GENERATOR META; a page of ASCII alone gets no declaration. Whether a
  // page needs it is known only once a byte beyond ASCII is written or the
  // page ends, so until then the writer keeps the page in memory: a page of
  // ASCII alone is handed to its file whole by the final Flush.
  bool WritePageHead(const char* title, const char* head_tags);

  // The end of the HEAD, the BODY tag and the text above the map.
  bool WriteBodyOpen(const BodyTag& body);

  // The text below the map, the generator paragraph when footer is set, and
  // the end of the page.
  bool WritePageEnd(const char* text_below, bool footer);

 private:
  // Keeps the buffer in memory below this size when writing to a file.
  static constexpr std::size_t kFlushSize = 64 * 1024;

  void FlushIfFull();
  bool Failed();
  void DeclareUtf8();

  core::TextFile* file_ = nullptr;
  int up_indent_ = 0;
  std::string name_;
  std::string buffer_;
  // Where the UTF-8 declaration goes in buffer_ while the head is written
  // and no byte beyond ASCII has been; the buffer is not flushed meanwhile.
  std::optional<std::size_t> charset_at_;
  bool store_failed_ = false;
  bool failure_reported_ = false;
  bool valid_addresses_ = false;
};

}  // namespace vellum::generate
