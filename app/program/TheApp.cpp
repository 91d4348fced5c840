// The program's one application object; the framework's WinMain runs it.
#include "app/win/TalvenorApp.h"

CTalvenorApp theApp;
