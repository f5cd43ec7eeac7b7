// The writer's exports, declared once so that their definitions and any code linking the writer directly
// agree on the contract's signatures (plugin_api/dovan_plugin.h).
#pragma once

#include "plugin_api/dovan_plugin.h"

DOVAN_ENTRY(DovanTextResult) GetPluginName(void);
DOVAN_ENTRY(DovanTextResult) GetNote(void);
DOVAN_ENTRY(int) StartConvert(const char* destination);
DOVAN_ENTRY(int) NewFolder(const char* folder_name);
DOVAN_ENTRY(int) NewMessage(uint32_t kind);
DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length);
DOVAN_ENTRY(int) FinishMessage(void);
DOVAN_ENTRY(int) FinishFolder(void);
DOVAN_ENTRY(int) FinishConvert(void);
DOVAN_ENTRY(int) SetSetting(const char* value);
DOVAN_ENTRY(int) SetMessageFacts(const DovanMessageFacts* facts);
DOVAN_ENTRY(int) SetOption(const char* name, const char* value);
DOVAN_ENTRY(int) NewTreeFolder(const char* const* path, uint32_t depth, uint32_t flags);
DOVAN_ENTRY(int) DiscardMessage(void);
