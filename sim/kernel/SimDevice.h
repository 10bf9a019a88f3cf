/* A device of the stand-in driver. SimDriver.c creates each device listed in its table, owns
 * its names, serialises its requests and answers the controls of SimControl.h; the device
 * itself only keeps its state and answers its own requests. */
#pragma once

#include <ntddk.h>

/* Buffered I/O: `buffer` holds the input and receives the output. Called with the device's
 * lock held. */
typedef NTSTATUS SimControlRoutine(void* state, ULONG code, void* buffer, ULONG inLength,
                                   ULONG outLength, ULONG_PTR* information);

typedef struct SimDeviceClass {
    const WCHAR* deviceName;  /* \Device\... */
    const WCHAR* publicLink;  /* the name clients open, e.g. \DosDevices\LCD */
    const WCHAR* controlLink; /* the name tests open; never removed while the driver runs */
    const char* publicName;   /* reported in SIM_INFO */
    DEVICE_TYPE deviceType;
    ULONG stateSize;
    void (*reset)(void* state);
    SimControlRoutine* control;
} SimDeviceClass;
