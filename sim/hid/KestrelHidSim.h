/* The simulated HID devices: identities, report descriptors and the control channel. Shared by
 * the kernel-mode driver (C) and the user-mode tools and tests (C++), so plain C only: no
 * pointers in the control structures, whose layout must match between 32- and 64-bit code. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The kernel service, and the root devices it serves: ROOT\KESTRELHIDSIM\<instance>. All share
 * one hardware id, so that one driver update installs them together. */
#define KHS_SERVICE_NAME L"KestrelHidSim"
#define KHS_DRIVER_FILE L"KestrelHidSim.sys"
#define KHS_HARDWARE_ID L"root\\KestrelHidSim"
#define KHS_DEVICE_ID L"ROOT\\KESTRELHIDSIM"

/* The control device: a legacy device of the same driver, reached through its DOS name. */
#define KHS_CONTROL_DEVICE_NAME L"\\Device\\KestrelHidSim"
#define KHS_CONTROL_LINK_NAME L"\\DosDevices\\KestrelHidSim"
#define KHS_CONTROL_PATH L"\\\\.\\KestrelHidSim"

/* Wine builds one HID device from the first top-level collection of a report descriptor only,
 * so each collection of the remote is a root device of its own. */
enum khs_device_index {
    KHS_REMOTE_FFBC = 0,     /* 0xFFBC/0x88: Media Center buttons, code in bytes 1-2 */
    KHS_REMOTE_CONSUMER = 1, /* 0x000C/0x01: consumer control, code in bytes 1-2 */
    KHS_REMOTE_FF00 = 2,     /* 0xFF00/0x01: the maker's buttons, code in byte 5 */
    KHS_REMOTE_SYSTEM = 3,   /* 0x0001/0x80: system control, which Zapper does not register */
    KHS_LAUNCHER = 4,        /* 0x5664/0x6B2E: takes output report 4 from Tilehop */
    KHS_DEVICE_COUNT = 5
};

#define KHS_REMOTE_VENDOR_ID 0x4B45  /* "KE" */
#define KHS_REMOTE_PRODUCT_ID 0x5243 /* "RC" */
#define KHS_LAUNCHER_VENDOR_ID 0x5664
#define KHS_LAUNCHER_PRODUCT_ID 0x6B2E
#define KHS_VERSION_NUMBER 0x0100

/* Report ids. The launcher's input report exists only because Wine's HID class reads input
 * reports from every device; nothing sends it. */
#define KHS_FFBC_REPORT_ID 0x01
#define KHS_CONSUMER_REPORT_ID 0x02
#define KHS_FF00_REPORT_ID 0x03
#define KHS_SYSTEM_REPORT_ID 0x04
#define KHS_LAUNCHER_INPUT_REPORT_ID 0x01
#define KHS_LAUNCHER_OUTPUT_REPORT_ID 0x04

/* Input report lengths, report id byte included. Wine drops a report shorter than this. */
#define KHS_FFBC_REPORT_LENGTH 3     /* id, code low, code high */
#define KHS_CONSUMER_REPORT_LENGTH 3 /* id, usage low, usage high */
#define KHS_FF00_REPORT_LENGTH 8     /* id, 4 status bytes, code, 2 status bytes */
#define KHS_FF00_CODE_OFFSET 5
#define KHS_SYSTEM_REPORT_LENGTH 2 /* id, usage */
#define KHS_LAUNCHER_INPUT_REPORT_LENGTH 2
#define KHS_LAUNCHER_OUTPUT_REPORT_LENGTH 2

/* clang-format off */
static const unsigned char khs_ffbc_descriptor[] = {
    0x06, 0xBC, 0xFF,             /* Usage Page (0xFFBC) */
    0x09, 0x88,                   /* Usage (0x88) */
    0xA1, 0x01,                   /* Collection (Application) */
    0x85, KHS_FFBC_REPORT_ID,     /*   Report ID */
    0x19, 0x00,                   /*   Usage Minimum (0) */
    0x2A, 0xFF, 0xFF,             /*   Usage Maximum (0xFFFF) */
    0x15, 0x00,                   /*   Logical Minimum (0) */
    0x27, 0xFF, 0xFF, 0x00, 0x00, /*   Logical Maximum (0xFFFF) */
    0x75, 0x10,                   /*   Report Size (16) */
    0x95, 0x01,                   /*   Report Count (1) */
    0x81, 0x00,                   /*   Input (Data, Array, Absolute): bytes 1-2 */
    0xC0,                         /* End Collection */
};

static const unsigned char khs_consumer_descriptor[] = {
    0x05, 0x0C,                   /* Usage Page (Consumer) */
    0x09, 0x01,                   /* Usage (Consumer Control) */
    0xA1, 0x01,                   /* Collection (Application) */
    0x85, KHS_CONSUMER_REPORT_ID, /*   Report ID */
    0x19, 0x00,                   /*   Usage Minimum (0) */
    0x2A, 0xFF, 0x03,             /*   Usage Maximum (0x3FF) */
    0x15, 0x00,                   /*   Logical Minimum (0) */
    0x26, 0xFF, 0x03,             /*   Logical Maximum (0x3FF) */
    0x75, 0x10,                   /*   Report Size (16) */
    0x95, 0x01,                   /*   Report Count (1) */
    0x81, 0x00,                   /*   Input (Data, Array, Absolute): bytes 1-2 */
    0xC0,                         /* End Collection */
};

static const unsigned char khs_ff00_descriptor[] = {
    0x06, 0x00, 0xFF,             /* Usage Page (0xFF00) */
    0x09, 0x01,                   /* Usage (0x01) */
    0xA1, 0x01,                   /* Collection (Application) */
    0x85, KHS_FF00_REPORT_ID,     /*   Report ID */
    0x15, 0x00,                   /*   Logical Minimum (0) */
    0x26, 0xFF, 0x00,             /*   Logical Maximum (255) */
    0x75, 0x08,                   /*   Report Size (8) */
    0x09, 0x02,                   /*   Usage (0x02) */
    0x95, 0x04,                   /*   Report Count (4) */
    0x81, 0x02,                   /*   Input (Data, Variable, Absolute): bytes 1-4 */
    0x09, 0x03,                   /*   Usage (0x03) */
    0x95, 0x01,                   /*   Report Count (1) */
    0x81, 0x02,                   /*   Input (Data, Variable, Absolute): byte 5, the code */
    0x09, 0x04,                   /*   Usage (0x04) */
    0x95, 0x02,                   /*   Report Count (2) */
    0x81, 0x02,                   /*   Input (Data, Variable, Absolute): bytes 6-7 */
    0xC0,                         /* End Collection */
};

static const unsigned char khs_system_descriptor[] = {
    0x05, 0x01,                   /* Usage Page (Generic Desktop) */
    0x09, 0x80,                   /* Usage (System Control) */
    0xA1, 0x01,                   /* Collection (Application) */
    0x85, KHS_SYSTEM_REPORT_ID,   /*   Report ID */
    0x19, 0x00,                   /*   Usage Minimum (0) */
    0x29, 0xFF,                   /*   Usage Maximum (0xFF) */
    0x15, 0x00,                   /*   Logical Minimum (0) */
    0x26, 0xFF, 0x00,             /*   Logical Maximum (255) */
    0x75, 0x08,                   /*   Report Size (8) */
    0x95, 0x01,                   /*   Report Count (1) */
    0x81, 0x00,                   /*   Input (Data, Array, Absolute): byte 1 */
    0xC0,                         /* End Collection */
};

static const unsigned char khs_launcher_descriptor[] = {
    0x06, 0xA0, 0xFF,             /* Usage Page (0xFFA0) */
    0x09, 0x01,                   /* Usage (0x01) */
    0xA1, 0x01,                   /* Collection (Application) */
    0x15, 0x00,                   /*   Logical Minimum (0) */
    0x26, 0xFF, 0x00,             /*   Logical Maximum (255) */
    0x75, 0x08,                   /*   Report Size (8) */
    0x95, 0x01,                   /*   Report Count (1) */
    0x85, KHS_LAUNCHER_INPUT_REPORT_ID,  /* Report ID */
    0x09, 0x02,                   /*   Usage (0x02) */
    0x81, 0x02,                   /*   Input (Data, Variable, Absolute) */
    0x85, KHS_LAUNCHER_OUTPUT_REPORT_ID, /* Report ID */
    0x09, 0x03,                   /*   Usage (0x03) */
    0x91, 0x02,                   /*   Output (Data, Variable, Absolute): the launch request */
    0xC0,                         /* End Collection */
};
/* clang-format on */

struct khs_device_desc {
    const wchar_t* instance; /* last part of the root device's instance id */
    const char* name;        /* short name for people and command lines */
    const wchar_t* product;
    unsigned short vendor_id;
    unsigned short product_id;
    unsigned short usage_page;
    unsigned short usage;
    const unsigned char* report_descriptor;
    unsigned short report_descriptor_length;
    unsigned char input_report_id;
    unsigned char input_report_length;
    unsigned char output_report_id; /* 0: none */
    unsigned char output_report_length;
};

static const struct khs_device_desc khs_devices[KHS_DEVICE_COUNT] = {
    {L"REMOTE_FFBC", "ffbc", L"Kestrel remote control (Media Center buttons)", KHS_REMOTE_VENDOR_ID,
     KHS_REMOTE_PRODUCT_ID, 0xFFBC, 0x88, khs_ffbc_descriptor, sizeof khs_ffbc_descriptor,
     KHS_FFBC_REPORT_ID, KHS_FFBC_REPORT_LENGTH, 0, 0},
    {L"REMOTE_CONSUMER", "consumer", L"Kestrel remote control (consumer buttons)",
     KHS_REMOTE_VENDOR_ID, KHS_REMOTE_PRODUCT_ID, 0x000C, 0x01, khs_consumer_descriptor,
     sizeof khs_consumer_descriptor, KHS_CONSUMER_REPORT_ID, KHS_CONSUMER_REPORT_LENGTH, 0, 0},
    {L"REMOTE_FF00", "ff00", L"Kestrel remote control (maker buttons)", KHS_REMOTE_VENDOR_ID,
     KHS_REMOTE_PRODUCT_ID, 0xFF00, 0x01, khs_ff00_descriptor, sizeof khs_ff00_descriptor,
     KHS_FF00_REPORT_ID, KHS_FF00_REPORT_LENGTH, 0, 0},
    {L"REMOTE_SYSTEM", "system", L"Kestrel remote control (system buttons)", KHS_REMOTE_VENDOR_ID,
     KHS_REMOTE_PRODUCT_ID, 0x0001, 0x80, khs_system_descriptor, sizeof khs_system_descriptor,
     KHS_SYSTEM_REPORT_ID, KHS_SYSTEM_REPORT_LENGTH, 0, 0},
    {L"LAUNCHER", "launcher", L"Kestrel HID launcher", KHS_LAUNCHER_VENDOR_ID,
     KHS_LAUNCHER_PRODUCT_ID, 0xFFA0, 0x01, khs_launcher_descriptor, sizeof khs_launcher_descriptor,
     KHS_LAUNCHER_INPUT_REPORT_ID, KHS_LAUNCHER_INPUT_REPORT_LENGTH, KHS_LAUNCHER_OUTPUT_REPORT_ID,
     KHS_LAUNCHER_OUTPUT_REPORT_LENGTH},
};

/* Control channel: METHOD_BUFFERED codes of FILE_DEVICE_UNKNOWN, any access. Bump the version
 * when a structure changes, so that tools notice a driver of another build. */
#define KHS_PROTOCOL_VERSION 1
#define KHS_CONTROL_CODE(function) ((0x22u << 16) | ((unsigned)(function) << 2))

/* In: struct khs_input_report. Queues an input report on a device; it reaches the HID class at
 * its next read. Fails when the device is not started, the length is 0 or longer than the
 * device's input report, or the queue is full. */
#define KHS_IOCTL_INJECT_INPUT KHS_CONTROL_CODE(0x800)
/* Out: struct khs_output_log. The output reports the devices received, oldest first. */
#define KHS_IOCTL_GET_OUTPUT_REPORTS KHS_CONTROL_CODE(0x801)
/* Forgets the output reports and resets their count. */
#define KHS_IOCTL_CLEAR_OUTPUT_REPORTS KHS_CONTROL_CODE(0x802)
/* Out: struct khs_status. */
#define KHS_IOCTL_GET_STATUS KHS_CONTROL_CODE(0x803)

#define KHS_MAX_REPORT_LENGTH 64
#define KHS_MAX_OUTPUT_REPORTS 32
#define KHS_INPUT_QUEUE_LENGTH 64

struct khs_input_report {
    unsigned int device; /* enum khs_device_index */
    unsigned int length;
    unsigned char data[KHS_MAX_REPORT_LENGTH]; /* report id first */
};

enum khs_output_kind {
    KHS_OUTPUT_SET_REPORT = 1, /* HidD_SetOutputReport */
    KHS_OUTPUT_WRITE = 2       /* WriteFile on the HID device */
};

struct khs_output_report {
    unsigned int device;
    unsigned int kind; /* enum khs_output_kind */
    unsigned int length;
    unsigned char data[KHS_MAX_REPORT_LENGTH]; /* report id first */
};

struct khs_output_log {
    unsigned int total; /* received since the last clear; the oldest drop past the maximum */
    unsigned int count; /* entries below */
    struct khs_output_report reports[KHS_MAX_OUTPUT_REPORTS];
};

struct khs_device_status {
    unsigned int started;      /* the HID class started the device */
    unsigned int read_pending; /* the HID class waits for the next input report */
    unsigned int queued;       /* injected reports not read yet */
    unsigned int injected;     /* since the device started */
    unsigned int delivered;
};

struct khs_status {
    unsigned int protocol_version;
    unsigned int device_count;
    struct khs_device_status devices[KHS_DEVICE_COUNT];
};

#ifdef __cplusplus
}
#endif
