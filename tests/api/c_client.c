/* A C99 client of the engine: compiles the public header as C and calls each
 * export with harmless arguments (a wrong operation among them). Exits 0 when
 * every result is the one documented for an empty engine. */
#include <stdio.h>
#include <string.h>

#include "vellum/vellum.h"

static int failures = 0;

#define CHECK(c) \
  ((c) ? (void)0 : (void)(fprintf(stderr, "line %d: %s\n", __LINE__, #c), ++failures))

static int32_t print_text(const char* text) { return fputs(text, stdout) >= 0; }

static int progress_calls = 0;
static int32_t count_progress(const VellumProgress* progress, void* calls) {
  *(int*)calls += progress->Kind == VELLUM_PROGRESS_SCAN;
  return 0;
}

static int null_reports = 0;
static int32_t count_null(const char* text) {
  null_reports += strstr(text, ": a required argument is null") != NULL;
  return print_text(text);
}

int main(void) {
  MapItemList tree = {0, NULL};
  SiteMapParams params;
  FindRequest find = {"x", 0, 0};
  int32_t index = 0;
  uint8_t selection[1] = {1};
  UploadRequest upload = {1, 0, selection, 0};
  ProjectParams settings = {NULL, NULL, 2, NULL, 0};
  SourceChange source = {NULL, -1};
  AddRequest add = {0, VELLUM_KIND_COMMAND, NULL, 0};
  PrmRequest wrong = {99, 0, NULL};
  ItemStore store;
  Project* project;
  VellumUploadCounts counts;
  VellumChange change;
  VellumUpdateCounts pages;

  VELLUM_RECORD_INIT(counts);
  VELLUM_RECORD_INIT(change);
  VELLUM_RECORD_INIT(pages);
  memset(&params, 0, sizeof params);
  params.Items = &tree;
  add.Params = &params;
  store.Params = &params;
  CHECK(VellumVersion() == VELLUM_VERSION_NUMBER);
  CHECK(HTMLinitmess(print_text, print_text, print_text, 0, 0, "/nowhere/IDE/bramblel") == 1);
  CHECK(HTMLputCfg(HTMLgetCfg(0)) == HTMLgetCfg(0));
  project = HTMLprjClose(0);
  CHECK(project != NULL && project->Type == 2 && project->UploadProperties == 5);
  CHECK(HTMLprjOpen("/nowhere/p.bpj") == project);
  CHECK(HTMLprjSave(NULL) == NULL);
  CHECK(HTMLparam(&settings) == NULL); /* nothing changed */
  settings.Source = "index.html";
  CHECK(HTMLparam(&settings) == project);
  CHECK(HTMLchsource(&source) == 0);
  CHECK(HTMLprjPrm(&wrong) == 0 && project->TargetCount == 0);
  CHECK(HTMLprjAdd(&add) == project && project->ItemCount == 1);
  store.Item = project->Items;
  CHECK(HTMLsvItem(&store) == 0);
  CHECK(VellumStoreItem(&store, 0x5u) == 0 && project->Items[0].Flags == 0x5u);
  CHECK(HTMLprjFind(&find) == HTMLprjFind(&find) && HTMLprjEFind() == 0);
  CHECK(HTMLprjUp(&index) == 0 && HTMLprjDown(&index) == 0 && HTMLprjDelete(&index) == 0);
  CHECK(project->ItemCount == 0);
  CHECK(VellumSetProgressHandler(count_progress, &progress_calls) == 1);
  CHECK(HTMLgenSiteMap(&params, 0) == 0 && tree.Count == 0); /* no base page */
  CHECK(progress_calls == 0 && VellumLastCallStopped() == 0);
  CHECK(VellumSetProgressCallback(NULL) == 1);
  CHECK(HTMLGSiteMap(&params, 0) != 0);
  CHECK(HTMLprjUpload(&upload) == 0 && VellumLastUploadCounts(&counts) == 1 && counts.Sent == 0);
  CHECK(VellumLastUploadTargetCounts(0, &counts) == 1 && counts.Failed == 0);
  CHECK(VellumLastUploadNotSent() == 0);
  CHECK(VellumCleanUpOnSignals() == 1);
  CHECK(VellumHasLastScan() == 0 && VellumUpdateFromSite(&params, 1) == 0); /* nothing kept */
  CHECK(VellumUpdateChangeCount() == 0 && VellumUpdateChangeAt(0, &change) == 0);
  CHECK(change.Address == NULL && change.Size == sizeof change);
  CHECK(VellumLastUpdateCounts(&pages) == 1 && pages.PagesRead == 0);

  /* A null request, index or Items list fails with a report, never a crash. */
  HTMLinitmess(print_text, count_null, print_text, 0, 0, NULL);
  params.Items = NULL;
  store.Item = NULL;
  CHECK(HTMLputCfg(NULL) == HTMLgetCfg(0) && HTMLparam(NULL) == NULL && HTMLchsource(NULL) == 0);
  CHECK(HTMLprjAdd(NULL) == NULL && HTMLprjDelete(NULL) == 0 && HTMLprjUp(NULL) == 0);
  CHECK(HTMLprjDown(NULL) == 0 && HTMLprjFind(NULL) != NULL && HTMLprjPrm(NULL) == 0);
  CHECK(HTMLsvItem(NULL) == 0 && HTMLsvItem(&store) == 0 && VellumStoreItem(&store, 0) == 0);
  CHECK(HTMLgenSiteMap(NULL, 0) == 0 && HTMLgenSiteMap(&params, 0) == 0);
  CHECK(HTMLGSiteMap(NULL, 0) == 0 && HTMLGSiteMap(&params, 0) == 0);
  CHECK(HTMLprjUpload(NULL) == 0);
  CHECK(VellumUpdateFromSite(NULL, 0) == 0 && VellumUpdateFromSite(&params, 0) == 0);
  CHECK(null_reports == 19);
  return failures == 0 ? 0 : 1;
}
