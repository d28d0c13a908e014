#include "web/tag_tables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/text_utils.h"

namespace vellum::web {
namespace {

constexpr ContentKind k0 = kMarkupComment;
constexpr ContentKind k1 = kCommentContent;
constexpr ContentKind k2 = kNormalContent;
constexpr ContentKind k3 = kEmptyContent;
constexpr ContentKind k4 = kRawContent;
constexpr ContentKind k5 = kPreformatted;

constexpr const char* kHeadingAttributes = "ALIGN;CLASS;ID;STYLE";

// An open-addressing index of upper-case names, looked up without regard
// to case and without copying the name: a look-up hashes the name's bytes
// folded to upper case and compares the few names of its slot. Names longer
// than kLongest match nothing.
template <typename Value, std::size_t kLongest>
class NameIndex {
 public:
  static constexpr std::size_t kSlots = 256;  // over twice the rows of either table

  // Adds name unless it is there: the first row of a name is kept, as a
  // search from the top would find it.
  void Add(std::string_view name, Value value) {
    std::size_t slot = Hash(name);
    while (slots_[slot].used) {
      if (slots_[slot].name == name) return;
      slot = (slot + 1) % kSlots;
    }
    slots_[slot] = {true, name, value};
  }

  std::optional<Value> Find(std::string_view name) const {
    if (name.size() > kLongest) return std::nullopt;
    for (std::size_t slot = Hash(name); slots_[slot].used; slot = (slot + 1) % kSlots) {
      if (slots_[slot].name.size() == name.size() && core::EqualsNoCase(slots_[slot].name, name)) {
        return slots_[slot].value;
      }
    }
    return std::nullopt;
  }

 private:
  struct Slot {
    bool used = false;
    std::string_view name;
    Value value{};
  };

  static std::size_t Hash(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (char c : name) {
      hash = (hash ^ static_cast<unsigned char>(c & ~0x20)) * 16777619u;  // folds a-z to A-Z
    }
    return (hash ^ (hash >> 16)) % kSlots;
  }

  std::array<Slot, kSlots> slots_{};
};

}  // namespace

const TagInfo kTagTable[kTagCount] = {
    {"!--", false, k0, nullptr},
    {"!DOCTYPE", true, k3, "*"},
    {"A", false, k2,
     "HREF;METHOD;NAME;REL;REV;TARGET;TITLE;URL;CLASS;ONCLICK;ONMOUSEOUT;ONMOUSEOVER;STYLE;ID"},
    {"ABBR", false, k2, nullptr},
    {"ACRONYM", false, k2, nullptr},
    {"ADDRESS", false, k2, nullptr},
    {"APPLET", true, k4, "ALIGN;ALT;ARCHIVE;CODE;CODEBASE;HEIGHT;HSPACE;NAME;OBJECT;VSPACE;WIDTH"},
    {"AREA", false, k3, "COORDS;SHAPE;RECT;NOHREF;HREF;TARGET;ALT;NAME;REL"},
    {"B", false, k2, nullptr},
    {"BASE", false, k3, "HREF;TARGET"},
    {"BASEFONT", false, k3, "COLOR;FACE;SIZE"},
    {"BDO", false, k2, nullptr},
    {"BGSOUND", true, k3, "SRC;LOOP"},
    {"BIG", false, k2, nullptr},
    {"BLOCKQUOTE", false, k2, nullptr},
    {"BODY", true, k2,
     "BACKGROUND;BGCOLOR;BGPROPERTIES;LINK;VLINK;ALINK;TEXT;LEFTMARGIN;RIGHTMARGIN;TOPMARGIN;"
     "MARGINHEIGHT;MARGINWIDTH;ONLOAD"},
    {"BR", true, k3, "CLASS;ID;STYLE"},
    {"BUTTON", false, k2, nullptr},
    {"CAPTION", false, k3, "ALIGN;VALIGN"},
    {"CENTER", false, k2, nullptr},
    {"CITE", false, k2, nullptr},
    {"CFMAIL", false, k2, nullptr},
    {"CODE", false, k2, nullptr},
    {"COL", false, k3, "ALIGN;SPAN;VALIGN;WIDTH"},
    {"COLGROUP", false, k3, "ALIGN;SPAN;VALIGN;WIDTH"},
    {"COMMENT", true, k1, nullptr},
    {"DD", true, k3, nullptr},
    {"DEL", false, k2, nullptr},
    {"DFN", false, k2, nullptr},
    {"DIR", false, k3, nullptr},
    {"DIV", false, k2, "ALIGN;CLASS;ID;STYLE;TITLE"},
    {"DL", false, k3, nullptr},
    {"DT", false, k3, nullptr},
    {"EM", false, k2, nullptr},
    {"EMBED", false, k2, "ALIGN;BORDER;HEIGHT;HSPACE;NAME;SRC;TYPE;VSPACE;WIDTH"},
    {"FIELDSET", false, k2, nullptr},
    {"FONT", false, k2, "COLOR;FACE;SIZE;CLASS;STYLE"},
    {"FORM", false, k2, "ACTION;METHOD;NAME;TARGET;CLASS;ID"},
    {"FRAME", true, k3, "FRAMEBORDER;MARGINHEIGHT;MARGINWIDTH;NAME;NORESIZE;SCROLLING;SRC"},
    {"FRAMESET", true, k2, "BORDER;BORDERCOLOR;COLS;FRAMEBORDER;FRAMESPACING;ROWS"},
    {"H1", false, k2, kHeadingAttributes},
    {"H2", false, k2, kHeadingAttributes},
    {"H3", false, k2, kHeadingAttributes},
    {"H4", false, k2, kHeadingAttributes},
    {"H5", false, k2, kHeadingAttributes},
    {"H6", false, k2, kHeadingAttributes},
    {"H7", false, k2, kHeadingAttributes},
    {"HEAD", true, k2, nullptr},
    {"HR", false, k3, "ALIGN;COLOR;NOSHADE;SIZE;WIDTH"},
    {"HTML", true, k2, nullptr},
    {"I", false, k2, nullptr},
    {"IFRAME", true, k2,
     "ALIGN;FRAMEBORDER;HEIGHT;HSPACE;MARGINHEIGHT;MARGINWIDTH;NAME;SCROLLING;SRC;VSPACE;WIDTH"},
    {"IMG", false, k3,
     "ALIGN;ALT;BORDER;CONTROLS;DYNSRC;HEIGHT;HSPACE;ISMAP;LOOP;SRC;USEMAP;VSPACE;WIDTH;CLASS;"
     "NAME"},
    {"INPUT", false, k3, "ALIGN;ALT;MAXLENGTH;NAME;SIZE;SRC;TABINDEX;TYPE;VALUE;ONCHANGE;ONCLICK"},
    {"INS", false, k2, nullptr},
    {"ISINDEX", false, k3, "ACTION;PROMPT"},
    {"KBD", false, k2, nullptr},
    {"LABEL", false, k2, nullptr},
    {"LEGEND", false, k2, nullptr},
    {"LI", false, k3, "TYPE;VALUE"},
    {"LINK", false, k3, "HREF;REL;REV;TITLE;TYPE"},
    {"LISTING", false, k2, nullptr},
    {"MAP", false, k2, "NAME"},
    {"MARQUEE", false, k2,
     "ALIGN;BEHAVIOR;BGCOLOR;DIRECTION;HEIGHT;HSPACE;LOOP;SCROLLAMOUNT;SCROLLDELAY;VSPACE;WIDTH"},
    {"MENU", false, k2, nullptr},
    {"META", true, k3, "HTTP-EQUIV;NAME;CONTENT;URL"},
    {"NOBR", false, k2, nullptr},
    {"NOFRAMES", false, k2, nullptr},
    {"NOSCRIPT", false, k2, nullptr},
    {"OBJECT", false, k2,
     "ALIGN;ARCHIVE;BORDER;CLASSID;CODEBASE;CODETYPE;DATA;HEIGHT;HSPACE;NAME;STANDBY;TYPE;USEMAP;"
     "VSPACE;WIDTH"},
    {"OL", false, k2, "START;TYPE"},
    {"OPTGROUP", false, k2, nullptr},
    {"OPTION", false, k2, "SELECTED;VALUE"},
    {"P", false, k2, "ALIGN;CLASS;ID;STYLE"},
    {"PARAM", false, k3, "NAME;VALUE;VALUETYPE;TYPE"},
    {"PLAINTEXT", false, k2, nullptr},
    {"PRE", false, k5, nullptr},
    {"Q", false, k2, nullptr},
    {"S", false, k2, nullptr},
    {"SAMP", false, k2, nullptr},
    {"SCRIPT", false, k4, "LANGUAGE;SRC"},
    {"SELECT", false, k2, "MULTIPLE;NAME;SIZE;TABINDEX;ONCHANGE"},
    {"SMALL", false, k2, nullptr},
    {"SPAN", false, k2, "CLASS;ID;STYLE;TITLE"},
    {"STRIKE", false, k2, nullptr},
    {"STRONG", false, k2, nullptr},
    {"STYLE", false, k2, "TYPE"},
    {"SUB", false, k2, nullptr},
    {"SUP", false, k2, nullptr},
    {"TABLE", false, k2,
     "ALIGN;VALIGN;BACKGROUND;BGCOLOR;BORDER;BORDERCOLOR;BORDERCOLORLIGHT;BORDERCOLORDARK;"
     "CELLPADDING;CELLSPACING;COLS;WIDTH;HEIGHT;FRAME;RULES;ROWS;CLASS;ID"},
    {"TBODY", false, k2, nullptr},
    {"TD", true, k2,
     "ALIGN;BACKGROUND;BGCOLOR;BORDERCOLOR;BORDERCOLORLIGHT;BORDERCOLORDARK;VALIGN;COLSPAN;NOWRAP;"
     "ROWSPAN;HEIGHT;WIDTH;CLASS;ID"},
    {"TEXTAREA", false, k2, "COLS;NAME;ROWS;TABINDEX;ONCHANGE"},
    {"TFOOT", false, k3, nullptr},
    {"TH", false, k3,
     "ALIGN;BACKGROUND;BGCOLOR;BORDERCOLOR;VALIGN;COLSPAN;NOWRAP;ROWSPAN;HEIGHT;WIDTH"},
    {"THEAD", false, k3, nullptr},
    {"TITLE", true, k2, nullptr},
    {"TR", true, k2,
     "ALIGN;BACKGROUND;BGCOLOR;BORDERCOLOR;BORDERCOLORLIGHT;BORDERCOLORDARK;VALIGN;HEIGHT;ID"},
    {"TT", false, k2, nullptr},
    {"U", false, k2, nullptr},
    {"UL", false, k2, "TYPE"},
    {"VAR", false, k2, nullptr},
    {"WBR", false, k2, nullptr},
    {"XMP", false, k2, nullptr},
    {"SPACER", false, k3, "ALIGN;HEIGHT;SIZE;TYPE;WIDTH"},
};

const char* const kAttributeTable[kAttributeCount] = {
    "ALIGN",
    "ACTION",
    "ALINK",
    "ALT",
    "ARCHIVE",
    "BACKGROUND",
    "BEHAVIOR",
    "BGCOLOR",
    "BGPROPERTIES",
    "BORDER",
    "BORDERCOLOR",
    "BORDERCOLORLIGHT",
    "BORDERCOLORDARK",
    "CELLPADDING",
    "CELLSPACING",
    "CODE",
    "CODEBASE",
    "CODETYPE",
    "COLOR",
    "COLS",
    "COLSPAN",
    "CONTENT",
    "CLASS",
    "CLASSID",
    "CONTROLS",
    "COORDS",
    "DATA",
    "DIRECTION",
    "DYNSRC",
    "FACE",
    "FRAME",
    "FRAMEBORDER",
    "FRAMESPACING",
    "HEIGHT",
    "HREF",
    "HSPACE",
    "HTTP-EQUIV",
    "ID",
    "ISMAP",
    "LANGUAGE",
    "LEFTMARGIN",
    "LOOP",
    "LINK",
    "MARGINHEIGHT",
    "MARGINWIDTH",
    "MAXLENGTH",
    "METHOD",
    "MULTIPLE",
    "RIGHTMARGIN",
    "RECT",
    "REF",
    "REV",
    "REL",
    "ROWS",
    "ROWSPAN",
    "RULES",
    "NAME",
    "NOHREF",
    "NORESIZE",
    "NOSHADE",
    "NOWRAP",
    "OBJECT",
    "OPTIONAL",
    "ONCHANGE",
    "ONCLICK",
    "ONMOUSEOUT",
    "ONMOUSEOVER",
    "PALETTE",
    "PROMPT",
    "SCROLLAMOUNT",
    "SCROLLDELAY",
    "SCROLLING",
    "SELECTED",
    "SIZE",
    "SHAPE",
    "SPAN",
    "SRC",
    "START",
    "STANDBY",
    "STYLE",
    "TARGET",
    "TABINDEX",
    "TEXT",
    "TITLE",
    "TOPMARGIN",
    "TYPE",
    "URL",
    "USEMAP",
    "VALIGN",
    "VALUE",
    "VALUETYPE",
    "VLINK",
    "VSPACE",
    "WIDTH",
};

const TagInfo* FindTag(std::string_view name) {
  static const NameIndex<const TagInfo*, 16> index = [] {
    NameIndex<const TagInfo*, 16> built;
    for (const TagInfo& tag : kTagTable) built.Add(tag.name, &tag);
    return built;
  }();
  return index.Find(name).value_or(nullptr);
}

int FindAttributeName(std::string_view name) {
  static const NameIndex<int, 24> index = [] {
    NameIndex<int, 24> built;
    for (int i = 0; i < kAttributeCount; ++i) built.Add(kAttributeTable[i], i);
    return built;
  }();
  return index.Find(name).value_or(-1);
}

const std::bitset<kAttributeCount>& KnownAttributes(const TagInfo& tag) {
  static const std::array<std::bitset<kAttributeCount>, kTagCount> known = [] {
    std::array<std::bitset<kAttributeCount>, kTagCount> built{};
    for (int row = 0; row < kTagCount; ++row) {
      for (int i = 0;; ++i) {
        std::optional<std::string_view> name = core::ListElement(kTagTable[row].allowed, i);
        if (!name) break;
        const int attribute = FindAttributeName(*name);
        if (attribute >= 0) built[row].set(attribute);
      }
    }
    return built;
  }();
  return known[&tag - kTagTable];
}

}  // namespace vellum::web
