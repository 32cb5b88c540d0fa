#include "show/show_files.h"

#define SAVA_PICTURE_PATH(name, path) path,
const char* const picture_paths[picture_count + 1] = {SAVA_PICTURES(SAVA_PICTURE_PATH) nullptr};
#undef SAVA_PICTURE_PATH

static_assert(picture_count == 224);
