// Resource ids of the writer's settings dialog, shared by its .rc and its dialog procedure.
#pragma once

#define kIdSettingDialog 101
#define kIdSplitSize 1001
