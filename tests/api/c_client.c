/* A C99 client of the engine: compiles the public header as C and calls each
 * export once with harmless arguments. Exits 0 when every result is the one
 * documented for an empty engine. */
#include <stdio.h>
#include <string.h>

#include "vellum/vellum.h"

static int failures = 0;

#define CHECK(condition)                                              \
  do {                                                                \
    if (!(condition)) {                                               \
      fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                     \
    }                                                                 \
  } while (0)

static int32_t print_text(const char* text) {
  fputs(text, stdout);
  return 1;
}

int main(void) {
  MapItemList tree = {0, NULL};
  SiteMapParams params;
  FindRequest find = {"x", 0, 0};
  int32_t index = 0;
  uint8_t selection[1] = {1};
  UploadRequest upload = {1, 0, selection, 0};
  Project* project;

  memset(&params, 0, sizeof params);
  params.Items = &tree;

  CHECK(HTMLinitmess(print_text, print_text, print_text, 0, 0, "/nowhere/IDE/bramblel") == 1);
  CHECK(HTMLgetCfg(0) != NULL);
  project = HTMLprjClose(0);
  CHECK(project != NULL);
  CHECK(project->Type == 2);
  CHECK(project->UploadProperties == 5);
  CHECK(HTMLprjFind(&find) != NULL);
  CHECK(HTMLprjEFind() == 0);
  CHECK(HTMLprjDelete(&index) == 0);
  CHECK(HTMLprjUp(&index) == 0);
  CHECK(HTMLprjDown(&index) == 0);
  CHECK(HTMLgenSiteMap(&params, 0) == 1);
  CHECK(tree.Count == 0);
  CHECK(HTMLGSiteMap(&params, 0) != 0);
  CHECK(HTMLprjUpload(&upload) == 0);
  return failures == 0 ? 0 : 1;
}
