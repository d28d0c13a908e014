// Publishing: the files registered in the project, and the local files
// their pages refer to, copied into folders or put on FTP servers. Each
// target remembers the size and time of every file it received, so that an
// upload can pass over the files that have not changed since.
#pragma once

#include <cstdint>

#include "core/progress.h"
#include "vellum/vellum.h"

namespace vellum::publish {

// HTMLprjUpload: takes the request's upload and compression options into the
// project, marks the selected targets and uploads the project's files to
// each of them in turn. Every outcome is reported through the callbacks, a
// line per file; one failing file never stops the others.
//
// Each file a target handles (sends, or passes over as unchanged) is
// announced to progress before it is handled, with the target's address;
// the total is every selected target's files but those the user refused to
// send from outside the project. A target that cannot be reached handles
// none of its files: they count as done without being announced. When
// progress says stop, the upload handles no further file on any target,
// closes the target's channel, keeps the records of the files sent, and
// reports "Upload stopped: N files not sent" ("1 file") on the info
// callback.
void Upload(Project& project, const UploadRequest& request, core::Progress& progress);

// The same, announcing the files to the progress callback set now.
void Upload(Project& project, const UploadRequest& request);

// What an upload did with files: sent whole, passed over as unchanged, and
// not sent (missing, refused or failed).
struct UploadCounts {
  int32_t sent = 0;
  int32_t skipped = 0;
  int32_t failed = 0;
};

// What the last Upload did, counted over every selected target.
UploadCounts LastUploadCounts();

// The same for the target at index of the project's list as it was during
// the upload; zero for a target it did not serve or an index out of range.
UploadCounts LastUploadTargetCounts(int index);

// How many files the last Upload did not handle because progress stopped
// it; 0 when it ran to its end.
int32_t LastUploadNotSent();

}  // namespace vellum::publish
