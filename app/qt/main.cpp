// Qimbra采集器: downloads the photo sets of one gallery site into a folder.
#include "app/qt/program.h"

int main(int argc, char** argv) { qimbra::RunProgram(argc, argv); }
