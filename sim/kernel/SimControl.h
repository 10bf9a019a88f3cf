/* Controls every device of the stand-in driver answers besides its own requests. Shared by
 * the driver and the user-mode helpers: fixed-size fields only, so that 32-bit callers and
 * the 64-bit driver agree on the layout. */
#pragma once

#ifndef _WDMDDK_
#include <windows.h>
#include <winioctl.h>
#endif

#ifdef __cplusplus
#define SIM_STATIC_ASSERT(condition) static_assert(condition, #condition)
#else
#define SIM_STATIC_ASSERT(condition) _Static_assert(condition, #condition)
#endif

/* The stand-ins' own device type (vendor range); each device numbers its own functions from
 * 0x810 on, the functions below are shared. */
#define SIM_DEVICE_TYPE 0x8B5Eu
#define SIM_CONTROL(function) CTL_CODE(SIM_DEVICE_TYPE, function, METHOD_BUFFERED, FILE_ANY_ACCESS)

/* out: SIM_INFO */
#define SIM_IOCTL_GET_INFO SIM_CONTROL(0x800)
/* no buffers: the device's state back to its defaults, its public name present */
#define SIM_IOCTL_RESET SIM_CONTROL(0x801)
/* in: ULONG, 0 or 1. With 0 the device's public name (\\.\LCD) is removed, so that opening
 * it fails as on a machine without the device; handles already open keep working. The
 * control name (\\.\KestrelLcdSim) stays, so tests can always bring the device back. */
#define SIM_IOCTL_SET_PRESENT SIM_CONTROL(0x802)

#define SIM_INFO_VERSION 1
#define SIM_NAME_SIZE 24

typedef struct SIM_INFO {
    ULONG version;              /* SIM_INFO_VERSION */
    ULONG present;              /* 1 while the public name exists */
    char image[SIM_NAME_SIZE];  /* which driver image answers, for refresh checks */
    char device[SIM_NAME_SIZE]; /* the device's public name, "LCD" */
} SIM_INFO;

SIM_STATIC_ASSERT(sizeof(SIM_INFO) == 56);
