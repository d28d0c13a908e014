#include "generate/html_writer.h"

#include <charconv>
#include <cstring>

#include "core/messages.h"
#include "core/text_utils.h"
#include "generate/output_files.h"

namespace vellum::generate {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool NonEmpty(const char* text) { return text != nullptr && *text != '\0'; }

std::string_view TextOrEmpty(const char* text) {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if ((static_cast<unsigned char>(c) & 0x80) != 0) return false;
  }
  return true;
}

constexpr std::string_view kUtf8Declaration =
    "\t<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\n";

}  // namespace

std::string_view RelativeLink(bool relative, std::string_view url, const char* base_path) {
  if (!relative || base_path == nullptr) return url;
  std::string_view base(base_path);
  const std::size_t folder_length = base.find_last_of("\\/");
  if (folder_length == std::string_view::npos) return url;
  // Only a whole folder is stripped: the url must go on with a separator
  // where the folder ends, or "C:\site" would strip "C:\sitemap.htm" too.
  if (url.size() <= folder_length || !IsSeparator(url[folder_length])) return url;
  if (url.substr(0, folder_length) != base.substr(0, folder_length)) return url;
  return url.substr(folder_length + 1);
}

HtmlWriter::HtmlWriter(int up_indent) : up_indent_(up_indent) {}

HtmlWriter::HtmlWriter(core::TextFile& file, int up_indent, std::string name)
    : file_(&file), up_indent_(up_indent), name_(std::move(name)) {
  buffer_.reserve(kFlushSize + kFlushSize / 4);
}

void HtmlWriter::Write(std::string_view bytes) {
  if (store_failed_) return;
  if (charset_at_ && !IsAscii(bytes)) DeclareUtf8();
  buffer_.append(bytes);
  FlushIfFull();
}

void HtmlWriter::DeclareUtf8() {
  buffer_.insert(*charset_at_, kUtf8Declaration);
  charset_at_.reset();
}

void HtmlWriter::WriteNumber(long value) {
  char digits[24];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  Write(std::string_view(digits, end - digits));
}

void HtmlWriter::FlushIfFull() {
  if (file_ != nullptr && buffer_.size() >= kFlushSize && !charset_at_) {
    if (!file_->Write(buffer_)) store_failed_ = true;
    buffer_.clear();
  }
}

bool HtmlWriter::Failed() {
  if (!store_failed_) return false;
  if (!failure_reported_) {
    failure_reported_ = true;
    ReportWriteError(name_);
  }
  return true;
}

bool HtmlWriter::WriteChecked(std::string_view bytes) {
  Write(bytes);
  return !Failed();
}

bool HtmlWriter::Flush() {
  charset_at_.reset();  // the page is ASCII throughout
  if (file_ != nullptr && !store_failed_ && !buffer_.empty()) {
    if (!file_->Write(buffer_)) store_failed_ = true;
    buffer_.clear();
  }
  return !Failed();
}

bool HtmlWriter::WriteIndent(int level) {
  static const std::string kTabs(kMaxIndentLevel, '\t');
  if (level > 0) Write(std::string_view(kTabs).substr(0, static_cast<std::size_t>(level)));
  return !Failed();
}

void HtmlWriter::WriteImg(const char* subfolder, const char* file, int width, int height,
                          const char* css_class, const char* name, const char* align,
                          const char* alt) {
  Write("<IMG");
  if (width > 0) {
    Write(" WIDTH=");
    WriteNumber(width);
  }
  if (height > 0) {
    Write(" HEIGHT=");
    WriteNumber(height);
  }
  if (name != nullptr) {
    Write(" NAME=\"");
    Write(name);
    Write("\"");
  }
  Write(" SRC=\"");
  if (NonEmpty(subfolder)) {
    Write(subfolder);
    Write("/");
  }
  Write(TextOrEmpty(file));
  Write("\"");
  if (align != nullptr) {
    Write(" ALIGN=\"");
    Write(align);
    Write("\"");
  }
  if (css_class != nullptr) {
    Write(" CLASS=");
    Write(css_class);
  }
  if (alt != nullptr) {
    Write(" ALT=\"");
    Write(alt);
    Write("\"");
  }
  Write(" BORDER=0>");
}

void HtmlWriter::OpenFont(int level, const Font& font) {
  if (!font.opens_font_tag() && font.style < 1) return;
  WriteIndent(level);
  if (font.opens_font_tag()) {
    Write("<FONT face=\"Verdana, Arial, Helvetica\"");
    if (font.use_size) {
      Write(" SIZE=");
      WriteNumber(font.size_index + 1);
    }
    if (font.use_color && NonEmpty(font.color)) {
      Write(" COLOR=\"#");
      Write(font.color);
      Write("\"");
    }
    Write(">");
  }
  static constexpr std::string_view kStyleOpen[] = {"", "<B>", "<I>", "<B><I>"};
  if (font.style >= 1 && font.style <= 3) Write(kStyleOpen[font.style]);
  Write("\n");
}

void HtmlWriter::CloseFont(int level, const Font& font) {
  if (!font.opens_font_tag() && font.style < 1) return;
  WriteIndent(level);
  static constexpr std::string_view kStyleClose[] = {"", "</B>", "</I>", "</I></B>"};
  if (font.style >= 1 && font.style <= 3) Write(kStyleClose[font.style]);
  if (font.opens_font_tag()) Write("</FONT>");
  Write("\n");
}

void HtmlWriter::WriteLinkTarget(bool relative, std::string_view url, const char* base_path) {
  for (int i = 0; i < up_indent_; ++i) Write("../");
  std::string_view target = RelativeLink(relative, url, base_path);
  // IsAbsolutePath wants a NUL-terminated text; its longest look is three
  // characters.
  char head[4] = {};
  target.copy(head, 3);
  if (core::IsAbsolutePath(head)) {
    Write("file://");
  } else if (target.size() != url.size() && core::LooksLikeScheme(target)) {
    // A file's name made relative is a path, never an address with a scheme
    // (a page named "javascript:....html", or "javascript&colon;..." that a
    // browser decodes to it).
    Write("./");
  }
  // Whatever the address holds, it stays inside its quoted attribute.
  const auto escaped = [this](char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '<' || c == '>') return true;
    return valid_addresses_ && (c == '&' || byte <= 0x20 || byte == 0x7F || c == '`' || c == '^' ||
                                c == '{' || c == '|' || c == '}');
  };
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::size_t kept = 0;
  for (std::size_t at = 0; at < target.size(); ++at) {
    if (!escaped(target[at])) continue;
    Write(target.substr(kept, at - kept));
    kept = at + 1;
    if (target[at] == '&') {  // the address as it stands, not a character reference
      Write("&amp;");
      continue;
    }
    const auto byte = static_cast<unsigned char>(target[at]);
    const char code[] = {'%', kHex[byte >> 4], kHex[byte & 15]};
    Write(std::string_view(code, 3));
  }
  Write(target.substr(kept));
}

void HtmlWriter::WriteLink(const char* text, const char* url, const char* base_path, bool relative,
                           const char* suffix, bool line_break) {
  if (url != nullptr) {
    Write("<A HREF=\"");
    WriteLinkTarget(relative, url, base_path);
    Write("\">");
    Write(NonEmpty(text) ? std::string_view(text) : "&nbsp;&nbsp;&nbsp;");
    if (suffix != nullptr) {
      Write(" ");
      Write(suffix);
    }
    Write("</A>");
  } else {
    Write(TextOrEmpty(text));
  }
  Write(line_break ? "<BR>\n" : "\n");
}

bool HtmlWriter::WritePageHead(const char* title, const char* head_tags) {
  const std::string_view title_text = NonEmpty(title) ? std::string_view(title) : " ";
  if (!WriteChecked("<HTML>\n  <HEAD>\n\t<TITLE>") || !WriteChecked(title_text) ||
      !WriteChecked("</TITLE>\n\t<META NAME=\"GENERATOR\" CONTENT=\"Vellumark 1.2\">\n")) {
    return false;
  }
  if (IsAscii(title_text)) {
    charset_at_ = buffer_.size();
  } else {
    Write(kUtf8Declaration);
  }
  if (!WriteChecked("\t<!--  Vellumark Generated  -->\n")) return false;
  if (NonEmpty(head_tags)) return WriteChecked(head_tags) && WriteChecked("\n");
  return true;
}

bool HtmlWriter::WriteBodyOpen(const BodyTag& body) {
  if (!WriteChecked("  </HEAD>\n<BODY")) return false;
  if (NonEmpty(body.bg_color)) {
    Write(" BGCOLOR=\"#");
    Write(body.bg_color);
    Write("\"");
  }
  if (NonEmpty(body.background)) {
    Write(" BACKGROUND=\"");
    if (NonEmpty(body.subfolder)) {
      Write(body.subfolder);
      Write("/");
    }
    Write(body.background);
    Write("\"");
  }
  const struct {
    bool use;
    std::string_view attribute;
    const char* color;
  } colors[] = {{body.use_text, " TEXT=\"#", body.text_color},
                {body.use_link, " LINK=\"#", body.link_color},
                {body.use_visited, " VLINK=\"#", body.visited_color}};
  for (const auto& color : colors) {
    if (!color.use) continue;
    Write(color.attribute);
    Write(TextOrEmpty(color.color));
    Write("\"");
  }
  if (!WriteChecked(">\n\n")) return false;
  if (NonEmpty(body.text_above)) return WriteChecked(body.text_above) && WriteChecked("\n");
  return true;
}

bool HtmlWriter::WritePageEnd(const char* text_below, bool footer) {
  if (NonEmpty(text_below) && !(WriteChecked(text_below) && WriteChecked("\n"))) return false;
  if (footer) {
    Write("<p align=\"center\"><a href=\"");
    Write(kProductPageAddress);
    Write("\" target=\"_top\"><font size=-1>Generated with Fernbright Vellumark</font></a></p>\n");
  }
  return WriteChecked("\n</BODY>\n</HTML>\n");
}

}  // namespace vellum::generate
