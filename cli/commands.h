// The commands of vellumark. Each takes the words after its name and returns
// the exit status: 0 when nothing went wrong, 1 when the engine (or the
// command) reported an error. A command line that does not fit throws
// UsageError.
#pragma once

#include <string>

#include "arguments.h"
#include "vellum/vellum.h"

namespace vellumark {

int RunNew(Arguments& arguments);
int RunShow(Arguments& arguments);
int RunSet(Arguments& arguments);
int RunScan(Arguments& arguments);
int RunGenerate(Arguments& arguments);
int RunUpload(Arguments& arguments, bool generate_first);
int RunTarget(Arguments& arguments);
int RunConfig(Arguments& arguments);
int RunEntry(Arguments& arguments);

// One line about a target, as `target list` and `show --settings` print it.
std::string DescribeTarget(const Project& project, int index);

// The exit status for what has been reported so far.
int ExitStatus();

}  // namespace vellumark
