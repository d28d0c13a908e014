/*
 * vellum.h: the C interface of the site engine (libvellum).
 *
 * One process-wide engine: there is no handle and no second instance. Every
 * export runs to its end on the calling thread and reports failures and
 * progress through the three callbacks given to HTMLinitmess, never through
 * its result alone. The engine is neither thread-safe nor re-entrant: do not
 * call it from a second thread. A call of any export from inside one of the
 * engine's callbacks (message, question, progress, password) is refused: it
 * reports "NAME: refused, called from inside a callback of the engine"
 * through the error callback and returns 0 or null, changing nothing.
 *
 * Ownership, in general:
 *  - Texts are 8-bit and NUL-terminated. A null pointer is an absent text,
 *    distinct from "".
 *  - Request records (and the texts they point to) belong to the caller for
 *    the duration of the call; the engine copies what it keeps.
 *  - Records that an export returns (the Project, the EngineConfig, the list
 *    of found files) live inside the engine for the whole process. Callers
 *    keep the pointers and read the records through them between calls, but
 *    change them only through the exports; their texts and arrays are the
 *    engine's and must never be freed or written by the caller.
 *  - Pointer arguments may be null only where an export says so (the texts
 *    of HTMLinitmess, HTMLprjOpen and HTMLprjSave, the callbacks, optional
 *    members of request records). A request, index or Items list that is
 *    null is reported through the error callback ("HTMLprjAdd: a required
 *    argument is null") and the export returns its failure value: null, 0,
 *    or the unchanged record of HTMLputCfg and HTMLprjFind.
 */
#ifndef VELLUM_VELLUM_H
#define VELLUM_VELLUM_H

#include <stdint.h>
#include <string.h>

#if defined(VELLUM_BUILDING_LIBRARY)
#define VELLUM_API __attribute__((visibility("default")))
#else
#define VELLUM_API
#endif

/* The version of this header. The build takes the library's version from
 * these three lines; VellumVersion() tells which engine a program runs
 * with. */
#define VELLUM_VERSION_MAJOR 0
#define VELLUM_VERSION_MINOR 1
#define VELLUM_VERSION_PATCH 0
/* One number per version, for comparisons: VELLUM_VERSION_AT(0, 1, 0). */
#define VELLUM_VERSION_AT(major, minor, patch) (((major) << 16) | ((minor) << 8) | (patch))
#define VELLUM_VERSION_NUMBER \
  VELLUM_VERSION_AT(VELLUM_VERSION_MAJOR, VELLUM_VERSION_MINOR, VELLUM_VERSION_PATCH)

/* The records of this engine's extensions (the Vellum... records) begin with
 * their Size in bytes, so that a later version can add members at their end
 * without breaking programs built against this header. VELLUM_RECORD_INIT
 * zeroes a record and sets its Size; make every such record with it before
 * an export reads or fills it. A Size the engine does not know (too small,
 * or from a newer header) is refused: the error callback says so and the
 * export returns its failure value. Once a record has grown, one of an
 * older, smaller version is read and filled as far as it goes. */
#define VELLUM_RECORD_INIT(record) \
  (memset(&(record), 0, sizeof(record)), (record).Size = (uint32_t)sizeof(record))

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Containers                                                               */
/* ------------------------------------------------------------------------ */

/* One entry of a CountedStringList: a distinct text and how often it was
 * added (at least 1). */
typedef struct CountedString {
  int32_t UseCount;
  const char* Text;
} CountedString;

/* A list of distinct texts (compared byte for byte), each with a use count.
 * Entries is null when Count is 0. */
typedef struct CountedStringList {
  int32_t Count;
  CountedString* Entries;
} CountedStringList;

struct MapItem;

/* One level of the site map tree. Items is null when Count is 0. */
typedef struct MapItemList {
  int32_t Count;
  struct MapItem* Items;
} MapItemList;

/* One entry of the site map tree. The list that holds an entry owns its
 * texts and its children. Visited is used only while a scan runs; ViewFlags
 * and ViewHandle belong to the desktop editor (the engine neither reads nor
 * copies them; a handle is pointer-sized so that it can name a tree node). */
typedef struct MapItem {
  const char* URL;
  const char* Name;
  MapItemList Children;
  uint8_t Visited;
  uint8_t ViewFlags;
  uintptr_t ViewHandle;
} MapItem;

/* ------------------------------------------------------------------------ */
/* Project                                                                  */
/* ------------------------------------------------------------------------ */

struct Project;

/* The settings of a site map, from the scan mode to the table border: the
 * body of a stored site map and the middle of a SiteMapParams. Colours are
 * six hexadecimal digits without "#". */
typedef struct SiteMapSettings {
  uint8_t Mode;       /* scan: 0 links from a base page, 1 folder, 2 project */
  uint8_t OutputType; /* page layout 0 to 6 */
  const char* OutputFile;
  const char* ImageFolder;
  const char* SchemeName;
  const char* BgColor;
  const char* BackgroundImage;
  const char* Title;
  const char* TextAbove;
  const char* TextBelow;
  const char* HeadTags;
  const char* ComboTitle;
  const char* TopCrumbText;
  const char* CollapseText;
  const char* ExpandText;
  const char* CrumbSeparator;
  const char* OtherName;
  const char* FontColor;
  const char* LinkColor;
  const char* VisitedColor;
  uint8_t FontSize;    /* index 0 to 6 */
  uint8_t FontStyle;   /* 0 regular, 1 bold, 2 italic, 3 bold italic */
  uint8_t TopListType; /* 0 circle, 1 disc, 2 square, 3 no bullet */
  uint8_t SubListType; /* as TopListType */
  int32_t TableBorder;
} SiteMapSettings;

/* The parameter record of a site map: the request of HTMLgenSiteMap (scan)
 * and HTMLGSiteMap (generate), and the Params of AddRequest and ItemStore. */
typedef struct SiteMapParams {
  const char* BasePath;       /* scan: base page or folder; generate:
                                 base of relative links; stored: name */
  struct Project* StartEntry; /* scan mode 2 only */
  SiteMapSettings Settings;   /* members 3 to 27 */
  MapItemList* Items;         /* the tree to scan into or generate from */
} SiteMapParams;

/* The site map a new project starts with, as the front ends make it:
 * HTMLprjAdd with Position 0, Kind VELLUM_KIND_SSITEMAP, these parameters and
 * the flag word VELLUM_NEW_SITE_MAP_FLAGS. The texts are string literals. */
#define VELLUM_NEW_SITE_MAP_FLAGS 0x3F8Fu

static inline SiteMapParams VellumNewSiteMapParams(void) {
  SiteMapParams params;
  memset(&params, 0, sizeof params);
  params.Settings.OutputFile = "sitemap.html";
  params.Settings.ImageFolder = "img";
  params.Settings.BgColor = "FFFFFF";
  params.Settings.Title = "Site Map";
  params.Settings.ComboTitle = "Navigate";
  params.Settings.TopCrumbText = "Top";
  params.Settings.CollapseText = "Collapse all";
  params.Settings.ExpandText = "Expand all";
  params.Settings.CrumbSeparator = "/";
  params.Settings.OtherName = "Other";
  params.Settings.FontColor = "000000";
  params.Settings.LinkColor = "0000FF";
  params.Settings.VisitedColor = "000080";
  params.Settings.FontSize = 1;
  params.Settings.TableBorder = 1;
  return params;
}

/* ScanFlags, the flag word of HTMLgenSiteMap. */
#define VELLUM_SCAN_INCLUDE_BASE 0x01u
#define VELLUM_SCAN_IGNORE_BOOKMARKS 0x02u
#define VELLUM_SCAN_IGNORE_ARGUMENTS 0x04u
#define VELLUM_SCAN_META_DESCRIPTION 0x10u
#define VELLUM_SCAN_ADD_OTHER_SITES 0x20u
#define VELLUM_SCAN_FOLLOW_OTHER_SITES 0x40u

/* GenerateFlags, the flag word of HTMLGSiteMap (and of a stored site map).
 * Bits not listed have no effect on generation. */
#define VELLUM_GEN_RELATIVE_LINKS 0x8u          /* strip BasePath's folder from targets */
#define VELLUM_GEN_BREADCRUMBS 0x80u            /* paged list: trail of parent pages */
#define VELLUM_GEN_CHILD_COUNTS 0x100u          /* paged list: "(n)" behind branch links */
#define VELLUM_GEN_EXPAND_COLLAPSE_LINKS 0x200u /* script tree */
#define VELLUM_GEN_LETTER_BAR_BEFORE 0x400u     /* index page */
#define VELLUM_GEN_LETTER_BAR_AFTER 0x800u      /* index page */
#define VELLUM_GEN_USE_FONT_SIZE 0x1000u        /* FONT tags carry SIZE */
#define VELLUM_GEN_USE_FONT_COLOR 0x2000u       /* FONT tags carry COLOR, BODY carries TEXT */
#define VELLUM_GEN_USE_LINK_COLOR 0x4000u       /* BODY carries LINK */
#define VELLUM_GEN_USE_VISITED_COLOR 0x8000u    /* BODY carries VLINK */
#define VELLUM_GEN_PAGE_FOOTER 0x20000u         /* the generator paragraph */
#define VELLUM_GEN_NO_OUTPUT_LIST 0x40000u      /* preview: register nothing */

/* OutputType, the page layout of a site map (SiteMapSettings.OutputType).
 * Any other value gives the page frame with an empty body. */
enum {
  VELLUM_OUTPUT_UL_LIST = 0,       /* nested UL lists */
  VELLUM_OUTPUT_PAGED_UL_LIST = 1, /* a page per branch, with a trail */
  VELLUM_OUTPUT_ICON_TREE = 2,     /* nested tables with icons */
  VELLUM_OUTPUT_SCRIPT_TREE = 3,   /* expandable tree driven by two scripts */
  VELLUM_OUTPUT_NAV_COMBO = 4,     /* drop-down navigation list */
  VELLUM_OUTPUT_INDEX_PAGE = 5,    /* alphabetical index with letter pictures */
  VELLUM_OUTPUT_LEVEL_TABLE = 6,   /* a table column per tree level */
  VELLUM_OUTPUT_XML_SITEMAP = 7,   /* not a page: the sitemaps.org XML file of
                                      the site's public addresses, for search
                                      engines (an index and numbered parts
                                      beyond 50,000 addresses or 50 MB; gzip
                                      when the file name ends in ".gz") */
  VELLUM_OUTPUT_TEXT_SITEMAP = 8   /* not a page: the same addresses as the XML
                                      site map, one a line in UTF-8 (a file of
                                      50,000 at most, the rest in numbered files
                                      beside it; gzip as for the XML map) */
};

/* The kinds of script items. This system edits and generates only
 * VELLUM_KIND_SSITEMAP (a site map whose tree is stored in the project); the
 * others are read from project files, kept and written back unchanged. */
enum {
  VELLUM_KIND_CHECK = 1,
  VELLUM_KIND_CHRTRAN = 2,
  VELLUM_KIND_METATAG = 3,
  VELLUM_KIND_PACK = 4,
  VELLUM_KIND_PASTE = 5,
  VELLUM_KIND_REPORT = 6,
  VELLUM_KIND_STRTRAN = 7,
  VELLUM_KIND_UPLOAD = 8,
  VELLUM_KIND_COMMAND = 9,
  VELLUM_KIND_SITEMAP = 10,
  VELLUM_KIND_SSITEMAP = 11,
  VELLUM_KIND_GALLERY = 12,
  VELLUM_KIND_SGALLERY = 13,
  VELLUM_KIND_MP3LIST = 14,
  VELLUM_KIND_SMP3LIST = 15
};

/* The values of the script kinds this system does not edit, kept in file
 * order: small digit values first, then texts, then numbers. */
typedef struct ScriptValues {
  uint8_t Digits[8];
  const char* Texts[22];
  int32_t Numbers[6];
} ScriptValues;

/* One entry of a project's script list. Kinds 10 and 11 keep their settings
 * in Body.SiteMap, the others in Body.Other. Entries holds the site map tree
 * (kind 11), gallery entries (kind 13: URL and Name) or MP3 entries (kind
 * 15: URL); it is empty for the other kinds. */
typedef struct ScriptItem {
  uint8_t Kind;
  const char* Name;
  union {
    SiteMapSettings SiteMap;
    ScriptValues Other;
  } Body;
  uint32_t Flags; /* for a site map: its GenerateFlags */
  MapItemList Entries;
} ScriptItem;

/* A file already put on an upload target, with the size and last-write time
 * (local time) it had then. */
typedef struct UploadedFile {
  const char* Path;
  int32_t Size;
  int8_t Day;      /* 1 to 31 */
  int8_t Month;    /* 0 to 11 */
  int16_t Year;    /* four digits */
  int32_t Seconds; /* since midnight */
} UploadedFile;

/* OutputTarget flags. */
#define VELLUM_TARGET_FTP 1u
#define VELLUM_TARGET_PASSIVE 2u
#define VELLUM_TARGET_TEXT 4u
#define VELLUM_TARGET_FIREWALL 8u
#define VELLUM_TARGET_SELECTED 16u

/* An upload destination: a folder, or an FTP server when Flags has
 * VELLUM_TARGET_FTP. As the Data of a PrmRequest, only the five texts, Port
 * and Flags are read. */
typedef struct OutputTarget {
  const char* URL;
  const char* Folder;
  const char* Server;
  const char* Login;
  const char* Password;
  int32_t Port;
  uint32_t Flags;
  int32_t UploadedCount;
  UploadedFile* UploadedFiles;
} OutputTarget;

/* The one open project. Texts are absent or non-empty, except that a project
 * file may give an empty Source, Description or Macros. */
typedef struct Project {
  const char* Source; /* start page (Type 0) or folder (Type 1) */
  const char* Description;
  uint8_t Type; /* 0 page and links, 1 folder, 2 none */
  const char* Macros;
  int32_t MacrosLength;
  const char* FilePath; /* opened from or last saved to; not stored */
  int32_t TargetCount;
  OutputTarget* Targets;
  int32_t AddedCount;
  const char** OutputList; /* files added to the site */
  int32_t RemovedCount;
  const char** RemovedFiles; /* files taken out of the site */
  ScriptItem* Items;
  int32_t ItemCount;
  int32_t Modified;
  uint32_t CompessProperties;    /* page compression options */
  uint32_t UploadProperties;     /* upload options */
  CountedStringList SourceFiles; /* computed, not stored */
} Project;

/* Argument of HTMLparam. MacrosLength counts the characters of Macros. */
typedef struct ProjectParams {
  const char* Source;
  const char* Description;
  uint8_t Type;
  const char* Macros;
  int32_t MacrosLength;
} ProjectParams;

/* Argument of HTMLchsource. A negative Type keeps the current one. */
typedef struct SourceChange {
  const char* Source;
  int32_t Type;
} SourceChange;

/* Argument of HTMLprjAdd: a new item of Kind inserted at Position (0 to the
 * item count), filled from Params, with the flag word Flags. */
typedef struct AddRequest {
  int32_t Position;
  uint32_t Kind;
  const SiteMapParams* Params;
  uint32_t Flags;
} AddRequest;

/* Argument of HTMLsvItem: Params stored into Item, an item of the open
 * project. The item's tree becomes a copy of *Params->Items when that is
 * given and is not the item's own list. */
typedef struct ItemStore {
  ScriptItem* Item;
  const SiteMapParams* Params;
} ItemStore;

/* Operations of HTMLprjPrm. */
enum {
  VELLUM_PRM_MODIFY_TARGET = 0, /* Data: const OutputTarget* */
  VELLUM_PRM_APPEND_TARGET = 1, /* Data: const OutputTarget* */
  VELLUM_PRM_DELETE_TARGET = 2, /* Data: unused */
  VELLUM_PRM_ADD_FILE = 3,      /* Data: const char* */
  VELLUM_PRM_REMOVE_FILE = 4    /* Data: const char* */
};

/* Argument of HTMLprjPrm. Index selects the target; deleting the last target
 * writes the new last index back. */
typedef struct PrmRequest {
  uint32_t Operation;
  int32_t Index;
  const void* Data;
} PrmRequest;

/* Argument of HTMLprjFind. */
typedef struct FindRequest {
  const char* Text;
  int32_t ElementTextOnly; /* 0: also search the whole file text */
  int32_t MatchCase;       /* non-zero: case-sensitive */
} FindRequest;

/* UploadProperties bits of a project. */
#define VELLUM_UPLOAD_RESOURCES 0x1u      /* also the local files pages refer to */
#define VELLUM_UPLOAD_LOWER_CASE 0x2u     /* references and names in lower case */
#define VELLUM_UPLOAD_SKIP_UNCHANGED 0x4u /* skip files whose size and time match */
#define VELLUM_UPLOAD_COMPRESS 0x8u       /* send pages compressed */

/* Argument of HTMLprjUpload. Selection holds one byte per target of the
 * project, in target order; non-zero selects it. */
typedef struct UploadRequest {
  uint32_t UploadProperties;   /* the project's new UploadProperties */
  uint32_t CompressProperties; /* the project's new CompessProperties */
  const uint8_t* Selection;
  int32_t RequireTarget; /* non-zero: refuse when no target is selected */
} UploadRequest;

/* ------------------------------------------------------------------------ */
/* Configuration                                                            */
/* ------------------------------------------------------------------------ */

struct ImageScheme;

/* The engine's settings and installation state. The first nine members are
 * persisted in Vellum.cfg; texts are absent or non-empty. The rest is filled
 * by the engine's start-up and is read-only for callers. */
typedef struct EngineConfig {
  const char* ExtPage;  /* page patterns: "*.htm;*.html" */
  const char* ExtPicts; /* picture patterns, same form */
  const char* Editor;
  const char* Firewall;
  int32_t PortFW;
  int32_t Passive;
  const char* Proxy;
  int32_t PortProxy; /* 0: Proxy is used as it stands */
  int32_t UseProxy;
  int32_t Started;
  const char* RootFolder; /* null until start-up found it; ends in a separator */
  /* null until start-up made it; "" when none could be made; else the
   * engine's own folder, ending in a separator, removed at process end */
  const char* TempFolder;
  int32_t SchemeCount;
  const struct ImageScheme* Schemes;
} EngineConfig;

/* ------------------------------------------------------------------------ */
/* Callbacks                                                                */
/* ------------------------------------------------------------------------ */

/* Progress lines and complaints about the engine's own text files. The text
 * is valid during the call only; the result is not used. */
typedef int32_t (*InfoCallback)(const char* text);
/* Failures. The text is valid during the call only; the result is not used. */
typedef int32_t (*ErrorCallback)(const char* text);
/* A yes/no question (non-zero: yes). Asked by an upload before it sends a
 * file that lies outside the project's folder, and by a generation before it
 * writes there or copies a picture from there; without the callback the
 * answer is no. */
typedef int32_t (*QuestionCallback)(const char* text);

/* ------------------------------------------------------------------------ */
/* Lifecycle and configuration                                              */
/* ------------------------------------------------------------------------ */

/* The version of the engine: VELLUM_VERSION_NUMBER as it was built. */
VELLUM_API uint32_t VellumVersion(void);

/* Starts the engine once per process (installation root from program_path,
 * the running program's file, or without one from the environment variable
 * ZAZERIDOV; configuration, pictures, temporary folder), then stores the
 * callbacks; any of them may be null. What that first start-up reported is
 * delivered through them as soon as they are stored. A later call only
 * replaces the callbacks. The reserved words are accepted and ignored (pass
 * 0). Returns 1. */
VELLUM_API int32_t HTMLinitmess(InfoCallback info, ErrorCallback error, QuestionCallback question,
                                int32_t reserved1, int32_t reserved2, const char* program_path);

/* Returns the engine's configuration record. The argument is ignored. */
VELLUM_API EngineConfig* HTMLgetCfg(int32_t unused);

/* Copies the nine persisted settings from *settings (which may be the
 * engine's own record) and writes the user's Vellum.cfg
 * ($XDG_CONFIG_HOME/vellumark/, else ~/.config/vellumark/); failures go to the
 * error callback. A text the file cannot hold (a double quote that no
 * backslash keeps, a final backslash) and a negative port are refused with a
 * message, keeping the old value. Returns the engine's configuration record. */
VELLUM_API EngineConfig* HTMLputCfg(const EngineConfig* settings);

/* ------------------------------------------------------------------------ */
/* Project                                                                  */
/* ------------------------------------------------------------------------ */

/* Closes the open project and reads the project file at path. Returns the
 * project whether or not the file could be read; failures are reported
 * through the callbacks and the project keeps what was read. */
VELLUM_API Project* HTMLprjOpen(const char* path);

/* Frees the project's content and returns it to the empty state. The
 * argument is ignored. Returns the project. */
VELLUM_API Project* HTMLprjClose(int32_t unused);

/* Writes the project to path (which becomes its file path and clears
 * Modified), or with a null path to the file path it has. Returns the
 * project when the file was written whole, null otherwise. */
VELLUM_API Project* HTMLprjSave(const char* path);

/* Sets the project's Source, Description, Type and Macros. Returns the
 * project when anything changed, null when nothing did. */
VELLUM_API Project* HTMLparam(const ProjectParams* params);

/* Sets the project's Source (and Type unless negative) and recomputes its
 * source files. Returns 0. */
VELLUM_API int32_t HTMLchsource(const SourceChange* change);

/* Inserts a script item. Returns the project, or null when memory ran out. */
VELLUM_API Project* HTMLprjAdd(const AddRequest* request);

/* Removes the script item at *index; an index out of range does nothing.
 * Returns 0. */
VELLUM_API int32_t HTMLprjDelete(int32_t* index);

/* Swaps the script item at *index with the one before it and writes the new
 * index back; at the first place nothing moves. Returns 0. */
VELLUM_API int32_t HTMLprjUp(int32_t* index);

/* Swaps the script item at *index with the one after it and writes the new
 * index back; at the last place nothing moves. Returns 0. */
VELLUM_API int32_t HTMLprjDown(int32_t* index);

/* Searches the project's source files for request->Text. Returns the
 * engine's list of found paths (a path found n times has use count n); it
 * stays valid until HTMLprjEFind or the next search. */
VELLUM_API CountedStringList* HTMLprjFind(const FindRequest* request);

/* Empties the list of found paths. Returns 0. */
VELLUM_API int32_t HTMLprjEFind(void);

/* Changes the upload targets or the lists of added and removed files (see
 * the VELLUM_PRM_ operations); may write request->Index back. Returns 0. */
VELLUM_API int32_t HTMLprjPrm(PrmRequest* request);

/* Stores request->Params into request->Item. Returns 0. */
VELLUM_API int32_t HTMLsvItem(const ItemStore* request);

/* ------------------------------------------------------------------------ */
/* Scan, generate, publish                                                  */
/* ------------------------------------------------------------------------ */

/* Replaces *params->Items with the tree of a scan of the site: from the base
 * page params->BasePath (Mode 0), the folder params->BasePath (Mode 1) or
 * the project params->StartEntry (Mode 2), as flags (VELLUM_SCAN_) ask.
 * Returns 1; or 0, leaving *params->Items as it was, when the scan cannot
 * start (a base page that cannot be read, a folder that does not exist),
 * params or Items is null, or the scan ended on a failure it reported
 * ("memory overflou", "runtime error #999"). Failures are reported through
 * the callbacks. */
VELLUM_API int32_t HTMLgenSiteMap(const SiteMapParams* params, uint32_t flags);

/* Writes the site map page of *params->Items with the settings of params and
 * the GenerateFlags flags (VELLUM_GEN_), copies the pictures and scripts it
 * needs and registers the written files in the project's OutputList. All
 * files are put in place together once every one is whole, and then each
 * page is announced through the info callback; after a failure none is, and
 * the files there before stay. A file the project reads (its project file,
 * a page of its tree, its background picture) is never written over, and a
 * place outside the project's folder (not named with VellumChooseOutput) is
 * written only when the question callback says yes. Returns non-zero on
 * success; 0 when it failed (always after "memory overflou" or "runtime
 * error #999") or params or Items is null; failures are reported through
 * the callbacks. */
VELLUM_API int32_t HTMLGSiteMap(const SiteMapParams* params, uint32_t flags);

/* Publishes the project's registered files to the selected targets and
 * records each upload on its target. Returns 0; every outcome is reported
 * through the callbacks. A file an FTP server refused, or whose transfer
 * broke off, gets its "Unable upload '...'" line on the info callback
 * followed by one more: three spaces, the file in quotes, " - ", then
 * "server reply: " and the server's answer ("550 ...") or "transfer
 * failed: " and the reason. The records are made in the project as each
 * file arrives and reach the project file at its next save. */
VELLUM_API int32_t HTMLprjUpload(const UploadRequest* request);

/* ------------------------------------------------------------------------ */
/* Extensions of this engine                                                */
/* ------------------------------------------------------------------------ */

/* What the last HTMLprjUpload did, counted over every selected target. A
 * file the user refused to send from outside the project counts as failed
 * on each target; files an upload left because the progress callback
 * stopped it are counted by VellumLastUploadNotSent only. */
typedef struct VellumUploadCounts {
  uint32_t Size;   /* VELLUM_RECORD_INIT */
  int32_t Sent;    /* files sent whole */
  int32_t Skipped; /* files passed over as unchanged since their last upload */
  int32_t Failed;  /* files not sent: missing, refused or failed on the way */
} VellumUploadCounts;

/* Fills *counts; returns 1, or 0 for a null or unknown record. */
VELLUM_API int32_t VellumLastUploadCounts(VellumUploadCounts* counts);

/* HTMLsvItem, then the item's flag word (the GenerateFlags of a site map):
 * a changed word marks the project modified, as a changed setting does.
 * Returns 0; a null request, Item or Params is refused as HTMLsvItem
 * refuses it. */
VELLUM_API int32_t VellumStoreItem(const ItemStore* request, uint32_t flags);

/* Has SIGINT, SIGTERM and SIGHUP remove what the engine would remove at a
 * normal exit (its temporary folder, a file half written beside the one it
 * replaces) before they end the process as they would have. For programs
 * that install no handlers of their own for these signals. Returns 1. */
VELLUM_API int32_t VellumCleanUpOnSignals(void);

/* Names path (relative to the current folder) as an output file that the
 * user chose for this run, on a command line or in a dialog, not one read
 * from a project file: HTMLGSiteMap writes a site map to that file, and its
 * pages and pictures into its folder and the folders below it, without the
 * question that a place outside the project's folder asks. A null path
 * forgets every one named so far. Returns 1. */
VELLUM_API int32_t VellumChooseOutput(const char* path);

/* Editing a MapItem tree in place (the site map of a project's item, or
 * any tree the caller keeps with these functions): texts are copied, entries
 * are the engine's. Pointers into a list that an insertion or removal
 * changes are invalidated.
 *
 * VellumTreeAppend adds an entry (copies of url and name; null for none) at
 * the end of list; null when memory ran out. VellumTreeInsertAfter inserts an
 * empty entry behind entry in whichever list of the tree at root holds it;
 * null when entry is not in the tree or memory ran out. VellumTreeMove swaps
 * entry with its next (down non-zero) or previous sibling; 1 when entry is in
 * the tree, else 0. VellumTreeRemove removes entry with its whole subtree; 1
 * when it was in the tree, else 0. VellumTreeSetText sets *text (an entry's
 * URL or Name) by the editor's rule: an absent or empty value makes it absent,
 * an equal one is left alone, another replaces it with a copy; 1 when it
 * changed, else 0. */
VELLUM_API MapItem* VellumTreeAppend(MapItemList* list, const char* url, const char* name);
VELLUM_API MapItem* VellumTreeInsertAfter(MapItemList* root, const MapItem* entry);
VELLUM_API int32_t VellumTreeMove(MapItemList* root, const MapItem* entry, int32_t down);
VELLUM_API int32_t VellumTreeRemove(MapItemList* root, const MapItem* entry);
VELLUM_API int32_t VellumTreeSetText(const char** text, const char* value);

/* The same trees by place: an entry named by its list and its index there,
 * which stays meaningful across edits where a pointer does not.
 *
 * VellumTreeEntry returns the entry at a path of depth indexes from root
 * (rows[0] in root, rows[1] among that entry's children, ...); null when
 * depth is below 1 or an index is out of range. VellumTreeSize counts the
 * entries of list and of every list below it (0 for null). VellumTreeInsert
 * inserts an entry (copies of url and name; null for none) at index (0 to
 * Count) of list; null when index is out of range or memory ran out.
 * VellumTreeTransfer moves the entry at index of from, with its subtree, to
 * place to_index of to (counted as to stands once the entry has left from;
 * to may be from): 1 when it moved; 0, and nothing changed, when an index is
 * out of range, to is the entry's child list or a list below it, or memory
 * ran out. A list the caller keeps can hold entries between two transfers
 * (a removal that may be taken back). VellumTreeSwap exchanges the entries
 * of two lists (1; 0 when one is null). VellumTreeClear removes every entry
 * of list with its subtree (1; 0 for null). None of these marks a project
 * modified: the caller knows whether the list is a project's. */
VELLUM_API MapItem* VellumTreeEntry(MapItemList* root, const int32_t* rows, int32_t depth);
VELLUM_API int32_t VellumTreeSize(const MapItemList* list);
VELLUM_API MapItem* VellumTreeInsert(MapItemList* list, int32_t index, const char* url,
                                     const char* name);
VELLUM_API int32_t VellumTreeTransfer(MapItemList* from, int32_t index, MapItemList* to,
                                      int32_t to_index);
VELLUM_API int32_t VellumTreeSwap(MapItemList* a, MapItemList* b);
VELLUM_API int32_t VellumTreeClear(MapItemList* list);

/* What a long engine call is doing: given to the progress callback before
 * each page a scan reads and before each file an upload handles. The record
 * and its texts are the engine's and valid during the call only. */
typedef struct VellumProgress {
  uint32_t Size;      /* of this record as the engine made it: members
                         beyond it are not there */
  int32_t Kind;       /* VELLUM_PROGRESS_SCAN or VELLUM_PROGRESS_UPLOAD */
  int32_t Done;       /* pages read / files handled so far, over all the
                         upload's targets (0 at the first) */
  int32_t Total;      /* files the whole upload handles / pages the scan
                         has found so far, read or waiting to be read */
  const char* Item;   /* the page about to be read (its address or path, as
                         the scan reads it) / the file about to be sent or
                         passed over (its path as registered or found);
                         null while the engine waits between items */
  const char* Target; /* upload: the target's URL, or without one its FTP
                         server (as written in the target) or its folder;
                         "" when it has none; null for a scan */
  int32_t Failed;     /* scan: pages that could not be read so far; 0 for
                         an upload */
} VellumProgress;

enum { VELLUM_PROGRESS_SCAN = 1, VELLUM_PROGRESS_UPLOAD = 2 };

/* Called synchronously, on the thread of the engine call, like the message
 * callbacks; a call of the engine from it is refused. Returns non-zero to
 * ask the engine to stop: the page or file it was told of is not read or
 * handled, nor is any after it. */
typedef int32_t (*VellumProgressCallback)(const VellumProgress* progress);

/* Sets the progress callback, or removes it with null; it stays set until
 * it is replaced or removed (HTMLinitmess leaves it alone). Without one the
 * engine's calls run as they always have. Returns 1.
 *
 * HTMLgenSiteMap asks it once before each page it reads. Following links
 * (Mode 0, and Mode 2 with a project of Type 0): the base page first, then
 * the pages it links, then the pages those link, and so on (each level in
 * the order the links were met), a page that turns out missing included;
 * over HTTP several are read at once, so a page is announced before the
 * pages before it are all read. Listing a folder (Mode 1): each page file in listing
 * order; Mode 2 with any other project: each of its source files in order.
 * Pages left out as the output file are not read and not announced. While
 * a scan over HTTP waits for answers it calls the callback at least every
 * 100 ms with Item null and the counts so far, so that a stop is heard even
 * when no page arrives. When
 * the callback asks to stop, the scan reads no further page, *params->Items
 * is left exactly as it was before the call, the info callback gets the one
 * line "Scan stopped\n" (nothing goes to the error callback) and
 * HTMLgenSiteMap returns 0.
 *
 * HTMLprjUpload asks it once before each file that it sends or passes over
 * as unchanged, target by target in target order and file by file in
 * upload order. Total, known from the first call on, is the number of
 * selected targets times the files of the upload, less the files the user
 * refused to send from outside the project (those are never announced).
 * The files of a target that cannot be reached at all (its FTP server
 * unknown, refusing the connection or the login, or its remote folder
 * missing) are not handled and not announced: they are reported as failed
 * as before, and Done moves past all of them at once, so the next file
 * announced counts them as done. When the callback asks to stop, the
 * upload handles no further file on any target: the files sent before stay
 * recorded on their targets (an upload with VELLUM_UPLOAD_SKIP_UNCHANGED
 * later sends only the rest), an FTP connection is closed as usual, nothing
 * goes to the error callback, and the info callback gets the one line
 * "Upload stopped: N files not sent\n" ("1 file" for one), N being
 * VellumLastUploadNotSent(). */
VELLUM_API int32_t VellumSetProgressCallback(VellumProgressCallback callback);

/* The same callback with a pointer of the caller's, given back unchanged at
 * every call. */
typedef int32_t (*VellumProgressHandler)(const VellumProgress* progress, void* user_data);

/* Sets the progress callback as VellumSetProgressCallback does, with
 * user_data for it; either function replaces what the other set, and null
 * removes it. Returns 1. */
VELLUM_API int32_t VellumSetProgressHandler(VellumProgressHandler handler, void* user_data);

/* 1 when the last HTMLgenSiteMap or HTMLprjUpload stopped because the
 * progress callback asked it to, else 0 (also before any such call). Each
 * of those calls sets it anew as it starts. */
VELLUM_API int32_t VellumLastCallStopped(void);

/* What the last HTMLprjUpload did for the target at index (in the project's
 * target list at the time of the upload), into *counts; all zero for a
 * target it did not handle or an index out of range. The counts of every
 * target add up to VellumLastUploadCounts. A target the upload stopped in
 * holds what it did up to the stop. Returns 1, or 0 for a null or unknown
 * record. */
VELLUM_API int32_t VellumLastUploadTargetCounts(int32_t index, VellumUploadCounts* counts);

/* How many files the last HTMLprjUpload did not handle because the progress
 * callback stopped it (0 when it ran to its end): Total less Done at the
 * call that asked to stop, the file it was told of included. */
VELLUM_API int32_t VellumLastUploadNotSent(void);

/* ------------------------------------------------------------------------ */
/* Extensions: the site a project keeps, and how scans crawl it             */
/* ------------------------------------------------------------------------ */

/* Orders of the tree a scan builds, level by level. */
enum {
  VELLUM_ORDER_NAME = 0,    /* link names by their bytes (the default) */
  VELLUM_ORDER_NATURAL = 1, /* numbers by value, letters without case */
  VELLUM_ORDER_FOUND = 2    /* the order the scan met the pages in */
};

/* What the open project keeps about its site. Stored in the project file
 * (only when something differs from these defaults: all zero and empty) and
 * used by every later HTMLgenSiteMap and HTMLGSiteMap. */
typedef struct VellumSiteSettings {
  uint32_t Size;         /* VELLUM_RECORD_INIT */
  int32_t PageLimit;     /* pages a scan reads at most; 0: 100,000 */
  int32_t DepthLimit;    /* links a scan follows from the base page at most;
                            0: any number */
  const char* Include;   /* address patterns, separated by ";": when given, a
                            page is taken only when it matches one; "*" stands
                            for any run of characters, "?" for one */
  const char* Exclude;   /* address patterns no page may match */
  int32_t Order;         /* VELLUM_ORDER_ */
  const char* SiteURL;   /* the public address of the site a scan of a folder
                            or of a page on disk finds: the scan's base folder
                            is published there */
  int32_t SitemapExtras; /* VELLUM_SITEMAP_ flags (others are dropped):
                            what the XML site map says of each page beside
                            its address; the scans that follow collect it
                            from the pages */
} VellumSiteSettings;

/* VellumSiteSettings.SitemapExtras. */
#define VELLUM_SITEMAP_IMAGES                 \
  0x1u /* image:image entries (Google's image \
          extension): the pictures (IMG SRC)  \
          of the site's own pages, at most    \
          1,000 a page */
#define VELLUM_SITEMAP_ALTERNATES           \
  0x2u /* xhtml:link entries: the language  \
          versions a page names in its head \
          (LINK rel="alternate" hreflang) */

/* Fills *settings with the open project's site settings; the texts are the
 * engine's, never null, and valid until the next VellumSetSiteSettings or
 * the project's close. Returns 1, or 0 for a null or unknown record. */
VELLUM_API int32_t VellumGetSiteSettings(VellumSiteSettings* settings);

/* Replaces the open project's site settings (a null text counts as empty).
 * A change marks the project modified. Returns 1 when anything changed, 0
 * when nothing did or settings is null or unknown. */
VELLUM_API int32_t VellumSetSiteSettings(const VellumSiteSettings* settings);

/* How this process's scans treat the sites they read: the user's choices,
 * not the project's. */
typedef struct VellumScanOptions {
  uint32_t Size;        /* VELLUM_RECORD_INIT */
  int32_t PageSeconds;  /* a page's download may take at most this long;
                           0: 60 seconds */
  int32_t Connections;  /* connections to one host at once; 0: 4 */
  int32_t DelayMs;      /* pause between two requests to one host; a
                           robots.txt Crawl-delay that is longer wins, up
                           to 30 s */
  int32_t IgnoreRobots; /* non-zero: robots.txt, META robots and
                           rel="nofollow" are not honoured */
} VellumScanOptions;

/* Sets the options of later scans (all zero restores the defaults).
 * Returns 1, or 0 for a null or unknown options. */
VELLUM_API int32_t VellumSetScanOptions(const VellumScanOptions* options);

/* A link the last HTMLgenSiteMap could not read. */
typedef struct VellumBrokenLink {
  uint32_t Size;       /* VELLUM_RECORD_INIT */
  const char* Address; /* the link, as the scan resolved it */
  const char* Page;    /* the page that links it; "" for the base page */
  int32_t Status;      /* the HTTP status (404, ...); 0 when none came */
  const char* Reason;  /* what went wrong, in words */
} VellumBrokenLink;

/* The broken links of the last HTMLgenSiteMap, in the order they were met;
 * the texts stay valid until the next scan. */
VELLUM_API int32_t VellumBrokenLinkCount(void);
/* Fills *link with the broken link at index. Returns 1; 0, the record all
 * null and zero, for an index out of range; 0 for a null or unknown
 * record. */
VELLUM_API int32_t VellumBrokenLinkAt(int32_t index, VellumBrokenLink* link);

/* ------------------------------------------------------------------------ */
/* Extensions: update from the site                                         */
/* ------------------------------------------------------------------------ */

/* What an update from the site did to an entry (VellumChange.Kind). */
enum {
  VELLUM_CHANGE_ADDED = 1,     /* a new page of the site, put into the tree
                                  under Parent ("" at the top level) */
  VELLUM_CHANGE_REMOVED = 2,   /* a page gone from the site, taken out; what
                                  it held moved up into its place */
  VELLUM_CHANGE_RENAMED = 3,   /* the site renamed the page and the user had
                                  not: Name is the new name, Detail the old */
  VELLUM_CHANGE_KEPT_NAME = 4, /* the site renamed the page, the user had
                                  renamed it too: the user's Name stays,
                                  Detail is the site's name */
  VELLUM_CHANGE_KEPT_GONE = 5, /* not found on the site but kept, because the
                                  user renamed it or made it by hand (Detail:
                                  "renamed by hand" or "made by hand") */
  VELLUM_CHANGE_KEPT_PLACE = 6 /* found again where the user moved it, and
                                  kept there */
};

/* One change of an update. The texts are the engine's, valid until the next
 * VellumUpdateFromSite. */
typedef struct VellumChange {
  uint32_t Size;       /* VELLUM_RECORD_INIT */
  int32_t Kind;        /* VELLUM_CHANGE_ */
  const char* Address; /* the entry's URL */
  const char* Name;    /* its link name, as the tree holds it now */
  const char* Detail;  /* see the kinds; "" when none */
  const char* Parent;  /* VELLUM_CHANGE_ADDED: the link name of the entry it
                          went under; "" otherwise */
} VellumChange;

/* The choices of an update (VellumUpdateFromSite). */
enum { VELLUM_UPDATE_DRY_RUN = 1, VELLUM_UPDATE_TRUST_SITEMAP = 2 };

/* Scans the site again as the open project's last scan (HTMLgenSiteMap or
 * an update) scanned it: its mode, base, flags and the site settings, with
 * the scan options of the process. A page that the last scan read and that
 * did not change since is taken over unread: over HTTP each such page is
 * asked for with If-None-Match and If-Modified-Since, and a 304 answer
 * reuses its kept name and links; on disk a file whose size and time did
 * not change is not read. Then merges the new scan into *params->Items, the
 * tree the user edited since the last scan: a page found again keeps the
 * user's name, place and order, and takes the site's new name only when the
 * user never renamed it; a new page goes under the entry that holds its
 * scan parent (or at its place at the top level); a page gone from the site
 * is removed unless the user renamed it; entries the user made stay and
 * entries the user removed stay removed. params->Settings.OutputFile names
 * the page not to list (the site map's own); the rest of params is not used.
 *
 * choice holds VELLUM_UPDATE_ bits. With VELLUM_UPDATE_DRY_RUN nothing
 * changes: the tree and the project stay as they were and the changes tell
 * what an update would do. Otherwise the tree becomes the merged one, the
 * new scan becomes the project's last scan, and the project is marked
 * modified. With VELLUM_UPDATE_TRUST_SITEMAP a web site's own XML site maps
 * are read first (those its robots.txt names in "Sitemap:" lines, else
 * /sitemap.xml; index files followed, on the base page's host only), and a
 * page they list with a <lastmod> no later than the one they gave it at the
 * last update, or ending before the Last-Modified of the copy kept, is taken
 * over from the last scan without a request: as right as the site's maps.
 *
 * Returns 1; or 0, leaving the tree and the project exactly as they were,
 * when the project keeps no scan (the error callback says so), the scan
 * cannot start, or the progress callback stopped it (as for HTMLgenSiteMap:
 * "Scan stopped\n" on the info callback and VellumLastCallStopped() 1).
 * The scan's broken links are given by VellumBrokenLinkAt as after
 * HTMLgenSiteMap. */
VELLUM_API int32_t VellumUpdateFromSite(const SiteMapParams* params, int32_t choice);

/* 1 when the open project keeps a scan that an update can start from. */
VELLUM_API int32_t VellumHasLastScan(void);

/* The changes of the last VellumUpdateFromSite, in the order of the tree
 * (additions last, in the scan's order); none after one that returned 0. */
VELLUM_API int32_t VellumUpdateChangeCount(void);
/* Fills *change with the change at index; returns as VellumBrokenLinkAt. */
VELLUM_API int32_t VellumUpdateChangeAt(int32_t index, VellumChange* change);

/* Pages the last HTMLgenSiteMap or VellumUpdateFromSite read, and pages it
 * took over from the last scan unread because they had not changed. */
typedef struct VellumUpdateCounts {
  uint32_t Size; /* VELLUM_RECORD_INIT */
  int32_t PagesRead;
  int32_t PagesUnchanged;
} VellumUpdateCounts;

/* Fills *counts; returns 1, or 0 for a null or unknown record. */
VELLUM_API int32_t VellumLastUpdateCounts(VellumUpdateCounts* counts);

/* ------------------------------------------------------------------------ */
/* Extensions: how a project's site map pages are written                   */
/* ------------------------------------------------------------------------ */

/* The markup of the site map pages. Classic markup is the pages of the
 * seven layouts as they have always been. HTML5 markup is a standard
 * document in every layout: a DOCTYPE, the language, UTF-8, a viewport for
 * small screens, fonts and colours as CSS, the map in a labelled navigation
 * region; the two trees are keyboard-usable trees (WAI-ARIA tree view) whose
 * entries all show when script does not run; the drop-down list has a label
 * and a button; a page with no colours of its own follows the reader's light
 * or dark scheme. */
enum { VELLUM_MARKUP_CLASSIC = 0, VELLUM_MARKUP_HTML5 = 1 };

/* What the open project keeps about how its pages are written. Stored in the
 * project file only when something differs from these defaults (all zero and
 * empty), and used by every later HTMLGSiteMap. */
typedef struct VellumPageSettings {
  uint32_t Size;    /* VELLUM_RECORD_INIT */
  int32_t Markup;   /* VELLUM_MARKUP_ */
  const char* Lang; /* the language the pages declare in HTML5 markup, a
                       language tag such as "en" or "de-CH"; "" : "en" */
} VellumPageSettings;

/* Fills *settings with the open project's page settings; Lang is the
 * engine's, never null, and valid until the next VellumSetPageSettings or
 * the project's close. Returns 1, or 0 for a null or unknown record. */
VELLUM_API int32_t VellumGetPageSettings(VellumPageSettings* settings);

/* Replaces the open project's page settings (a null Lang counts as empty).
 * A change marks the project modified. Returns 1 when anything changed, 0
 * when nothing did, and 0 leaving everything as it was for a null or unknown
 * settings, an unknown Markup or a Lang that is not a language tag (letters, then
 * groups of letters and digits after "-", up to eight each). */
VELLUM_API int32_t VellumSetPageSettings(const VellumPageSettings* settings);

/* ------------------------------------------------------------------------ */
/* Extensions: secure upload targets and passwords kept out of the project  */
/* ------------------------------------------------------------------------ */

/* How a server target (VELLUM_TARGET_FTP set) is reached. */
enum {
  VELLUM_PROTOCOL_FTP = 0,  /* plain FTP, as every target before these */
  VELLUM_PROTOCOL_SFTP = 1, /* SSH file transfer; the host key is checked
                               against ~/.ssh/known_hosts */
  VELLUM_PROTOCOL_FTPS = 2  /* FTP with explicit TLS (AUTH TLS) on the
                               control and the data connections; the
                               server's certificate is verified */
};

/* Where the password of a target comes from when the target holds none. */
enum {
  VELLUM_PASSWORD_PROJECT = 0, /* the target's Password (none: no password) */
  VELLUM_PASSWORD_NETRC = 1,   /* ~/.netrc, as libcurl reads it */
  VELLUM_PASSWORD_KEYRING = 2, /* the desktop keyring (Secret Service) */
  VELLUM_PASSWORD_ASK = 3      /* the password callback, at upload time */
};

/* What a target keeps beside its OutputTarget record. All zero and null is
 * a target as the project file has always held it. */
typedef struct VellumTargetSecurity {
  uint32_t Size;        /* VELLUM_RECORD_INIT */
  int32_t Protocol;     /* VELLUM_PROTOCOL_; used with VELLUM_TARGET_FTP */
  const char* KeyFile;  /* SFTP: the private key to log in with (its ".pub"
                           beside it); null: ssh-agent and the user's
                           default keys, then the password */
  const char* CAFile;   /* FTPS: certificates (PEM) to verify the server
                           with in place of the system's; null: the system's */
  int32_t PasswordFrom; /* VELLUM_PASSWORD_ */
} VellumTargetSecurity;

/* Fills *security with the settings of target index of the open project;
 * the texts are the engine's, valid until the next change of the targets or
 * the project's close. Returns 1; 0, the record all zero and null, for an
 * index out of range; 0 for a null or unknown record. */
VELLUM_API int32_t VellumGetTargetSecurity(int32_t index, VellumTargetSecurity* security);

/* Replaces the settings of target index (the engine copies the texts; a
 * null or empty text is none). A change marks the project modified. Returns
 * 1 when anything changed, 0 when nothing did, the index is out of range or
 * security is null or unknown or holds an unknown Protocol or PasswordFrom. */
VELLUM_API int32_t VellumSetTargetSecurity(int32_t index, const VellumTargetSecurity* security);

/* Asked by HTMLprjUpload for a password it needs and has not got: prompt
 * names the login, the server and the protocol ("Password for joe on
 * sftp://host:22"). The callback writes the password, NUL-terminated, into
 * password (size bytes, room for the NUL included) and returns non-zero, or
 * returns 0 to give none (the target's files then fail). When it sets
 * *remember to non-zero, the engine stores the password in the desktop
 * keyring once the server took it. Called synchronously on the thread of
 * the engine call; a call of the engine from it is refused. */
typedef int32_t (*VellumPasswordCallback)(const char* prompt, char* password, int32_t size,
                                          int32_t* remember);

/* Sets the password callback, or removes it with null (the engine then
 * asks nobody: a password it cannot find fails the target). Returns 1. */
VELLUM_API int32_t VellumSetPasswordCallback(VellumPasswordCallback callback);

/* ------------------------------------------------------------------------ */
/* Extensions: the kept scan, for undoing a scan or an update               */
/* ------------------------------------------------------------------------ */

/* What the open project keeps of its last scan: the record an update starts
 * from (VellumHasLastScan), with the base and page times the scan left in
 * the site settings. A caller that undoes a scan or an update puts it back
 * as it was, so that a later update merges against the right tree. */
typedef struct VellumKeptScan VellumKeptScan;

/* A copy of the open project's kept scan, to be freed with
 * VellumKeptScanFree; null when it cannot be made. */
VELLUM_API VellumKeptScan* VellumKeptScanCopy(void);

/* Exchanges the open project's kept scan with the one kept holds, and marks
 * the project modified. Returns 1; 0 for a null kept. */
VELLUM_API int32_t VellumKeptScanSwap(VellumKeptScan* kept);

/* Frees a copy; null is allowed. */
VELLUM_API void VellumKeptScanFree(VellumKeptScan* kept);

#ifdef __cplusplus
}

/* For C++: a record made as VELLUM_RECORD_INIT makes it,
 * auto options = VellumRecord<VellumScanOptions>(); */
template <typename Record>
inline Record VellumRecord() {
  Record record;
  VELLUM_RECORD_INIT(record);
  return record;
}

/* For C++: the record an export fills, as it filled it,
 * VellumFilled(VellumGetSiteSettings).SiteURL, VellumFilled(VellumBrokenLinkAt, i). */
template <typename Record>
inline Record VellumFilled(int32_t (*fill)(Record*)) {
  Record record = VellumRecord<Record>();
  fill(&record);
  return record;
}

template <typename Record>
inline Record VellumFilled(int32_t (*fill)(int32_t, Record*), int32_t index) {
  Record record = VellumRecord<Record>();
  fill(index, &record);
  return record;
}
#endif

#endif /* VELLUM_VELLUM_H */
