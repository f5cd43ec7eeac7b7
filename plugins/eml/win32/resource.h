// Resource ids of the writer's settings dialog, shared by its .rc and its dialog procedure.
#pragma once

#define kIdSettingDialog 101
#define kIdSequence 1000
#define kIdSequenceNoExtension 1001
#define kIdSubject 1002
