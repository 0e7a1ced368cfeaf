#pragma once
// Registers the reader of every class that a scene document may name in its polymorphic
// records (picture lights, slides, scene items). Call it before the first document load:
// the shell does at its first scene acquisition, tests and the benchmark before they read
// records. Calling it again is harmless: a registration replaces the reader held under the
// same name.
void RegisterDocumentReaders();
