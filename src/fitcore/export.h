#pragma once
// Symbol visibility for the shared libraries (built with -fvisibility=hidden).
#define TRELVO_EXPORT __attribute__((visibility("default")))
