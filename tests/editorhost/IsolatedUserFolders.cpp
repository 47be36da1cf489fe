// Keeps this test program away from the user's real settings and data folders.
#include "tests/IsolatedUserFolders.h"
