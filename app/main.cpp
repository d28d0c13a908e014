// bramblel: the desktop program of the site map tool.
#include "shell/application.h"

int main(int argc, char** argv) { return bramblel::RunApplication(argc, argv); }
