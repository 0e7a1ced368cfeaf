#pragma once
// Registers the readers of the runtime's document classes (the plain picture light first).
void RegisterRuntimeReaders();
