#include "tests/SourceDir.h"

const char* KivSourceDir() { return KIV_SOURCE_DIR; }
