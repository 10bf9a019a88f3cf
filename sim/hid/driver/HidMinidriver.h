/* The HID minidriver interface as documented for hidport.h. MinGW-w64 ships no hidport.h, and
 * its ddk/hidclass.h carries wrong values for the minidriver IOCTLs, so it is not included. */
#pragma once

#include <ddk/wdm.h>

#define KHS_HID_REVISION 1

#define KHS_HID_CTL_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)
#define KHS_HID_IN_CTL_CODE(id)                                                                    \
    CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_IN_DIRECT, FILE_ANY_ACCESS)
#define KHS_HID_OUT_CTL_CODE(id)                                                                   \
    CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_OUT_DIRECT, FILE_ANY_ACCESS)

/* Sent by the HID class to its minidriver as internal device control. */
#define KHS_IOCTL_HID_GET_DEVICE_DESCRIPTOR KHS_HID_CTL_CODE(0)
#define KHS_IOCTL_HID_GET_REPORT_DESCRIPTOR KHS_HID_CTL_CODE(1)
#define KHS_IOCTL_HID_READ_REPORT KHS_HID_CTL_CODE(2)
#define KHS_IOCTL_HID_WRITE_REPORT KHS_HID_CTL_CODE(3)
#define KHS_IOCTL_HID_GET_STRING KHS_HID_CTL_CODE(4)
#define KHS_IOCTL_HID_ACTIVATE_DEVICE KHS_HID_CTL_CODE(7)
#define KHS_IOCTL_HID_DEACTIVATE_DEVICE KHS_HID_CTL_CODE(8)
#define KHS_IOCTL_HID_GET_DEVICE_ATTRIBUTES KHS_HID_CTL_CODE(9)
#define KHS_IOCTL_HID_GET_FEATURE KHS_HID_OUT_CTL_CODE(100)
#define KHS_IOCTL_HID_SET_FEATURE KHS_HID_IN_CTL_CODE(100)
#define KHS_IOCTL_HID_SET_OUTPUT_REPORT KHS_HID_IN_CTL_CODE(101)
#define KHS_IOCTL_HID_GET_INPUT_REPORT KHS_HID_OUT_CTL_CODE(104)

/* String ids of IOCTL_HID_GET_STRING (low word; the high word is the language). Windows passes
 * the offsets of the string indexes in the USB device descriptor (14, 15, 16); Wine's HID class
 * passes 1, 2, 3 (include/ddk/hidtypes.h). Both are understood. */
#define KHS_HID_STRING_ID_IMANUFACTURER 14
#define KHS_HID_STRING_ID_IPRODUCT 15
#define KHS_HID_STRING_ID_ISERIALNUMBER 16
#define KHS_WINE_STRING_ID_IMANUFACTURER 1
#define KHS_WINE_STRING_ID_IPRODUCT 2
#define KHS_WINE_STRING_ID_ISERIALNUMBER 3

typedef struct {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} KHS_HID_MINIDRIVER_REGISTRATION;

/* What the HID class puts at the start of the extension of each device it creates for us. */
typedef struct {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} KHS_HID_DEVICE_EXTENSION;

typedef struct {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} KHS_HID_DEVICE_ATTRIBUTES;

#pragma pack(push, 1)
typedef struct {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    UCHAR bReportType;
    USHORT wReportLength;
} KHS_HID_DESCRIPTOR;
#pragma pack(pop)

#define KHS_HID_HID_DESCRIPTOR_TYPE 0x21
#define KHS_HID_REPORT_DESCRIPTOR_TYPE 0x22

/* For output, feature and input-report transfers: the report buffer starts with the report id
 * when the device uses report ids. */
typedef struct {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} KHS_HID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(KHS_HID_MINIDRIVER_REGISTRATION* registration);
