/* Starts the engine as the front ends do, from the path of its own program
 * file, and prints the installation root and page patterns it found. Leaves
 * a file in the temporary folder for the clean-up at exit. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "vellum/vellum.h"

static int32_t PrintInfo(const char* text) {
  printf("info: %s\n", text);
  return 1;
}

static int32_t PrintError(const char* text) {
  printf("error: %s\n", text);
  return 1;
}

int main(void) {
  char program[4096];
  char leftover[4096];
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
  if (file == NULL) return 1;
  fclose(file);
  return 0;
}
