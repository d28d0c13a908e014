#include "web/charset.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <utility>

#include "core/text_utils.h"

namespace vellum::web {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The length of the well-formed UTF-8 sequence at the start of bytes, or 0
// when it does not start with one.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

std::string Utf8WithReplacements(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      AppendUtf8(out, kReplacement);
      bytes.remove_prefix(1);
    } else {
      out.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return out;
}

// Windows-1252 from 0x80 to 0x9F; 0 where the code page has no character.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t Windows1252Character(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const char16_t code = kWindows1252High[byte - 0x80];
  return code != 0 ? code : kReplacement;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) AppendUtf8(out, Windows1252Character(static_cast<unsigned char>(c)));
  return out;
}

class Converter {
 public:
  explicit Converter(const char* charset) : handle_(iconv_open("UTF-8", charset)) {}
  ~Converter() {
    if (ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  std::string Convert(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    char* in = const_cast<char*>(bytes.data());  // iconv does not write through it
    std::size_t in_left = bytes.size();
    while (in_left > 0) {
      const std::size_t result = Step(&in, &in_left, out);
      if (result != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) continue;
      // A byte that does not convert (EILSEQ) is replaced and passed over;
      // a sequence cut by the end (EINVAL) is replaced and ends the text.
      AppendUtf8(out, kReplacement);
      if (errno != EILSEQ) break;
      ++in;
      --in_left;
    }
    Step(nullptr, nullptr, out);  // the shift back of stateful charsets
    return out;
  }

 private:
  std::size_t Step(char** in, std::size_t* in_left, std::string& out) {
    char chunk[4096];
    char* end = chunk;
    std::size_t room = sizeof chunk;
    const std::size_t result = iconv(handle_, in, in_left, &end, &room);
    const int saved = errno;
    out.append(chunk, end);
    errno = saved;
    return result;
  }

  iconv_t handle_;
};

// The encodings of the WHATWG Encoding Standard with their labels, each
// with the name the system's converter knows it by (one that decodes as
// the standard's decoder does, or nearly), or none for those decoded here.
struct Encoding {
  std::string_view name;
  const char* converter;
  std::string_view labels;  // separated by spaces
};

constexpr Encoding kEncodings[] = {
    {"utf-8", nullptr, "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    // Legacy single-byte encodings.
    {"ibm866", "IBM866", "866 cp866 csibm866 ibm866"},
    {"iso-8859-2", "ISO-8859-2",
     "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2"},
    {"iso-8859-3", "ISO-8859-3",
     "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3"},
    {"iso-8859-4", "ISO-8859-4",
     "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4"},
    {"iso-8859-5", "ISO-8859-5",
     "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 "
     "iso_8859-5:1988"},
    {"iso-8859-6", "ISO-8859-6",
     "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
     "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    {"iso-8859-7", "ISO-8859-7",
     "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
     "iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    {"iso-8859-8", "ISO-8859-8",
     "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 "
     "iso_8859-8 iso_8859-8:1988 visual"},
    {"iso-8859-8-i", "ISO-8859-8", "csiso88598i iso-8859-8-i logical"},
    {"iso-8859-10", "ISO-8859-10",
     "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    {"iso-8859-13", "ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"iso-8859-14", "ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"iso-8859-15", "ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    {"iso-8859-16", "ISO-8859-16", "iso-8859-16"},
    {"koi8-r", "KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r"},
    {"koi8-u", "KOI8-U", "koi8-ru koi8-u"},
    {"macintosh", "MACINTOSH", "csmacintosh mac macintosh x-mac-roman"},
    {"windows-874", "WINDOWS-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    {"windows-1250", "WINDOWS-1250", "cp1250 windows-1250 x-cp1250"},
    {"windows-1251", "WINDOWS-1251", "cp1251 windows-1251 x-cp1251"},
    {"windows-1252", nullptr,
     "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 "
     "iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
    {"windows-1253", "WINDOWS-1253", "cp1253 windows-1253 x-cp1253"},
    {"windows-1254", "WINDOWS-1254",
     "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 "
     "latin5 windows-1254 x-cp1254"},
    {"windows-1255", "WINDOWS-1255", "cp1255 windows-1255 x-cp1255"},
    {"windows-1256", "WINDOWS-1256", "cp1256 windows-1256 x-cp1256"},
    {"windows-1257", "WINDOWS-1257", "cp1257 windows-1257 x-cp1257"},
    {"windows-1258", "WINDOWS-1258", "cp1258 windows-1258 x-cp1258"},
    {"x-mac-cyrillic", "CP10007", "x-mac-cyrillic x-mac-ukrainian"},
    // Legacy multi-byte encodings; GBK is read as its superset GB18030.
    {"gbk", "GB18030",
     "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    {"gb18030", "GB18030", "gb18030"},
    {"big5", "BIG5-HKSCS", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    {"euc-jp", "EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    {"iso-2022-jp", "ISO-2022-JP", "csiso2022jp iso-2022-jp"},
    {"shift_jis", "WINDOWS-31J",
     "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    {"euc-kr", "CP949",
     "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
     "ksc_5601 windows-949"},
    // Legacy miscellaneous encodings.
    {"replacement", nullptr, "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr"},
    {"utf-16be", nullptr, "unicodefffe utf-16be"},
    {"utf-16le", nullptr, "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    {"x-user-defined", nullptr, "x-user-defined"},
};

const Encoding* FindEncoding(std::string_view label) {
  std::string name(core::TrimWhiteSpace(label));
  for (char& c : name) c = core::ToLowerAscii(c);
  if (name.empty()) return nullptr;
  for (const Encoding& encoding : kEncodings) {
    for (std::string_view labels = encoding.labels; !labels.empty();) {
      const std::size_t end = std::min(labels.find(' '), labels.size());
      if (labels.substr(0, end) == name) return &encoding;
      labels.remove_prefix(std::min(end + 1, labels.size()));
    }
  }
  return nullptr;
}

// UTF-16 as the standard's shared decoder reads it: a surrogate without
// its other half, or an odd byte at the end, is U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  const auto unit = [&](std::size_t at) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char32_t>(big_endian ? first << 8 | second : second << 8 | first);
  };
  const auto in = [](char32_t code, char32_t low, char32_t high) {
    return code >= low && code <= high;
  };
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  std::size_t at = 0;
  for (; at + 1 < bytes.size(); at += 2) {
    const char32_t code = unit(at);
    if (in(code, 0xD800, 0xDBFF)) {
      // Cut by the end, with or without an odd byte: one U+FFFD.
      if (at + 3 >= bytes.size()) {
        AppendUtf8(out, kReplacement);
        return out;
      }
      const char32_t next = unit(at + 2);
      if (in(next, 0xDC00, 0xDFFF)) {
        AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00));
        at += 2;
        continue;
      }
    }
    AppendUtf8(out, in(code, 0xD800, 0xDFFF) ? kReplacement : code);
  }
  if (at < bytes.size()) AppendUtf8(out, kReplacement);
  return out;
}

// Bytes above 0x7F stand for U+F780 to U+F7FF.
std::string UserDefinedToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(out, byte < 0x80 ? byte : 0xF780 + (byte - 0x80));
  }
  return out;
}

// The named references of HTML 4 beyond Latin-1, with the five of XML.
constexpr std::pair<std::string_view, char32_t> kNamedReferences[] = {
    {"quot", 34},     {"amp", 38},       {"apos", 39},      {"lt", 60},       {"gt", 62},
    {"OElig", 338},   {"oelig", 339},    {"Scaron", 352},   {"scaron", 353},  {"Yuml", 376},
    {"fnof", 402},    {"circ", 710},     {"tilde", 732},    {"Alpha", 913},   {"Beta", 914},
    {"Gamma", 915},   {"Delta", 916},    {"Epsilon", 917},  {"Zeta", 918},    {"Eta", 919},
    {"Theta", 920},   {"Iota", 921},     {"Kappa", 922},    {"Lambda", 923},  {"Mu", 924},
    {"Nu", 925},      {"Xi", 926},       {"Omicron", 927},  {"Pi", 928},      {"Rho", 929},
    {"Sigma", 931},   {"Tau", 932},      {"Upsilon", 933},  {"Phi", 934},     {"Chi", 935},
    {"Psi", 936},     {"Omega", 937},    {"alpha", 945},    {"beta", 946},    {"gamma", 947},
    {"delta", 948},   {"epsilon", 949},  {"zeta", 950},     {"eta", 951},     {"theta", 952},
    {"iota", 953},    {"kappa", 954},    {"lambda", 955},   {"mu", 956},      {"nu", 957},
    {"xi", 958},      {"omicron", 959},  {"pi", 960},       {"rho", 961},     {"sigmaf", 962},
    {"sigma", 963},   {"tau", 964},      {"upsilon", 965},  {"phi", 966},     {"chi", 967},
    {"psi", 968},     {"omega", 969},    {"thetasym", 977}, {"upsih", 978},   {"piv", 982},
    {"ensp", 8194},   {"emsp", 8195},    {"thinsp", 8201},  {"zwnj", 8204},   {"zwj", 8205},
    {"lrm", 8206},    {"rlm", 8207},     {"ndash", 8211},   {"mdash", 8212},  {"lsquo", 8216},
    {"rsquo", 8217},  {"sbquo", 8218},   {"ldquo", 8220},   {"rdquo", 8221},  {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225},  {"bull", 8226},    {"hellip", 8230}, {"permil", 8240},
    {"prime", 8242},  {"Prime", 8243},   {"lsaquo", 8249},  {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260},  {"euro", 8364},    {"image", 8465},   {"weierp", 8472}, {"real", 8476},
    {"trade", 8482},  {"alefsym", 8501}, {"larr", 8592},    {"uarr", 8593},   {"rarr", 8594},
    {"darr", 8595},   {"harr", 8596},    {"crarr", 8629},   {"lArr", 8656},   {"uArr", 8657},
    {"rArr", 8658},   {"dArr", 8659},    {"hArr", 8660},    {"forall", 8704}, {"part", 8706},
    {"exist", 8707},  {"empty", 8709},   {"nabla", 8711},   {"isin", 8712},   {"notin", 8713},
    {"ni", 8715},     {"prod", 8719},    {"sum", 8721},     {"minus", 8722},  {"lowast", 8727},
    {"radic", 8730},  {"prop", 8733},    {"infin", 8734},   {"ang", 8736},    {"and", 8743},
    {"or", 8744},     {"cap", 8745},     {"cup", 8746},     {"int", 8747},    {"there4", 8756},
    {"sim", 8764},    {"cong", 8773},    {"asymp", 8776},   {"ne", 8800},     {"equiv", 8801},
    {"le", 8804},     {"ge", 8805},      {"sub", 8834},     {"sup", 8835},    {"nsub", 8836},
    {"sube", 8838},   {"supe", 8839},    {"oplus", 8853},   {"otimes", 8855}, {"perp", 8869},
    {"sdot", 8901},   {"lceil", 8968},   {"rceil", 8969},   {"lfloor", 8970}, {"rfloor", 8971},
    {"lang", 9001},   {"rang", 9002},    {"loz", 9674},     {"spades", 9824}, {"clubs", 9827},
    {"hearts", 9829}, {"diams", 9830},
};

// The names of U+00A0 to U+00FF, in order.
constexpr std::string_view kLatin1References[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};
static_assert(std::size(kLatin1References) == 0x100 - 0xA0);

// Names are exact ("Eacute" is not "eacute"); the markup ones are also
// taken in capitals, as old pages write them ("&AMP;").
std::optional<char32_t> NamedReference(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kLatin1References); ++i) {
    if (kLatin1References[i] == name) return static_cast<char32_t>(0xA0 + i);
  }
  for (const auto& [known, code] : kNamedReferences) {
    if (known == name) return code;
  }
  for (std::string_view markup : {"amp", "lt", "gt", "quot", "apos", "nbsp"}) {
    if (core::EqualsNoCase(name, markup)) return NamedReference(markup);
  }
  return std::nullopt;
}

// "#233" or "#xE9"; the C1 range is read as Windows-1252, as browsers do.
std::optional<char32_t> NumericReference(std::string_view digits) {
  const bool hex = !digits.empty() && (digits[0] == 'x' || digits[0] == 'X');
  if (hex) digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  char32_t code = 0;
  for (char c : digits) {
    const int digit = hex ? core::HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    code = code * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    if (code > 0x10FFFF) return std::nullopt;
  }
  if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  if (code >= 0x80 && code < 0xA0) return Windows1252Character(static_cast<unsigned char>(code));
  return code;
}

// The character of one reference, given without its "&" and ";".
std::optional<char32_t> ReferencedCharacter(std::string_view name) {
  if (name.empty()) return std::nullopt;
  if (name[0] == '#') return NumericReference(name.substr(1));
  return NamedReference(name);
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

std::string CharsetOfContentType(std::string_view content_type_header) {
  std::string_view rest = content_type_header;
  for (std::size_t semicolon; (semicolon = rest.find(';')) != std::string_view::npos;) {
    rest.remove_prefix(semicolon + 1);
    const std::string_view parameter = rest.substr(0, rest.find(';'));
    const std::size_t equals = parameter.find('=');
    if (equals == std::string_view::npos ||
        !core::EqualsNoCase(core::TrimWhiteSpace(parameter.substr(0, equals)), "charset")) {
      continue;
    }
    std::string_view value = core::TrimWhiteSpace(parameter.substr(equals + 1));
    if (!value.empty() && (value[0] == '"' || value[0] == '\'')) {
      const std::size_t close = value.find(value[0], 1);
      value = value.substr(1, close == std::string_view::npos ? close : close - 1);
    }
    std::string charset(core::TrimWhiteSpace(value));
    for (char& c : charset) c = core::ToLowerAscii(c);
    return charset;
  }
  return {};
}

std::string_view EncodingOfLabel(std::string_view label) {
  const Encoding* encoding = FindEncoding(label);
  return encoding != nullptr ? encoding->name : std::string_view();
}

std::string_view EncodingOfBom(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return "utf-8";
  if (bytes.starts_with("\xFE\xFF")) return "utf-16be";
  if (bytes.starts_with("\xFF\xFE")) return "utf-16le";
  return {};
}

std::string ToUtf8(std::string_view bytes, std::string_view charset) {
  // An encoding's name is one of its labels, save for "replacement".
  const auto named = std::find_if(std::begin(kEncodings), std::end(kEncodings),
                                  [&](const Encoding& known) { return known.name == charset; });
  const Encoding* encoding = named != std::end(kEncodings) ? named : FindEncoding(charset);
  const std::string_view name = encoding != nullptr  ? encoding->name
                                : IsValidUtf8(bytes) ? "utf-8"
                                                     : "windows-1252";
  if (name == "utf-8") return Utf8WithReplacements(bytes);
  if (name == "windows-1252") return Windows1252ToUtf8(bytes);
  if (name == "utf-16be" || name == "utf-16le") return Utf16ToUtf8(bytes, name == "utf-16be");
  if (name == "x-user-defined") return UserDefinedToUtf8(bytes);
  if (name == "replacement") return bytes.empty() ? "" : "\xEF\xBF\xBD";
  Converter converter(encoding->converter);
  if (!converter.ok()) return Windows1252ToUtf8(bytes);
  // What a converter gives is checked all the same.
  return Utf8WithReplacements(converter.Convert(bytes));
}

std::string DecodeCharacterReferences(std::string_view text) {
  // The longest reference known, "thetasym" or "#x10FFFF", has eight
  // characters; leading zeros of a number are not worth a longer look.
  constexpr std::size_t kLongestReference = 8;
  if (text.find('&') == std::string_view::npos) return std::string(text);
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      const std::size_t end = text.substr(i + 1, kLongestReference + 1).find(';');
      if (end != std::string_view::npos) {
        if (std::optional<char32_t> code = ReferencedCharacter(text.substr(i + 1, end))) {
          AppendUtf8(decoded, *code);
          i += end + 2;
          continue;
        }
      }
    }
    decoded += text[i++];
  }
  return decoded;
}

}  // namespace vellum::web
