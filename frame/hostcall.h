// Calling convention of everything the panel system calls in a module and of every panel
// service: stdcall on 32-bit x86, the platform's only convention elsewhere.
#pragma once

#if defined(__i386__)
#define HOSTCALL __attribute__((stdcall))
#else
#define HOSTCALL
#endif
