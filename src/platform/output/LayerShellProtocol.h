#pragma once

// The generated layer-shell glue, for C++: the protocol names an argument
// "namespace", which C allows and C++ does not.

#include <stddef.h>
#include <stdint.h>
#include <wayland-client.h>

#define namespace namespace_
#include <wlr-layer-shell-unstable-v1-client-protocol.h>
#undef namespace
