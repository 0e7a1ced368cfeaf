// The current screen's resource manager and cache, kept apart from the classes so that a
// file link that writes itself needs nothing of their loading side.
#include "document/DS_DocResManager.h"
#include "document/DS_ResourceCache.h"

DS_DocResManager* g_docResManager = nullptr;
DS_ResourceCache* g_resourceCache = nullptr;
