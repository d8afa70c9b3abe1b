// Qimbra采集器: downloads the photo sets of one gallery site into a folder.
#include <windows.h>

#include "app/win32/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { qimbra::RunProgram(); }
