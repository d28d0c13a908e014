// The configuration file (Vellum.cfg, and the shipped defaults _Vellum.cfg):
// entries of a key, "=" and a value, keys compared without regard to case,
// string values in double quotes, numbers as runs of digits, and C comments.
#pragma once

#include <string>

#include "vellum/vellum.h"

namespace vellum::config {

// Reads the file at path into config, over the values config already holds:
// a key given again replaces the earlier value, keys not given keep theirs.
// Returns 1 when the end of the text was reached; 0 when the file is missing
// (silently) or a syntax error stopped the parse. A syntax error goes to the
// info callback as "'PATH' - bad profect (line N)", N being the line of the
// entry that failed (a string must close on the line it opens on); the
// values read before it stay, and that entry's key and those after it keep
// the values config held (an earlier file's).
int ReadConfigFile(const std::string& path, EngineConfig& config);

// Writes the nine persisted settings of config to path, one "Key=value" line
// each (CR LF), leaving out texts that are none and numbers that are 0. The
// old file is replaced only once the new one is complete. False on failure,
// which goes to the error callback.
bool WriteConfigFile(const std::string& path, const EngineConfig& config);

// The user's configuration file: "vellumark/Vellum.cfg" in $XDG_CONFIG_HOME,
// or in ~/.config without it; empty when the user has no home folder.
std::string UserConfigPath();

// Copies the nine persisted settings of settings (which may be the engine's
// own record) into the engine's record and writes the user's configuration
// file, making its folder when needed. A text that the file could not carry unchanged (a double
// quote, a final backslash, a line feed) and a negative port are refused with a message, and the
// setting keeps its value.
void PutConfig(const EngineConfig& settings);

// Releases the texts of the nine settings; they are none afterwards.
void ReleaseSettings(EngineConfig& config);

}  // namespace vellum::config
