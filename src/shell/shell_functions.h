// The script functions openAs and openProperties: each reads a path and hands it to the
// desktop's Open-with chooser or Properties dialog. Stateless; callable from any environment.
#pragma once

#include "napi.h"

namespace spellshell {

// Adds openAs and then openProperties to `exports`. A failed Node-API call throws Napi::Error
// and leaves the later steps undone.
void RegisterShellDialogs(Napi::Env env, Napi::Object exports);

}  // namespace spellshell
