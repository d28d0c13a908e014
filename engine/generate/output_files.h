// The files of one generation: its pages, and the pictures and scripts
// copied beside them. Each is written under a temporary name in a folder of
// the generation's own, beside the first file, and all are put in place
// together once every one is whole, then registered and announced: a failed
// write, a full disk or a signal leaves the files that were there before,
// never a page that links to pages that were not written.
//
// The places come from a project file, which may be someone else's, so each
// is checked before anything is written there: a file that the project
// reads (its project file, a page of its tree, its background picture) is
// never written over, and a place outside the project's folder is written,
// and its folders made, only when the user names it for this run or says
// yes to the question.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/text_file.h"
#include "project/project.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// Notes that the user named path (relative to the current folder) as the
// output file of this run, on a command line or in a dialog: a generation of
// that file writes into its folder and the folders below it unasked. Null
// forgets every one named so far.
void ChooseOutput(const char* path);

// "write error in the file 'path'" to the error callback.
void ReportWriteError(const std::string& path);

// path with every symbolic link resolved; as given when it cannot be.
std::string ResolvedPath(const std::string& path);

class OutputFiles {
 public:
  // What a file is to the project once it is in place.
  enum class Kind {
    kPage,        // announced, and registered for upload unless the flags say not
    kResource,    // neither
    kRegistered,  // registered for upload
  };

  // The files of a generation with settings over items and the
  // GenerateFlags flags. Everything is checked against the open project.
  OutputFiles(const SiteMapSettings& settings, const MapItemList& items, uint32_t flags);
  // Removes every file not put in place, and the folder that held them.
  ~OutputFiles();
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // A new file that becomes path (absolute, or relative to the current
  // folder): a symbolic link at path stays and its target is written. Null,
  // reported, when path names no file, is refused or cannot be made; the
  // generation has then failed.
  core::TextFile* Create(const std::string& path, core::FileMode mode, Kind kind);

  // Stores the file that Create gave on the disk and closes it. False,
  // reported, when it could not be stored; the generation has then failed.
  bool Finish(core::TextFile& file);

  // The generation failed (and said why): nothing will be put in place.
  void Fail() { failed_ = true; }
  bool failed() const { return failed_; }

  // A copy of source that becomes destination, as Create places it. A
  // source that cannot be read as a file is passed over in silence; a copy
  // onto the file itself leaves it as it is. False when nothing was copied.
  bool Copy(const std::string& source, const std::string& destination, Kind kind);

  // True when source, a file that the project names, may be copied into the
  // site: it lies, links resolved, in the project's folder or one the user
  // named, or the user says yes. A refusal is reported.
  bool MayCopyIntoSite(const std::string& source);

  // Puts every finished file in place (the resources, then the pages in the
  // order they were finished, so that a page never links to one not yet
  // there), then notes, registers and announces them in that order. False
  // when the generation had failed or a file could not be put in place.
  bool Commit();

 private:
  struct Staged {
    std::string path;    // as given: noted, registered and announced so
    std::string target;  // where it goes: path, or the file a link there leads to
    std::string staged;  // the temporary file; empty for one already in place
    Kind kind;
    core::TextFile file;  // open until finished
    bool finished = false;
    bool placed = false;
  };

  // Whether path, whose file is target, may be written: not a file the
  // project reads, and in a place held or agreed to. Its folder is made.
  bool Admit(const std::string& path, const std::string& target);
  bool IsReadByProject(const std::string& target);
  bool MakeStagingFolder(const std::string& target);
  bool Place(Staged& file);

  const SiteMapSettings& settings_;
  const MapItemList& items_;
  const uint32_t flags_;
  project::ProjectFolders places_;
  // The files the project reads, by device and inode; gathered when a file
  // that exists is first to be replaced.
  std::optional<std::set<std::pair<uint64_t, uint64_t>>> read_files_;
  std::string staging_;            // the folder of the temporary files
  std::deque<Staged> files_;       // in the order they were created
  std::vector<Staged*> finished_;  // in the order they were finished
  bool failed_ = false;
};

}  // namespace vellum::generate
