#pragma once
// Registers the reader of every class that a scene document may name in its polymorphic
// records (picture lights, slides, scene items). Call once at program start, before the
// first document load; test mains that load documents call it too. Calling it again is
// harmless: a registration replaces the reader held under the same name.
void RegisterDocumentReaders();
