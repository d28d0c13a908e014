// Publishing: the files registered in the project, and the local files
// their pages refer to, copied into folders or put on FTP servers. Each
// target remembers the size and time of every file it received, so that an
// upload can pass over the files that have not changed since.
#pragma once

#include "vellum/vellum.h"

namespace vellum::publish {

// HTMLprjUpload: takes the request's upload and compression options into the
// project, marks the selected targets and uploads the project's files to
// each of them in turn. Every outcome is reported through the callbacks, a
// line per file; one failing file never stops the others.
void Upload(Project& project, const UploadRequest& request);

// What the last Upload did, counted over every selected target: files sent
// whole, passed over as unchanged, and not sent (missing, refused or failed).
VellumUploadCounts LastUploadCounts();

}  // namespace vellum::publish
