// The one open project of the engine and every operation on it. The records
// are those of the public header: the application reads them directly, so
// every change goes through these operations, which keep the texts owned by
// the engine's allocator and mark the project modified.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/file_loading.h"
#include "vellum/vellum.h"

namespace vellum::project {

// The open project; in its reset state until a project is opened.
Project& TheProject();

// The paths that the last search found (HTMLprjFind).
CountedStringList& FoundFiles();

// --- Project as a whole ---------------------------------------------------

// Frees all content and applies the reset values.
void Close(Project& project);

// Closes the project, then reads the project file at path into it. On a
// failed read the project keeps what was read, its source files are not
// rebuilt and Modified stays as reading left it. Failures are reported
// through the callbacks; the result tells whether the file was read whole.
bool Open(Project& project, const char* path);

// Writes the project to path, which becomes its file path; Modified is
// cleared once the file is written. With a null path, writes to the file path
// it has and leaves Modified alone. False when nothing usable was written
// (the old file is then untouched).
bool Save(Project& project, const char* path);

// The text update rule: member takes a copy of text, an empty text counting
// as none; any change sets Modified. On allocation failure the member is none
// and "memory overflou" is reported.
enum class TextUpdate { kUnchanged, kChanged, kFailed };
TextUpdate UpdateText(Project& project, const char*& member, const char* text);

// Sets Source, Description, Type and Macros. Returns 1 when anything changed
// (Modified is then set), else 0.
int SetParameters(Project& project, const ProjectParams& params);

// Sets Source (and Type unless negative), then rebuilds SourceFiles.
void ChangeSource(Project& project, const SourceChange& change);

// --- Files of the site ----------------------------------------------------

// Registers a file as added to the site: a text in RemovedFiles (compared
// without regard to case) is taken out of there instead; a text already in
// OutputList is left alone; otherwise a copy is appended to OutputList.
void AddFile(Project& project, const char* text);

// Takes a file out of the site: removed from OutputList when it is there
// (compared without regard to case), else appended to RemovedFiles (again,
// when it is already there).
void RemoveFile(Project& project, const char* text);

// Notes a file that this process wrote for the project (a page or a
// resource copied beside it), in a place the project's folder holds or that
// the user agreed to: that file, and no other of its folder, is the
// project's own.
void NoteWrittenFile(const char* path);

// The places whose files a project publishes unasked: the folder of its
// file (the current folder for a project not yet saved), the files noted
// with NoteWrittenFile and the folders added, symbolic links resolved. A
// project file is a document people pass around: what it lists elsewhere
// is not to be published, nor written, unasked.
class ProjectFolders {
 public:
  explicit ProjectFolders(const Project& project);

  // Holds the files below folder (absolute, or relative to the current
  // folder) too: one that the user named or agreed to.
  void Add(const std::string& folder);

  // True when path (a file of the site, absolute or relative to the current
  // folder) is, symbolic links resolved, a noted file or lies below one of
  // the folders.
  bool Hold(const char* path) const;

 private:
  std::vector<std::string> folders_;
  mutable std::unordered_map<std::string, std::string> resolved_parents_;
};

// Drops the indexes that speed up AddFile and RemoveFile; called when the
// lists are released, so that new lists are never taken for old ones.
void ForgetFileListIndexes();

// How far RebuildSourceFiles walks the source.
enum class SourceWalk {
  kWhole,
  // Without a request on the network, and a missing start page reported as
  // information, not as an error: what opening a project does. A web source
  // is walked later, by EnsureSourceFiles.
  kOpening,
};

// Recomputes SourceFiles from Source and Type, then adds the OutputList texts
// (cutting their "?" and "#" parts in place) and takes out RemovedFiles.
void RebuildSourceFiles(Project& project, SourceWalk walk = SourceWalk::kWhole);

// Walks a web source that opening left out, before SourceFiles is searched.
void EnsureSourceFiles(Project& project);

// --- Script items ---------------------------------------------------------

// Inserts an item at request.Position (0 to the item count) and stores
// request.Params into it. A position out of range, or a kind that is not a
// script kind, does nothing. Returns 0 only when memory ran out.
int AddItem(Project& project, const AddRequest& request);

// Stores params into item: the name from BasePath; for a site map the
// settings, and for kind 11 a copy of *params.Items unless it is the item's
// own tree. The flag word is not touched.
void StoreItem(Project& project, ScriptItem& item, const SiteMapParams& params);

// StoreItem, then the flag word: a changed word marks the project modified.
void StoreItemAndFlags(Project& project, ScriptItem& item, const SiteMapParams& params,
                       uint32_t flags);

// Index out of range: nothing happens. Up and down write the new index back.
void DeleteItem(Project& project, int index);
void MoveItemUp(Project& project, int32_t& index);
void MoveItemDown(Project& project, int32_t& index);

// Frees an item's texts and entries; the record itself stays.
void ReleaseItem(ScriptItem& item);

// Opens a zero-filled place at position (0 to the item count) of the item
// list and returns it; sets Modified. Null when memory ran out: the item list
// is then empty and "memory overflou" reported.
ScriptItem* InsertItem(Project& project, int position);

// --- Upload targets -------------------------------------------------------

// The target and file-list operations of HTMLprjPrm.
void ChangeTargets(Project& project, PrmRequest& request);

// Notes that path was put on target with the size and time of stamp and,
// when known, the digest of the content it had (see IsUnchangedSince): an
// existing record of the path (compared without regard to case) takes the
// new values, otherwise a record is appended; either change sets Modified.
// False (with "memory overflou" reported) when no record could be made.
bool RecordUpload(Project& project, OutputTarget& target, const char* path,
                  const core::FileStamp& stamp, std::optional<uint64_t> digest = std::nullopt);

// The same for a caller that knows where path's record is: index is the
// place of the first record of path among target's uploaded files (compared
// without regard to case), or -1 when it has none; a new record goes at the
// end.
bool RecordUploadAt(Project& project, OutputTarget& target, int index, const char* path,
                    const core::FileStamp& stamp, std::optional<uint64_t> digest = std::nullopt);

// True when record holds the five numbers of stamp.
bool SameStamp(const UploadedFile& record, const core::FileStamp& stamp);

// The digest noted with record; nothing for a record made without one (as
// the records of project files written before digests were kept are).
std::optional<uint64_t> UploadDigest(const UploadedFile& record);

// A digest as the project file stores it, 16 lower-case hexadecimal
// digits, and back; nothing for any other text.
std::string UploadDigestText(uint64_t digest);
std::optional<uint64_t> ParseUploadDigest(std::string_view text);

// Whether the file of record, which now has stamp and the content of
// digest, is the one that was sent: by the size and the digest where both
// digests are known, else by the size and the time to the second.
bool IsUnchangedSince(const UploadedFile& record, const core::FileStamp& stamp,
                      std::optional<uint64_t> digest);

// Appends a target with no texts and no uploaded files; null (with the
// targets emptied and "memory overflou" reported) when memory ran out.
OutputTarget* AppendTarget(Project& project);

// Gives target the five texts (by the update rule), port and flags of
// settings. False when a text could not be copied.
bool SetTargetSettings(Project& project, OutputTarget& target, const OutputTarget& settings);

// Frees a target's texts and uploaded files; the record itself stays.
void ReleaseTarget(OutputTarget& target);

// What a target keeps beside its public record (VellumTargetSecurity): the
// protocol of a server target, the key and certificate files it is reached
// with, and where its password comes from. The default is a target as the
// project file has always held it.
struct TargetSecurity {
  int32_t protocol = VELLUM_PROTOCOL_FTP;
  std::string key_file;
  std::string ca_file;
  int32_t password_from = VELLUM_PASSWORD_PROJECT;

  bool IsDefault() const { return *this == TargetSecurity{}; }
  bool operator==(const TargetSecurity&) const = default;
};

// The settings of target index of project (the default for an index out of
// range). Kept in step with the target list by AppendTarget and
// HTMLprjPrm's removal.
const TargetSecurity& SecurityOf(const Project& project, int index);

// Gives target index the settings; true when that changed them (and set
// Modified). False for an index out of range.
bool SetSecurity(Project& project, int index, TargetSecurity security);

// The names the project file gives protocols and password sources ("ftp",
// "sftp", "ftps"; "", "netrc", "keyring", "ask"), and back (-1: unknown).
const char* ProtocolName(int32_t protocol);
int32_t ProtocolOf(std::string_view name);
const char* PasswordSourceName(int32_t source);
int32_t PasswordSourceOf(std::string_view name);

// --- Search ---------------------------------------------------------------

// Searches the project's source files for request.Text and adds the path of
// each file once per occurrence to found; a web source left out at opening
// is walked first.
void Find(Project& project, const FindRequest& request, CountedStringList& found);

}  // namespace vellum::project
