// The engine as vellumark uses it: one process, one project, the engine's
// messages printed as they come (information to standard output, errors to
// standard error), and a record of whether anything went wrong.
#pragma once

#include <string>
#include <string_view>

#include "vellum/vellum.h"

namespace vellumark {

// Starts the engine with this program's own path, so it finds its
// installation root and configuration.
void StartEngine();

// From now on the engine's questions are answered yes (they are answered no
// otherwise).
void AnswerYes();

// True once the engine has reported an error (or this program has, through
// ReportFailure).
bool ErrorReported();

// hook is called before each message of the engine or of ReportFailure is
// printed (null: nothing is), so that a line being updated can make way.
void SetBeforeMessage(void (*hook)());

// Prints "vellumark: text" to standard error and counts it as an error.
void ReportFailure(const std::string& text);

// text as it may be printed to a terminal: whatever came from a page, a
// project, a file or a server can neither move the cursor, change the
// terminal's colours or title, nor split one line of output in two. Tab,
// line feed and carriage return are written \t, \n and \r, every other
// control character (C0, DEL and C1, as a UTF-8 character or as a byte that
// is not part of one) \x and two upper-case hex digits (ESC is \x1B, U+009B
// is \x9B), and a backslash \\, so the escapes read back unambiguously.
// With line_end, a line feed that ends text stays as it is.
std::string Printable(std::string_view text, bool line_end = false);

// path made absolute against the folder the program was started in.
std::string AbsolutePath(const std::string& path);

// Starts the engine, waits for the project's lock (held to the program's
// end, so that commands on one project take turns), opens the project at
// path and makes its folder the current folder, so that
// paths stored in the project resolve against it. Any complaint while
// reading (a missing or malformed file) counts as an error and gives null:
// a project that was not read whole must not be saved over its file. So
// does a lock file that this user did not make.
Project* OpenProject(const std::string& path);

// The project's site map item (its first item, of kind 11). A project
// without one gets one with the new-project settings at the front; other
// items are kept.
ScriptItem* SiteMapItem(Project& project);

// OpenProject, then SiteMapItem: both members are null after a failure,
// which has been reported.
struct SiteMap {
  Project* project = nullptr;
  ScriptItem* item = nullptr;
};
SiteMap OpenSiteMap(const std::string& path);

// Writes the project to path, or without one back to the file it was opened
// from or last saved to, unless that file changed on disk since it was read
// (then nothing is written: both versions stay). A failure counts as an
// error.
bool SaveProject(const char* path = nullptr);

}  // namespace vellumark
