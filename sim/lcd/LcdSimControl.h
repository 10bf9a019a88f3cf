/* The LCD stand-in's own controls, beside the standard backlight requests of ntddvdeo.h that
 * clients send to \\.\LCD. Tests open \\.\KestrelLcdSim (the same device under a name that is
 * never removed) and script the device with these; SimControl.h has the shared ones (reset,
 * present, info). Shared by the driver and the 32-bit helper: fixed-size fields only. */
#pragma once

#include "SimControl.h"

#define LCDSIM_DEVICE_NAME L"\\Device\\KestrelLcd"
#define LCDSIM_PUBLIC_LINK L"\\DosDevices\\LCD"
#define LCDSIM_CONTROL_LINK L"\\DosDevices\\KestrelLcdSim"
#define LCDSIM_PUBLIC_PATH L"\\\\.\\LCD"
#define LCDSIM_CONTROL_PATH L"\\\\.\\KestrelLcdSim"

/* in: 0..LCDSIM_MAX_LEVELS bytes, the levels IOCTL_VIDEO_QUERY_SUPPORTED_BRIGHTNESS answers,
 * in that order */
#define LCDSIM_IOCTL_SET_LEVELS SIM_CONTROL(0x810)
/* in: LCDSIM_BRIGHTNESS, what IOCTL_VIDEO_QUERY_DISPLAY_BRIGHTNESS answers; not a set, so
 * neither counted nor kept as the last record */
#define LCDSIM_IOCTL_SET_CURRENT SIM_CONTROL(0x811)
/* in: LCDSIM_FAILURE */
#define LCDSIM_IOCTL_SET_FAILURE SIM_CONTROL(0x812)
/* out: LCDSIM_STATE */
#define LCDSIM_IOCTL_GET_STATE SIM_CONTROL(0x813)

#define LCDSIM_MAX_LEVELS 256

/* The standard requests, as indexes of the failure switches. */
#define LCDSIM_QUERY_SUPPORTED 0
#define LCDSIM_QUERY_CURRENT 1
#define LCDSIM_SET 2
#define LCDSIM_REQUEST_COUNT 3

/* After a reset: eleven levels 0, 10, ... 100, on AC power, AC 80 and DC 50. */
#define LCDSIM_DEFAULT_LEVEL_COUNT 11
#define LCDSIM_DEFAULT_LEVEL_STEP 10
#define LCDSIM_DEFAULT_POLICY 1
#define LCDSIM_DEFAULT_AC 80
#define LCDSIM_DEFAULT_DC 50

/* The layout of DISPLAY_BRIGHTNESS. */
typedef struct LCDSIM_BRIGHTNESS {
    UCHAR policy; /* 1 AC, 2 DC, 3 both */
    UCHAR ac;
    UCHAR dc;
} LCDSIM_BRIGHTNESS;

typedef struct LCDSIM_FAILURE {
    ULONG request; /* LCDSIM_QUERY_SUPPORTED, LCDSIM_QUERY_CURRENT or LCDSIM_SET */
    LONG status;   /* NTSTATUS the request then answers with; 0 answers normally again */
} LCDSIM_FAILURE;

typedef struct LCDSIM_STATE {
    ULONG levelCount;
    UCHAR levels[LCDSIM_MAX_LEVELS];
    /* What a query answers: the power source as the policy (1 AC, 2 DC), the AC and DC
     * levels. A set changes the levels its policy names, not the power source. */
    LCDSIM_BRIGHTNESS current;
    LCDSIM_BRIGHTNESS lastSet; /* the last record a set applied, as sent */
    UCHAR reserved[2];
    ULONG setCount;    /* sets applied */
    ULONG setRequests; /* set requests received, failed and rejected ones included */
    LONG failures[LCDSIM_REQUEST_COUNT];
} LCDSIM_STATE;

SIM_STATIC_ASSERT(sizeof(LCDSIM_BRIGHTNESS) == 3);
SIM_STATIC_ASSERT(sizeof(LCDSIM_FAILURE) == 8);
SIM_STATIC_ASSERT(sizeof(LCDSIM_STATE) == 288);
