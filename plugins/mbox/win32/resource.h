// Resource ids of the writer's settings dialog, shared by its .rc and its dialog procedure.
#pragma once

#define kIdSettingDialog 101
#define kIdIgnoreCase 1001
#define kIdPassThrough 1002
#define kIdFromQuoting 1003
