// What the project file's reader and writer share: the file keys of the
// script kinds, the layout of each kind's values after the item name, and
// the runs of 0/1 digits that store flag words.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "vellum/vellum.h"

namespace vellum::project {

bool IsScriptKind(uint32_t kind);
// Kinds 10 and 11: the item's body is a SiteMapSettings.
bool IsSiteMapKind(int kind);
// The file key of a script kind ("SSiteMap" for 11); kind must be 1 to 15.
const char* KindKey(int kind);

// A run of 0/1 digits, one per flag bit: the bit that each digit stands for
// (-1: a digit that is written as "0" and ignored when read), and whether a
// longer run is accepted (the extra digits are ignored).
struct FlagRun {
  std::span<const int8_t> bits;
  bool at_least = false;
};

// The runs of the Common section: UploadProperties (bits 0 to 3, then four
// unused digits), CompessProperties (bits 0 to 15, then bits 16 to 19 and two
// unused digits) and the flags of an Output target (bits 0 to 4, then three
// unused digits).
extern const FlagRun kUploadPropertiesRun;
extern const FlagRun kCompressLowRun;
extern const FlagRun kCompressHighRun;
extern const FlagRun kTargetFlagsRun;

// Sets in flags the bit of each digit other than "0". False, with flags
// unchanged, when the run has the wrong length.
bool ReadFlagRun(std::string_view digits, const FlagRun& run, uint32_t& flags);
std::string FlagRunDigits(uint32_t flags, const FlagRun& run);

// One group of an item's values after its name, in file order. Digit values
// and texts and numbers fill the item's slots (below) in order.
struct ValueGroup {
  enum Type {
    kDigitValues,  // count digits, each a small number: "0" + value
    kTexts,        // count quoted strings
    kNumbers,      // count decimal numbers
    kFlagDigits,   // one run of the item's flag word
    kPasteDigits,  // two digits: the flag word's value, then bit 3
  };
  Type type;
  int count = 0;
  FlagRun run{};
};

std::span<const ValueGroup> LayoutOf(int kind);

// The members of an item that its values fill, in file order.
struct ItemSlots {
  std::array<uint8_t*, 8> digits{};
  std::array<const char**, 22> texts{};
  std::array<int32_t*, 6> numbers{};
  int text_count = 0;
};

ItemSlots SlotsOf(ScriptItem& item);

// The 18 texts of a site map's settings, in file order.
std::array<const char**, 18> SiteMapTexts(SiteMapSettings& settings);

}  // namespace vellum::project
