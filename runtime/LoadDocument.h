#pragma once
// Reading the scene document that the program carries as its resource "DDS" 107: the
// header string, the root slide show with its slides and music, then the resource manager
// with the embedded files.
#include <cstddef>

#include "document/DS_DocResManager.h"
#include "document/DS_IOF.h"
#include "runtime/DS_SlideShow_Light.h"

inline constexpr int kSceneDocumentResourceId = 107;

// The root slide show of the program's own document (the caller owns it); the document's
// manager is then selected with its cache (g_docResManager names it), and the caller takes
// it over. Throws DS_LoadError (the shell's media-missing failure) when the resource is
// missing or empty and when the bytes do not make a whole document.
DS_SlideShow_Light* LoadDocument();
// The same for a document in memory. On failure nothing of the document stays and the
// current manager and cache are the ones from before the call.
DS_SlideShow_Light* LoadDocumentFromMemory(const void* bytes, size_t size);

// The root record, into a new slide show.
DS_SlideShow_Light* ReadRootSlideShow(DS_IOF_Holder stream);
// The manager's record, into a new manager.
DS_DocResManager* ReadDocResManager(DS_IOF_Holder stream);
