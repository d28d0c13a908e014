// Downloads of web addresses over libcurl: one handle kept for the process
// (so that connections to the same server are reused), every answer fetched
// afresh, redirects followed, and failures reported in the loader's words.
#pragma once

#include <cstdint>
#include <string>

#include "core/file_loading.h"

namespace vellum::web {

// What keeps a download from hanging or swallowing the machine.
struct DownloadLimits {
  long connect_seconds = 15;
  long stall_seconds = 30;                      // below 1 byte/s for this long fails
  std::int64_t max_bytes = 50ll * 1024 * 1024;  // larger answers are refused
  long max_redirects = 10;
};

// Initialises libcurl, once for the process. False when it cannot be.
bool InitialiseTransfers();

// The limits every transfer of the engine keeps (the upload's too).
const DownloadLimits& CurrentDownloadLimits();

// Downloads address (its "#" part left out) into out. Reports as the loader
// does: "file '%s' not found" when the answer cannot be had (unless
// report_mode is silent) or breaks off mid-way (even when silent), "memory
// overflou", "InternetOpen is fails".
bool Download(const std::string& address, core::LoadedText& out, int report_mode);

// Releases the connection handle; a later download opens a new one.
void CloseDownloads();

namespace testing {
void SetDownloadLimits(const DownloadLimits& limits);
}  // namespace testing

}  // namespace vellum::web
