/* Starts the engine as the front ends do, from the path of its own program
 * file, and prints what it reports and the root and patterns it found.
 * Leaves a file in the temporary folder for the clean-up at exit. */
#include <stdio.h>
#include <unistd.h>

#include "vellum/vellum.h"

static int32_t PrintInfo(const char* text) { return printf("info: %s\n", text) > 0; }
static int32_t PrintError(const char* text) { return printf("error: %s\n", text) > 0; }

int main(void) {
  char program[4096], leftover[4096];
  const EngineConfig* config;
  FILE* file;
  ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length < 0) return 1;
  program[length] = '\0';
  HTMLinitmess(PrintInfo, PrintError, NULL, 0, 0, program);
  config = HTMLgetCfg(0);
  printf("root: %s\nExtPage: %s\nExtPicts: %s\n", config->RootFolder, config->ExtPage,
         config->ExtPicts);
  if (config->TempFolder == NULL || config->TempFolder[0] == '\0') return 1;
  snprintf(leftover, sizeof leftover, "%sleftover.txt", config->TempFolder);
  file = fopen(leftover, "w");
  return file == NULL || fclose(file) != 0;
}
