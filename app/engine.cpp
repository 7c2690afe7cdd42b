#include "app/engine.h"

static Engine* g_engine = nullptr;
Engine* engine() { return g_engine; }
void setEngine(Engine* record) { g_engine = record; }
