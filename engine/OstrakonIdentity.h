#pragma once
// The strip's identity as hosts see it, shared by the plug-in on every adapter and by
// the model its LV2 editor runs on.

constexpr const char* kOstrakonChannelIO = "1-1 2-2";
constexpr const char* kOstrakonEffectName = "Quarro Ostrakon";
constexpr const char* kOstrakonProductName = "";
constexpr const char* kOstrakonMfrName = "Quarro";
constexpr int kOstrakonVersion = 0x20002;
constexpr int kOstrakonUniqueID = ('V' << 24) | ('x' << 16) | ('q' << 8) | '7';
constexpr int kOstrakonMfrID = ('Q' << 24) | ('r' << 16) | ('r' << 8) | 'o';
constexpr int kOstrakonLatency = 0;
constexpr const char* kOstrakonBundleID = "com.quarro.audiounit.Ostrakon";
constexpr const char* kOstrakonViewClass = "Ostrakon_View";
