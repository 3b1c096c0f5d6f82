#pragma once
// The framework's trace hook. Call sites name their function and line; this build
// records nothing, so tracing costs one empty call and never touches the audio path.

void Trace(const char* funcName, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#define TRACE_HERE Trace(__FUNCTION__, __LINE__, "%s", "")

// Names of host selectors, properties, scopes and opcodes for trace messages; with
// tracing off they are all empty.
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);
const char* VSTOpcodeStr(int opCode);
