#include "support/TestProcess.h"

void kst_test::PrepareTestProcess() {}
